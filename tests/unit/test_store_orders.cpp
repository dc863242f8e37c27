#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}

QString numbers(const QList<SalesOrder>& orders)
{
    QStringList result;
    for (const SalesOrder& order : orders)
        result << order.purchaseOrderNo;
    return result.join(u' ');
}

QString lines(const QString& orderNo)
{
    QStringList result;
    for (const SalesOrderDetails& line : store()->getSalesOrderDetail(orderNo))
        result << u"%1:%2x%3[%4]"_s.arg(line.orderNo, line.skuCode)
                      .arg(line.quantity)
                      .arg(line.promocode);
    return result.join(u' ');
}

QString remarkOf(const QString& number)
{
    const std::optional<SalesOrder> order = store()->getSalesOrder(number);
    return order ? order->remark : u"<none>"_s;
}

// Makes every write of a line with this item code fail, as a full disk or a
// broken row would.
void rejectLinesOf(const QString& skuCode)
{
    ASSERT_TRUE(store()->executeUpdate(
        u"CREATE TEMP TRIGGER reject_line BEFORE INSERT ON salesOrderDetails "
        "WHEN NEW.skuCode = '%1' BEGIN SELECT RAISE(ABORT, 'rejected'); END"_s.arg(skuCode)));
}

class StoreOrders : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(seedAll()); }

    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
};
} // namespace

// The sorts, the status filters and a closed date range are the order list's
// tests to walk. A date range has no owner and may be open at either end.
TEST_F(StoreOrders, ListsShowTheUsersOrdersAndOpenDateRanges)
{
    EXPECT_EQ(numbers(store()->getOrderListWithStartDate(QString(), u"2025-02-28"_s)),
              "MULLER.1005");
    EXPECT_EQ(numbers(store()->getOrderListWithStartDate(u"2025-03-31"_s, QString())),
              "OHARA.1003 ACME.1004");
    // A direction is one of two words and nothing else reaches the SQL text.
    EXPECT_TRUE(numbers(store()->getOrderlistRowContent(u"; DROP TABLE salesOrder"_s, u"ASC"_s, 0))
                    .startsWith(u"MULLER.1005"));

    delegate.userName = kBob;
    EXPECT_EQ(numbers(AppManager::getOrderlistRowContent(u"DESC"_s, u"ASC"_s, 0)), "BOB.2001");
    delegate.userName = QString();
    EXPECT_TRUE(store()->getOrderlistRowContent(u"DESC"_s, u"ASC"_s, 0).isEmpty());
}

