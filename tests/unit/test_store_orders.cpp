#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}

QStringList numbers(const QList<SalesOrder>& orders)
{
    QStringList result;
    for (const SalesOrder& order : orders)
        result << order.purchaseOrderNo;
    return result;
}

QStringList lineKeys(const QList<SalesOrderDetails>& lines)
{
    QStringList result;
    for (const SalesOrderDetails& line : lines)
        result << QStringLiteral("%1:%2x%3[%4]")
                      .arg(line.orderNo, line.skuCode)
                      .arg(line.quantity)
                      .arg(line.promocode);
    return result;
}

QStringList list(std::initializer_list<const char*> items)
{
    QStringList result;
    for (const char* item : items)
        result << QString::fromUtf8(item);
    return result;
}

// Makes every write of a line with this item code fail, as a full disk or a
// broken row would.
void rejectLinesOf(const QString& skuCode)
{
    ASSERT_TRUE(store()->executeUpdate(
        QStringLiteral("CREATE TEMP TRIGGER reject_line BEFORE INSERT ON salesOrderDetails "
                       "WHEN NEW.skuCode = '%1' BEGIN SELECT RAISE(ABORT, 'rejected'); END")
            .arg(skuCode)));
}

class StoreOrders : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(seedAll()); }

    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
};
} // namespace

TEST_F(StoreOrders, ListsShowTheUsersOrdersInBothSortPriorities)
{
    // Newest first, ties by ascending sold-to code.
    EXPECT_EQ(
        numbers(store()->getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 1)),
        list({"ACME.1004", "OHARA.1003", "ACME.1006", "BOLT.1002", "ACME.1001", "MULLER.1005"}));
    // Customer first.
    EXPECT_EQ(
        numbers(store()->getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 2)),
        list({"ACME.1004", "ACME.1006", "ACME.1001", "BOLT.1002", "OHARA.1003", "MULLER.1005"}));
    EXPECT_EQ(
        numbers(store()->getOrderlistRowContent(QStringLiteral("asc"), QStringLiteral("desc"), 2)),
        list({"MULLER.1005", "OHARA.1003", "BOLT.1002", "ACME.1001", "ACME.1006", "ACME.1004"}));
    // A direction is one of two words and nothing else reaches the SQL text.
    EXPECT_EQ(numbers(store()->getOrderlistRowContent(QStringLiteral("; DROP TABLE salesOrder"),
                                                      QStringLiteral("ASC"), 0))
                  .first(),
              QStringLiteral("MULLER.1005"));
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);

    delegate.userName = kBob;
    EXPECT_EQ(numbers(AppManager::getOrderlistRowContent(QStringLiteral("DESC"),
                                                         QStringLiteral("ASC"), 0)),
              list({"BOB.2001"}));
    delegate.userName = QString();
    EXPECT_TRUE(store()
                    ->getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 0)
                    .isEmpty());
}

TEST_F(StoreOrders, StatusFiltersLeaveOrdersAtTwentyInNeither)
{
    // Drafts: 10 and below. Uploaded: the server's states above 20. An order
    // the device itself marked 20 shows only in the unfiltered list.
    const QStringList drafts = numbers(store()->getOrderlistRowContentWithStatus(
        10, QStringLiteral("DESC"), QStringLiteral("ASC"), 1));
    EXPECT_EQ(drafts, list({"ACME.1004", "ACME.1006", "ACME.1001", "MULLER.1005"}));
    const QStringList uploaded = numbers(AppManager::getOrderlistRowContentWithStatus(
        20, QStringLiteral("DESC"), QStringLiteral("ASC"), 1));
    EXPECT_EQ(uploaded, list({"OHARA.1003"}));
    EXPECT_EQ(numbers(store()->getOrderlistRowContentWithStatus(20, QStringLiteral("ASC"),
                                                                QStringLiteral("ASC"), 2)),
              uploaded);
    EXPECT_TRUE(
        numbers(store()->getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 1))
            .contains(QStringLiteral("BOLT.1002")));

    delegate.userName = kBob;
    EXPECT_EQ(numbers(store()->getOrderlistRowContentWithStatus(10, QStringLiteral("DESC"),
                                                                QStringLiteral("ASC"), 1)),
              list({"BOB.2001"}));
}

