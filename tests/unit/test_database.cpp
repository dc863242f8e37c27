#include "platform/Sandbox.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using StoreFixtures::countRows;

namespace {
void setDevelopment(bool on)
{
    UserDefaults::standard().setObject(on, QStringLiteral("developmentSetting"));
    UserDefaults::standard().synchronize();
}

void insertOrder(const QString& number, const QString& created)
{
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate(
        QStringLiteral("INSERT INTO salesOrder (purchaseOrderNo, orderNo, creationDate) VALUES (?, ?, ?)"),
        {number, number, created}))
        << qPrintable(DataManager::sharedManager()->lastError());
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate(
        QStringLiteral("INSERT INTO salesOrderDetails (orderNo, skuCode, Promocode, quantity, creationDate) "
                       "VALUES (?, 'A100', ' ', 1, ?)"),
        {number, created}));
}
} // namespace

TEST(Database, SeedIsCopiedOnFirstUseWithEveryTable)
{
    TestSandbox sandbox;
    const QString working = sandbox.documents() + QStringLiteral("/data.sqlite");
    EXPECT_FALSE(QFileInfo::exists(working));
    DataManager* store = DataManager::sharedManager();
    ASSERT_TRUE(store->isOpen());
    EXPECT_EQ(store->getDatabasePath(), working);
    EXPECT_TRUE(QFileInfo::exists(working));

    for (const char* table : {"salesman", "salesOrder", "salesOrderDetails", "material", "brand", "customerSoldTo",
                              "customerShipTo", "routing", "routing_shipTo", "promote_db", "orderimage"})
        EXPECT_EQ(countRows(QString::fromLatin1(table)), 0) << table;

    Statement mode = store->executeQuery(QStringLiteral("PRAGMA journal_mode"));
    ASSERT_EQ(mode.step(), Statement::Row);
    EXPECT_EQ(mode.columnText(0), QStringLiteral("wal"));
}

TEST(Database, ColumnOrderAndIntegerComparisonsHold)
{
    TestSandbox sandbox;
    DataManager* store = DataManager::sharedManager();
    // Readers take columns by position: the order of the salesOrder header is binding.
    Statement info = store->executeQuery(QStringLiteral("SELECT name FROM pragma_table_info('salesOrder')"));
    QStringList columns;
    while (info.step() == Statement::Row)
        columns << info.columnText(0);
    EXPECT_EQ(columns.join(QLatin1Char(',')),
              QStringLiteral("creationDate,orderNo,purchaseOrderNo,orderDate,deliveryDate,soldToCode,shipToCode,"
                             "transactionStatus,uploadStatus,sapStatus,sapOrderNo,type,priority,remark,lastUpdate,"
                             "vdtype,PaymentType,deliverAddress,so_salesman"));

    // A status written as text '20' compares equal to the number 20.
    ASSERT_TRUE(store->executeUpdate(
        QStringLiteral("INSERT INTO material (skuCode, status, brand) VALUES ('A1', '20', '7')")));
    Statement active = store->executeQuery(QStringLiteral("SELECT COUNT(*) FROM material WHERE status=20 AND brand=7"));
    ASSERT_EQ(active.step(), Statement::Row);
    EXPECT_EQ(active.columnInt(0), 1);

    // Unique keys reject a second row with the same key.
    EXPECT_FALSE(store->executeUpdate(QStringLiteral("INSERT INTO material (skuCode) VALUES ('A1')")));
    EXPECT_TRUE(store->executeUpdate(QStringLiteral(
        "INSERT INTO salesOrderDetails (orderNo, skuCode, Promocode) VALUES ('P.1', 'A1', ' '), ('P.1', 'A1', 'X')")));
    EXPECT_FALSE(store->executeUpdate(
        QStringLiteral("INSERT INTO salesOrderDetails (orderNo, skuCode, Promocode) VALUES ('P.1', 'A1', ' ')")));
}

TEST(Database, DevelopmentSettingSwitchesFilesAndKeepsEachOnesData)
{
    TestSandbox sandbox;
    insertOrder(QStringLiteral("PROD.1"), DataManager::getNow());
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 1);

    setDevelopment(true);
    DataManager* store = DataManager::sharedManager(); // the switch takes effect here
    EXPECT_TRUE(store->getDatabasePath().endsWith(QLatin1String("/data_dev.sqlite")));
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 0);
    insertOrder(QStringLiteral("DEV.1"), DataManager::getNow());
    insertOrder(QStringLiteral("DEV.2"), DataManager::getNow());

    setDevelopment(false);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 1);
    setDevelopment(true);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 2);
}

