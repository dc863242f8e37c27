#include "platform/Sandbox.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using StoreFixtures::countRows;

namespace {
void setDevelopment(bool on)
{
    UserDefaults::standard().setObject(on, u"developmentSetting"_s);
    UserDefaults::standard().synchronize();
}

// The first column of every row, joined by ",".
QString column(const QString& sql)
{
    Statement rows = DataManager::sharedManager()->executeQuery(sql);
    QStringList values;
    while (rows.step() == Statement::Row)
        values << rows.columnText(0);
    return values.join(u',');
}

void insertOrder(const QString& number, const QString& created)
{
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate(
        u"INSERT INTO salesOrder (purchaseOrderNo, orderNo, creationDate) VALUES (?, ?, ?)"_s,
        {number, number, created}))
        << qPrintable(DataManager::sharedManager()->lastError());
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate(
        u"INSERT INTO salesOrderDetails (orderNo, skuCode, Promocode, quantity, creationDate) "
        "VALUES (?, 'A100', ' ', 1, ?)"_s,
        {number, created}));
}
} // namespace

TEST(Database, DevelopmentSettingSwitchesFilesAndKeepsEachOnesData)
{
    TestSandbox sandbox;
    insertOrder(u"PROD.1"_s, DataManager::getNow());

    setDevelopment(true);
    DataManager* store = DataManager::sharedManager(); // the switch takes effect here
    EXPECT_TRUE(store->getDatabasePath().endsWith(QLatin1String("/data_dev.sqlite")));
    EXPECT_EQ(countRows(u"salesOrder"_s), 0);
    insertOrder(u"DEV.1"_s, DataManager::getNow());
    insertOrder(u"DEV.2"_s, DataManager::getNow());

    setDevelopment(false);
    EXPECT_EQ(countRows(u"salesOrder"_s), 1);
    setDevelopment(true);
    EXPECT_EQ(countRows(u"salesOrder"_s), 2);
}

TEST(Database, MissingSeedLeavesNoEmptyDatabaseBehind)
{
    TestSandbox sandbox;
    QTemporaryDir emptyBundle;
    Sandbox::setApplicationDirectory(emptyBundle.path());
    DataManager* store = DataManager::sharedManager();
    EXPECT_FALSE(store->isOpen());
    EXPECT_FALSE(QFileInfo::exists(store->getDatabasePath()));
    EXPECT_FALSE(store->executeQuery(u"SELECT 1"_s).isValid());

    // Once the seed is there again the next open succeeds.
    Sandbox::setApplicationDirectory(QString());
    EXPECT_TRUE(store->openDatabase());
}

TEST(Database, BrokenStatementsAndUncommittedTransactionsChangeNothing)
{
    TestSandbox sandbox;
    insertOrder(u"A.1"_s, DataManager::getNow());
    DataManager* store = DataManager::sharedManager();
    Statement broken =
        store->executeQuery(u"DELETE FROM salesOrder WHERE purchaseOrderNo='O'Hara'"_s);
    EXPECT_FALSE(broken.isValid());
    EXPECT_NE(broken.step(), Statement::Done);
    EXPECT_EQ(countRows(u"salesOrder"_s), 1);

    // A transaction rolls back unless committed.
    for (const bool commit : {false, true}) {
        Transaction transaction(store);
        ASSERT_TRUE(transaction.isActive());
        insertOrder(commit ? u"T.2"_s : u"T.1"_s, DataManager::getNow());
        if (commit) {
            EXPECT_TRUE(transaction.commit());
        }
    }
    EXPECT_EQ(column(u"SELECT purchaseOrderNo FROM salesOrder ORDER BY 1"_s), u"A.1,T.2"_s);
    EXPECT_EQ(column(u"SELECT orderNo FROM salesOrderDetails ORDER BY 1"_s), u"A.1,T.2"_s);
}

TEST(Database, CleaningKeepsThirtyDaysInLocalTime)
{
    TestSandbox sandbox;
    const QDateTime now = QDateTime::currentDateTime();
    const QString fmt = u"yyyy-MM-dd HH:mm:ss"_s;
    insertOrder(u"OLD.1"_s, now.addDays(-31).toString(fmt));
    insertOrder(u"KEEP.1"_s, now.addDays(-29).toString(fmt));
    insertOrder(u"UNSET.1"_s, u"0000-00-00 00:00:00"_s);
    // Minutes either side of the 30 days. In a zone ahead of UTC a comparison
    // of local creation times with UTC "now" would keep the older one.
    insertOrder(u"EDGE.1"_s, now.addDays(-30).addSecs(600).toString(fmt));
    insertOrder(u"EDGE.2"_s, now.addDays(-30).addSecs(-1800).toString(fmt));

    DataManager::sharedManager()->cleanDatabase();
    EXPECT_EQ(column(u"SELECT purchaseOrderNo FROM salesOrder ORDER BY 1"_s), u"EDGE.1,KEEP.1"_s);
    EXPECT_EQ(column(u"SELECT orderNo FROM salesOrderDetails ORDER BY 1"_s), u"EDGE.1,KEEP.1"_s);
}

TEST(Statement, LeadingIntegerReading)
{
    const std::pair<const char*, int> cases[] = {{"  -12abc", -12},
                                                 {"+7", 7},
                                                 {"abc", 0},
                                                 {nullptr, 0},
                                                 {"99999999999", 2147483647},
                                                 {"-99999999999", -2147483647 - 1}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(Statement::leadingInt(text), value) << (text ? text : "null");
}