TEST_F(StoreOrders, DateRangeIncludesBothWholeDaysOfEveryUser)
{
    // Bob's order is in the range although alice is the user: the range has no owner.
    EXPECT_EQ(numbers(store()->getOrderListWithStartDate(QStringLiteral("2025-03-01"),
                                                         QStringLiteral("2025-03-31"))),
              list({"ACME.1001", "ACME.1006", "BOLT.1002", "OHARA.1003", "BOB.2001"}));
    EXPECT_EQ(numbers(AppManager::getOrderListWithStartDate(QStringLiteral("2025-04-01"),
                                                            QStringLiteral("2025-04-01"))),
              list({"ACME.1004"}));
    EXPECT_EQ(numbers(store()->getOrderListWithStartDate(QString(), QStringLiteral("2025-02-28"))),
              list({"MULLER.1005"}));
    EXPECT_EQ(numbers(store()->getOrderListWithStartDate(QStringLiteral("2025-03-31"), QString())),
              list({"OHARA.1003", "ACME.1004"}));
    EXPECT_EQ(store()->getOrderListWithStartDate(QString(), QString()).size(), 7);
}

TEST_F(StoreOrders, SavingStampsTheOrderAndKeepsItsCreationTime)
{
    TestSandbox::setNow(QStringLiteral("2025-05-02 10:00:00"));
    SalesOrder order;
    order.purchaseOrderNo = order.orderNo = QStringLiteral("BOLT.1746172800123");
    order.soldToCode = QStringLiteral("C200");
    order.remark = QStringLiteral("O'Hara's \"best\" shop; -- Grüße");
    ASSERT_TRUE(AppManager::saveSalesOrder(order, order.purchaseOrderNo));

    std::optional<SalesOrder> stored = store()->getSalesOrder(order.purchaseOrderNo);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->creationDate, QStringLiteral("2025-05-02 10:00:00"));
    EXPECT_EQ(stored->lastupdate, QStringLiteral("2025-05-02 10:00:00"));
    EXPECT_EQ(stored->remark, order.remark);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder"),
                        QStringLiteral("purchaseOrderNo = ? AND so_salesman = ?"),
                        {order.purchaseOrderNo, kAlice}),
              1);

    TestSandbox::setNow(QStringLiteral("2025-05-02 11:30:00"));
    stored->remark = QStringLiteral("second");
    ASSERT_TRUE(store()->saveSalesOrder(*stored, stored->purchaseOrderNo));
    std::optional<SalesOrder> again = store()->getSalesOrder(order.purchaseOrderNo);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->creationDate, QStringLiteral("2025-05-02 10:00:00"));
    EXPECT_EQ(again->lastupdate, QStringLiteral("2025-05-02 11:30:00"));
    EXPECT_EQ(again->remark, QStringLiteral("second"));
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 8);
    EXPECT_TRUE(AppManager::checkPurchaseOrderNoExist(order.purchaseOrderNo));
    EXPECT_FALSE(AppManager::checkPurchaseOrderNoExist(QStringLiteral("BOLT.")));
}

TEST_F(StoreOrders, ChangingTheNumberMovesTheRowAndTakenNumbersAreRefused)
{
    SalesOrder order = *store()->getSalesOrder(QStringLiteral("ACME.1006"));
    order.purchaseOrderNo = order.orderNo = QStringLiteral("ACME.2000");
    ASSERT_TRUE(store()->saveSalesOrder(order, QStringLiteral("ACME.1006")));
    EXPECT_FALSE(store()->getSalesOrder(QStringLiteral("ACME.1006")).has_value());
    EXPECT_EQ(
        countRows(QStringLiteral("salesOrder"), QStringLiteral("purchaseOrderNo = 'ACME.2000'")),
        1);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);

    // Taking the number of another order stores nothing, and says so.
    order.purchaseOrderNo = QStringLiteral("ACME.1001");
    order.remark = QStringLiteral("must not land");
    EXPECT_FALSE(store()->saveSalesOrder(order, QStringLiteral("ACME.2000")));
    EXPECT_TRUE(store()->getSalesOrder(QStringLiteral("ACME.2000")).has_value());
    EXPECT_EQ(store()->getSalesOrder(QStringLiteral("ACME.1001"))->remark, QStringLiteral(""));

    // A new order under a taken number, and an order without a number.
    SalesOrder fresh = StoreFixtures::order(QStringLiteral("ACME.1001"));
    fresh.remark = QStringLiteral("must not land");
    EXPECT_FALSE(AppManager::saveSalesOrder(fresh, QStringLiteral(".")));
    EXPECT_EQ(store()->getSalesOrder(QStringLiteral("ACME.1001"))->remark, QStringLiteral(""));
    EXPECT_FALSE(store()->saveSalesOrder(SalesOrder(), QString()));
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);
}

