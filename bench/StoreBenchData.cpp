#include "StoreBenchData.h"

#include "platform/Sandbox.h"
#include "store/DataManager.h"

#include <QDateTime>
#include <random>

StoreBenchSandbox::StoreBenchSandbox(const QString& userName) : _userName(userName)
{
    DataManager::releaseManager();
    Sandbox::setRoot(_dir.path());
    DataManager::setDelegate(this);
}

StoreBenchSandbox::~StoreBenchSandbox()
{
    if (DataManager::delegate() == this)
        DataManager::setDelegate(nullptr);
    DataManager::releaseManager();
    Sandbox::setRoot(QString());
}

DataManager* StoreBenchSandbox::store() const
{
    return DataManager::sharedManager();
}

namespace StoreBenchData {

bool generateOrders(DataManager* store, int count, const QString& owner, const QString& prefix,
                    int linesPerOrder)
{
    std::mt19937 random(20250301u + quint32(qHash(prefix)));
    std::uniform_int_distribution<int> minutes(0, 365 * 24 * 60);
    std::uniform_int_distribution<int> customer(1, 200);
    std::uniform_int_distribution<int> status(0, 9);
    std::uniform_int_distribution<int> quantity(1, 48);
    const QDateTime start(QDate(2024, 6, 1), QTime(8, 0));
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");

    Transaction transaction(store);
    Statement header = store->executeQuery(QStringLiteral(
        "INSERT INTO salesOrder VALUES (?, ?, ?, ?, ?, ?, ?, 20, ?, '', '', 1, -1, ?, ?, 1, 1, "
        "?, ?)"));
    Statement line = store->executeQuery(
        QStringLiteral("INSERT INTO salesOrderDetails VALUES (?, ?, ?, ?, 'CS', ?, ' ')"));
    for (int i = 0; i < count; ++i) {
        const QString created = start.addSecs(qint64(minutes(random)) * 60).toString(format);
        const QString soldTo = QStringLiteral("C%1").arg(customer(random), 4, 10, QLatin1Char('0'));
        const QString number = QStringLiteral("%1.%2").arg(prefix).arg(1700000000000LL + i);
        // Seven in ten orders are drafts; the rest carry the device's or the
        // server's states.
        const int roll = status(random);
        const int uploadStatus = roll < 7 ? 10 : (roll < 9 ? 20 : 30);
        header.bindAll({created, number, number, created.left(10) + QStringLiteral(" 00:00:00"),
                        created, soldTo, QStringLiteral("SH") + soldTo.mid(1), uploadStatus,
                        QStringLiteral("Deliver before noon, gate ") + QString::number(i % 7),
                        created, QStringLiteral("Main Street ") + QString::number(i % 300), owner});
        if (header.step() != Statement::Done)
            return false;
        header.reset();
        for (int l = 0; l < linesPerOrder; ++l) {
            line.bindAll(
                {created, number,
                 QStringLiteral("SKU%1").arg((i * 7 + l * 13) % 20000, 5, 10, QLatin1Char('0')),
                 quantity(random), created});
            if (line.step() != Statement::Done)
                return false;
            line.reset();
        }
    }
    return transaction.commit();
}

bool generateCatalogue(DataManager* store, int count, int brandCount)
{
    std::mt19937 random(20250302u);
    std::uniform_int_distribution<int> priority(1, 999);
    const QString stamp = QStringLiteral("2025-01-01 00:00:00");

    Transaction transaction(store);
    Statement brand =
        store->executeQuery(QStringLiteral("INSERT INTO brand VALUES (?, ?, 'en', ?, ?)"));
    for (int b = 1; b <= brandCount; ++b) {
        brand.bindAll({stamp, QString::number(b), QStringLiteral("Brand %1").arg(b), stamp});
        if (brand.step() != Statement::Done)
            return false;
        brand.reset();
    }
    Statement item = store->executeQuery(
        QStringLiteral("INSERT INTO material VALUES (?, ?, 'en', ?, 'FG', ?, ?, ?, 0, ?, ?, ?, ?, "
                       "?, 'CS', 'PC', ?, ?, ?, '', '', '')"));
    for (int i = 0; i < count; ++i) {
        const QString sku = QStringLiteral("SKU%1").arg(i, 5, 10, QLatin1Char('0'));
        const int brandCode = i % 50 == 49 ? brandCount + 1 : 1 + i % brandCount;
        const int status = i % 20 == 19 ? 10 : 20;
        item.bindAll(
            {stamp, sku, QStringLiteral("Item %1, carton of 24, assorted flavours").arg(i), i % 12,
             i % 40, brandCode, status, QStringLiteral("4901234%1").arg(i, 6, 10, QLatin1Char('0')),
             stamp, QString::number(i % 3 == 0 ? 1 : 0), QString::number(priority(random)),
             QStringLiteral("Category %1").arg(i % 12), QStringLiteral("Group %1").arg(i % 40),
             QStringLiteral("Line %1").arg(i % 5)});
        if (item.step() != Statement::Done)
            return false;
        item.reset();
    }
    return transaction.commit();
}

} // namespace StoreBenchData