// A save reads back equal to what was saved; only the update time moves.
TEST_F(StoreOrders, SavingStampsTheOrderKeepsItsCreationTimeAndRefusesTakenNumbers)
{
    TestSandbox::setNow(u"2025-05-02 10:00:00"_s);
    SalesOrder order;
    order.purchaseOrderNo = order.orderNo = u"BOLT.1746172800123"_s;
    order.soldToCode = u"C200"_s;
    order.remark = u"O'Hara's \"best\" shop; -- Grüße"_s;
    ASSERT_TRUE(AppManager::saveSalesOrder(order, order.purchaseOrderNo));
    std::optional<SalesOrder> stored = store()->getSalesOrder(order.purchaseOrderNo);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->creationDate + u'|' + stored->lastupdate + u'|' + stored->remark,
              u"2025-05-02 10:00:00|2025-05-02 10:00:00|"_s + order.remark);
    EXPECT_EQ(countRows(u"salesOrder"_s, u"purchaseOrderNo = ? AND so_salesman = ?"_s,
                        {order.purchaseOrderNo, kAlice}),
              1);
    TestSandbox::setNow(u"2025-05-02 11:30:00"_s);
    stored->remark = u"second"_s;
    ASSERT_TRUE(store()->saveSalesOrder(*stored, stored->purchaseOrderNo));
    SalesOrder expected = *stored;
    expected.lastupdate = u"2025-05-02 11:30:00"_s;
    EXPECT_TRUE(*store()->getSalesOrder(order.purchaseOrderNo) == expected);

    // A new number moves the row.
    order = *store()->getSalesOrder(u"ACME.1006"_s);
    order.purchaseOrderNo = order.orderNo = u"ACME.2000"_s;
    ASSERT_TRUE(store()->saveSalesOrder(order, u"ACME.1006"_s));
    EXPECT_FALSE(store()->getSalesOrder(u"ACME.1006"_s).has_value());

    // Taking the number of another order stores nothing, and says so; nor is
    // a new order under a taken number or an order without a number stored.
    order.purchaseOrderNo = u"ACME.1001"_s;
    order.remark = u"must not land"_s;
    EXPECT_FALSE(store()->saveSalesOrder(order, u"ACME.2000"_s));
    EXPECT_TRUE(store()->getSalesOrder(u"ACME.2000"_s).has_value());
    SalesOrder fresh = StoreFixtures::order(u"ACME.1001"_s);
    fresh.remark = u"must not land"_s;
    EXPECT_FALSE(AppManager::saveSalesOrder(fresh, u"."_s));
    EXPECT_EQ(remarkOf(u"ACME.1001"_s), u""_s);
    EXPECT_FALSE(store()->saveSalesOrder(SalesOrder(), QString()));
    EXPECT_EQ(countRows(u"salesOrder"_s), 8);
}

TEST_F(StoreOrders, TheEditorsSaveReplacesTheLinesWholeOrNotAtAll)
{
    SalesOrder order = *store()->getSalesOrder(u"ACME.1001"_s);
    SalesOrderDetails unfiled = line(u"elsewhere"_s, u"D100"_s, 1);
    unfiled.promocode = QString(); // a line outside promotions without its blank code
    ASSERT_TRUE(AppManager::saveOrder(order, order.purchaseOrderNo,
                                      {line(order.purchaseOrderNo, u"A100"_s, 7), unfiled}));
    EXPECT_EQ(lines(u"ACME.1001"_s), "ACME.1001:A100x7[ ] ACME.1001:D100x1[ ]");
    // Saving the same lines again does not duplicate any of them.
    ASSERT_TRUE(store()->saveOrder(order, order.purchaseOrderNo,
                                   store()->getSalesOrderDetail(u"ACME.1001"_s)));
    EXPECT_EQ(lines(u"ACME.1001"_s), "ACME.1001:A100x7[ ] ACME.1001:D100x1[ ]");

    // A new number takes the lines along; none stay behind under the old one.
    order.purchaseOrderNo = order.orderNo = u"ACME.3000"_s;
    ASSERT_TRUE(store()->saveOrder(order, u"ACME.1001"_s, {line(u"ACME.1001"_s, u"A120"_s, 3)}));
    EXPECT_EQ(lines(u"ACME.1001"_s), "");
    EXPECT_EQ(lines(u"ACME.3000"_s), "ACME.3000:A120x3[ ]");

    // A line that cannot be written leaves header and lines as they were.
    rejectLinesOf(u"BAD1"_s);
    SalesOrder edited = order;
    edited.remark = u"must not land"_s;
    EXPECT_FALSE(store()->saveOrder(
        edited, u"ACME.3000"_s,
        {line(u"ACME.3000"_s, u"A100"_s, 1), line(u"ACME.3000"_s, u"BAD1"_s, 1)}));
    EXPECT_EQ(remarkOf(u"ACME.3000"_s), u""_s);
    EXPECT_EQ(lines(u"ACME.3000"_s), "ACME.3000:A120x3[ ]");
    // ... and a new order is not stored at all.
    SalesOrder fresh = StoreFixtures::order(u"BOLT.4000"_s);
    EXPECT_FALSE(store()->saveOrder(fresh, u"."_s, {line(u"BOLT.4000"_s, u"BAD1"_s, 1)}));
    EXPECT_FALSE(store()->getSalesOrder(u"BOLT.4000"_s).has_value());

    // A taken number stores neither header nor lines and leaves the other
    // order's lines alone.
    ASSERT_TRUE(addOrderLine(line(u"ACME.1006"_s, u"A100"_s, 4)));
    edited.purchaseOrderNo = u"ACME.1006"_s;
    EXPECT_FALSE(store()->saveOrder(edited, u"ACME.3000"_s, {line(u"ACME.1006"_s, u"A121"_s, 9)}));
    EXPECT_EQ(remarkOf(u"ACME.3000"_s), u""_s);
    EXPECT_EQ(lines(u"ACME.1006"_s), "ACME.1006:A100x4[ ]");
    EXPECT_EQ(lines(u"ACME.3000"_s), "ACME.3000:A120x3[ ]");
}