TEST_F(StoreOrders, RenumberingAfterUploadKeepsTheLinesUnderThePurchaseOrderNumber)
{
    EXPECT_TRUE(AppManager::OrderNoUpdate(QStringLiteral("ACME.1001"), QStringLiteral("4500009")));
    std::optional<SalesOrder> order = store()->getSalesOrder(QStringLiteral("ACME.1001"));
    ASSERT_TRUE(order.has_value());
    EXPECT_EQ(order->orderNo, QStringLiteral("4500009"));
    EXPECT_EQ(
        lineKeys(AppManager::getSalesOrderDetail(QStringLiteral("ACME.1001"))),
        list({"ACME.1001:A100x5[ ]", "ACME.1001:A120x2[ ]", "ACME.1001:B200_promoP100x1[P100]"}));
    EXPECT_TRUE(store()->getSalesOrderDetail(QStringLiteral("4500009")).isEmpty());
    // Nothing to renumber is no success.
    EXPECT_FALSE(store()->OrderNoUpdate(QStringLiteral("NOPE.1"), QStringLiteral("4500010")));
}

TEST_F(StoreOrders, TheEditorsSaveReplacesTheLinesWholeOrNotAtAll)
{
    SalesOrder order = *store()->getSalesOrder(QStringLiteral("ACME.1001"));
    SalesOrderDetails unfiled = line(QStringLiteral("elsewhere"), QStringLiteral("D100"), 1);
    unfiled.promocode = QString(); // a line outside promotions without its blank code
    ASSERT_TRUE(
        AppManager::saveOrder(order, order.purchaseOrderNo,
                              {line(order.purchaseOrderNo, QStringLiteral("A100"), 7), unfiled}));
    EXPECT_EQ(lineKeys(store()->getSalesOrderDetail(QStringLiteral("ACME.1001"))),
              list({"ACME.1001:A100x7[ ]", "ACME.1001:D100x1[ ]"}));
    // Saving the same lines again does not duplicate any of them.
    ASSERT_TRUE(store()->saveOrder(order, order.purchaseOrderNo,
                                   store()->getSalesOrderDetail(QStringLiteral("ACME.1001"))));
    EXPECT_EQ(
        countRows(QStringLiteral("salesOrderDetails"), QStringLiteral("orderNo = 'ACME.1001'")), 2);

    // A new number takes the lines along; none stay behind under the old one.
    order.purchaseOrderNo = order.orderNo = QStringLiteral("ACME.3000");
    ASSERT_TRUE(store()->saveOrder(order, QStringLiteral("ACME.1001"),
                                   {line(QStringLiteral("ACME.1001"), QStringLiteral("A120"), 3)}));
    EXPECT_EQ(
        countRows(QStringLiteral("salesOrderDetails"), QStringLiteral("orderNo = 'ACME.1001'")), 0);
    EXPECT_EQ(lineKeys(store()->getSalesOrderDetail(QStringLiteral("ACME.3000"))),
              list({"ACME.3000:A120x3[ ]"}));

    // A line that cannot be written leaves header and lines as they were.
    rejectLinesOf(QStringLiteral("BAD1"));
    SalesOrder edited = order;
    edited.remark = QStringLiteral("must not land");
    EXPECT_FALSE(
        store()->saveOrder(edited, QStringLiteral("ACME.3000"),
                           {line(QStringLiteral("ACME.3000"), QStringLiteral("A100"), 1),
                            line(QStringLiteral("ACME.3000"), QStringLiteral("BAD1"), 1)}));
    EXPECT_EQ(store()->getSalesOrder(QStringLiteral("ACME.3000"))->remark, QStringLiteral(""));
    EXPECT_EQ(lineKeys(store()->getSalesOrderDetail(QStringLiteral("ACME.3000"))),
              list({"ACME.3000:A120x3[ ]"}));
    // ... and a new order is not stored at all.
    SalesOrder fresh = StoreFixtures::order(QStringLiteral("BOLT.4000"));
    EXPECT_FALSE(
        store()->saveOrder(fresh, QStringLiteral("."),
                           {line(QStringLiteral("BOLT.4000"), QStringLiteral("BAD1"), 1)}));
    EXPECT_FALSE(store()->getSalesOrder(QStringLiteral("BOLT.4000")).has_value());

    // A taken number stores neither header nor lines and leaves the other
    // order's lines alone.
    ASSERT_TRUE(addOrderLine(line(QStringLiteral("ACME.1006"), QStringLiteral("A100"), 4)));
    edited.purchaseOrderNo = QStringLiteral("ACME.1006");
    EXPECT_FALSE(
        store()->saveOrder(edited, QStringLiteral("ACME.3000"),
                           {line(QStringLiteral("ACME.1006"), QStringLiteral("A121"), 9)}));
    EXPECT_TRUE(store()->getSalesOrder(QStringLiteral("ACME.3000")).has_value());
    EXPECT_EQ(lineKeys(store()->getSalesOrderDetail(QStringLiteral("ACME.1006"))),
              list({"ACME.1006:A100x4[ ]"}));
    EXPECT_EQ(lineKeys(store()->getSalesOrderDetail(QStringLiteral("ACME.3000"))),
              list({"ACME.3000:A120x3[ ]"}));
}