TEST(Database, MissingSeedLeavesNoEmptyDatabaseBehind)
{
    TestSandbox sandbox;
    QTemporaryDir emptyBundle;
    Sandbox::setApplicationDirectory(emptyBundle.path());
    DataManager* store = DataManager::sharedManager();
    EXPECT_FALSE(store->isOpen());
    EXPECT_FALSE(QFileInfo::exists(store->getDatabasePath()));
    EXPECT_FALSE(store->executeQuery(QStringLiteral("SELECT 1")).isValid());

    // Once the seed is there again the next open succeeds.
    Sandbox::setApplicationDirectory(QString());
    EXPECT_TRUE(store->openDatabase());
}

TEST(Database, BrokenStatementChangesNothing)
{
    TestSandbox sandbox;
    insertOrder(QStringLiteral("A.1"), DataManager::getNow());
    DataManager* store = DataManager::sharedManager();
    Statement broken = store->executeQuery(QStringLiteral("DELETE FROM salesOrder WHERE purchaseOrderNo='O'Hara'"));
    EXPECT_FALSE(broken.isValid());
    EXPECT_NE(broken.step(), Statement::Done);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 1);

    // A bound value with a quote is just a value.
    EXPECT_TRUE(store->executeUpdate(QStringLiteral("UPDATE salesOrder SET remark=? WHERE purchaseOrderNo=?"),
                                     {QStringLiteral("O'Hara's shop"), QStringLiteral("A.1")}));
    Statement remark = store->executeQuery(QStringLiteral("SELECT remark FROM salesOrder"));
    ASSERT_EQ(remark.step(), Statement::Row);
    EXPECT_EQ(remark.columnText(0), QStringLiteral("O'Hara's shop"));
}

TEST(Database, TransactionRollsBackUnlessCommitted)
{
    TestSandbox sandbox;
    DataManager* store = DataManager::sharedManager();
    {
        Transaction transaction(store);
        ASSERT_TRUE(transaction.isActive());
        insertOrder(QStringLiteral("T.1"), DataManager::getNow());
    }
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 0);
    EXPECT_EQ(countRows(QStringLiteral("salesOrderDetails")), 0);
    {
        Transaction transaction(store);
        insertOrder(QStringLiteral("T.2"), DataManager::getNow());
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 1);
}

TEST(Database, NowTextAndCleaningInLocalTime)
{
    TestSandbox sandbox;
    TestSandbox::setNow(QStringLiteral("2025-03-07 09:05:03"));
    EXPECT_EQ(DataManager::getNow(), QStringLiteral("2025-03-07 09:05:03"));
    TestSandbox::restoreClock();

    const QDateTime now = QDateTime::currentDateTime();
    const QString fmt = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    insertOrder(QStringLiteral("OLD.1"), now.addDays(-31).toString(fmt));
    insertOrder(QStringLiteral("KEEP.1"), now.addDays(-29).toString(fmt));
    insertOrder(QStringLiteral("UNSET.1"), QStringLiteral("0000-00-00 00:00:00"));
    // Minutes either side of the 30 days. In a zone ahead of UTC a comparison
    // of local creation times with UTC "now" would keep the older one.
    insertOrder(QStringLiteral("EDGE.1"), now.addDays(-30).addSecs(600).toString(fmt));
    insertOrder(QStringLiteral("EDGE.2"), now.addDays(-30).addSecs(-1800).toString(fmt));

    DataManager::sharedManager()->cleanDatabase();
    Statement left = DataManager::sharedManager()->executeQuery(
        QStringLiteral("SELECT group_concat(purchaseOrderNo) FROM (SELECT purchaseOrderNo FROM salesOrder ORDER BY 1)"));
    ASSERT_EQ(left.step(), Statement::Row);
    EXPECT_EQ(left.columnText(0), QStringLiteral("EDGE.1,KEEP.1"));
    EXPECT_EQ(countRows(QStringLiteral("salesOrderDetails")), 2);
}

TEST(Statement, LeadingIntegerReading)
{
    EXPECT_EQ(Statement::leadingInt("3"), 3);
    EXPECT_EQ(Statement::leadingInt("  -12abc"), -12);
    EXPECT_EQ(Statement::leadingInt("+7"), 7);
    EXPECT_EQ(Statement::leadingInt("abc"), 0);
    EXPECT_EQ(Statement::leadingInt(""), 0);
    EXPECT_EQ(Statement::leadingInt(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(Statement::leadingInt("20.9"), 20);
    EXPECT_EQ(Statement::leadingInt("99999999999"), 2147483647);
    EXPECT_EQ(Statement::leadingInt("-99999999999"), -2147483647 - 1);
}