TEST_F(StoreOrders, LinesAreKeyedByOrderItemAndPromotion)
{
    TestSandbox::setNow(u"2025-05-02 10:00:00"_s);
    SalesOrderDetails plain = line(u"O'NEIL.1"_s, u"A100"_s, 2);
    plain.creationDate = SalesOrder::unsetTime();
    const SalesOrderDetails promo = line(u"O'NEIL.1"_s, u"A100_promoP100"_s, 1, u"P100"_s);
    EXPECT_TRUE(AppManager::saveOrderItemArray({plain, promo}));
    // The same key again replaces the stored line.
    plain.quantity = 6;
    plain.uomCode = u"PC"_s;
    EXPECT_TRUE(store()->saveOrderItemArray({plain}));
    EXPECT_EQ(lines(u"O'NEIL.1"_s), "O'NEIL.1:A100x6[ ] O'NEIL.1:A100_promoP100x1[P100]");
    const SalesOrderDetails first = store()->getSalesOrderDetail(u"O'NEIL.1"_s).first();
    EXPECT_EQ(first.uomCode + u' ' + first.creationDate, u"PC 2025-05-02 10:00:00"_s);

    rejectLinesOf(u"BAD2"_s);
    EXPECT_FALSE(store()->saveOrderItemArray(
        {line(u"O'NEIL.1"_s, u"BAD2"_s, 1), line(u"O'NEIL.1"_s, u"A121"_s, 1)}));
    EXPECT_EQ(store()->getSalesOrderDetail(u"O'NEIL.1"_s).size(), 3);
}

TEST_F(StoreOrders, DeletingAnOrderTakesItsLinesAndLeavesItsPhotos)
{
    EXPECT_TRUE(AppManager::deleteSalesOrder(u"ACME.1001"_s));
    EXPECT_FALSE(store()->getSalesOrder(u"ACME.1001"_s).has_value());
    EXPECT_EQ(lines(u"ACME.1001"_s), "");
    EXPECT_EQ(store()->getOrderImg(u"ACME.1001"_s).size(), 1);

    // Header and lines go together or not at all.
    ASSERT_TRUE(addOrderLine(line(u"ACME.1004"_s, u"A100"_s, 1)));
    ASSERT_TRUE(
        store()->executeUpdate(u"CREATE TEMP TRIGGER keep_lines BEFORE DELETE ON salesOrderDetails "
                               "BEGIN SELECT RAISE(ABORT, 'kept'); END"_s));
    EXPECT_FALSE(store()->deleteOrder(u"ACME.1004"_s));
    EXPECT_TRUE(store()->getSalesOrder(u"ACME.1004"_s).has_value());
}

TEST_F(StoreOrders, TheLastIdIsMinusOneWithoutOrders)
{
    EXPECT_EQ(AppManager::getSalesOrderMaxId(), 7);
    ASSERT_TRUE(store()->executeUpdate(u"DELETE FROM salesOrder"_s));
    EXPECT_EQ(store()->getSalesOrderMaxId(), -1);
}