TEST_F(StoreOrders, LinesAreKeyedByOrderItemAndPromotion)
{
    TestSandbox::setNow(QStringLiteral("2025-05-02 10:00:00"));
    SalesOrderDetails plain = line(QStringLiteral("O'NEIL.1"), QStringLiteral("A100"), 2);
    plain.creationDate = SalesOrder::unsetTime();
    const SalesOrderDetails promo = line(
        QStringLiteral("O'NEIL.1"), QStringLiteral("A100_promoP100"), 1, QStringLiteral("P100"));
    EXPECT_TRUE(AppManager::saveOrderItemArray({plain, promo}));
    // The same key again replaces the stored line.
    plain.quantity = 6;
    plain.uomCode = QStringLiteral("PC");
    EXPECT_TRUE(store()->saveOrderItemArray({plain}));
    const QList<SalesOrderDetails> lines = store()->getSalesOrderDetail(QStringLiteral("O'NEIL.1"));
    EXPECT_EQ(lineKeys(lines), list({"O'NEIL.1:A100x6[ ]", "O'NEIL.1:A100_promoP100x1[P100]"}));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.first().uomCode, QStringLiteral("PC"));
    EXPECT_EQ(lines.first().creationDate, QStringLiteral("2025-05-02 10:00:00"));

    rejectLinesOf(QStringLiteral("BAD2"));
    EXPECT_FALSE(
        store()->saveOrderItemArray({line(QStringLiteral("O'NEIL.1"), QStringLiteral("BAD2"), 1),
                                     line(QStringLiteral("O'NEIL.1"), QStringLiteral("A121"), 1)}));
    EXPECT_EQ(store()->getSalesOrderDetail(QStringLiteral("O'NEIL.1")).size(), 3);
}

TEST_F(StoreOrders, DeletingAnOrderTakesItsLinesAndLeavesItsPhotos)
{
    EXPECT_TRUE(AppManager::deleteSalesOrder(QStringLiteral("ACME.1001")));
    EXPECT_FALSE(store()->getSalesOrder(QStringLiteral("ACME.1001")).has_value());
    EXPECT_TRUE(store()->getSalesOrderDetail(QStringLiteral("ACME.1001")).isEmpty());
    EXPECT_EQ(store()->getOrderImg(QStringLiteral("ACME.1001")).size(), 1);

    // The header alone, and the lines alone.
    ASSERT_TRUE(addOrderLine(line(QStringLiteral("ACME.1006"), QStringLiteral("A100"), 1)));
    EXPECT_TRUE(store()->deleteSalesOrder(QStringLiteral("ACME.1006")));
    EXPECT_EQ(store()->getSalesOrderDetail(QStringLiteral("ACME.1006")).size(), 1);
    EXPECT_TRUE(AppManager::deleteSalesOrderDetail(QStringLiteral("ACME.1006")));
    EXPECT_TRUE(store()->getSalesOrderDetail(QStringLiteral("ACME.1006")).isEmpty());

    // Header and lines go together or not at all.
    ASSERT_TRUE(addOrderLine(line(QStringLiteral("ACME.1004"), QStringLiteral("A100"), 1)));
    ASSERT_TRUE(store()->executeUpdate(
        QStringLiteral("CREATE TEMP TRIGGER keep_lines BEFORE DELETE ON salesOrderDetails "
                       "BEGIN SELECT RAISE(ABORT, 'kept'); END")));
    EXPECT_FALSE(store()->deleteOrder(QStringLiteral("ACME.1004")));
    EXPECT_TRUE(store()->getSalesOrder(QStringLiteral("ACME.1004")).has_value());
}

TEST_F(StoreOrders, PlaceholderNumbersMissingOrdersAndSalesmen)
{
    // Lines and photos of a new order whose customer was never chosen are not
    // the order's: "." is nobody's number.
    ASSERT_TRUE(addOrderLine(line(QStringLiteral("."), QStringLiteral("A100"), 1)));
    ASSERT_TRUE(addOrderImage(QStringLiteral("."), QStringLiteral("20250301090000.png")));
    EXPECT_TRUE(store()->getSalesOrderDetail(QStringLiteral(".")).isEmpty());
    EXPECT_TRUE(AppManager::getOrderImg(QStringLiteral(".")).isEmpty());

    const QList<QVariantMap> photos = store()->getOrderImg(QStringLiteral("ACME.1001"));
    ASSERT_EQ(photos.size(), 1);
    EXPECT_EQ(photos.first().value(QStringLiteral("orderno")).toString(),
              QStringLiteral("ACME.1001"));
    EXPECT_EQ(photos.first().value(QStringLiteral("imagename")).toString(),
              QStringLiteral("20250301090500.png"));

    EXPECT_FALSE(AppManager::getSalesOrder(QStringLiteral("NOPE.1")).has_value());
    EXPECT_TRUE(store()->getSalesOrderDetail(QStringLiteral("NOPE.1")).isEmpty());

    std::optional<Salesman> bob = AppManager::getSalesman(kBob);
    ASSERT_TRUE(bob.has_value());
    EXPECT_EQ(bob->salesmanCode, kBobCode);
    EXPECT_EQ(bob->status, 20);
    EXPECT_FALSE(store()->getSalesman(QStringLiteral("O'Brien")).has_value());

    EXPECT_EQ(AppManager::getSalesOrderMaxId(), 7);
    ASSERT_TRUE(store()->executeUpdate(QStringLiteral("DELETE FROM salesOrder")));
    EXPECT_EQ(store()->getSalesOrderMaxId(), -1);
}

TEST(StoreDelegateRegistration, TheApplicationDelegateProvidesTheUserName)
{
    TestSandbox sandbox;
    ASSERT_TRUE(seedAll());
    {
        AppDelegate application(nullptr);
        EXPECT_EQ(DataManager::delegate(), &application);
        application.setUserName(kBob);
        EXPECT_EQ(numbers(AppManager::getOrderlistRowContent(QStringLiteral("DESC"),
                                                             QStringLiteral("ASC"), 1)),
                  list({"BOB.2001"}));
        application.setSelectSoldTo(QStringLiteral("C100"));
        EXPECT_EQ(AppManager::getDistrictListWithRegion(QString()), list({"Harbour", "Old Town"}));
    }
    EXPECT_EQ(DataManager::delegate(), nullptr);
    EXPECT_TRUE(AppManager::getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 1)
                    .isEmpty());
}
