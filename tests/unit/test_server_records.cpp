#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A record as the server sends it, from "field=value;field=value" (texts only).
QVariantMap rec(const QString& fields)
{
    QVariantMap record;
    for (const QString& field : fields.split(u';'))
        record.insert(field.section(u'=', 0, 0), field.section(u'=', 1));
    return record;
}

struct RecordsFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeStoreDelegate owner{u"demo"_s};
    DataManager* store = DataManager::sharedManager();
    // The rows of a query, columns joined by "|", rows by ",".
    QString rows(const QString& sql)
    {
        Statement s = store->executeQuery(sql);
        QStringList result;
        while (s.step() == Statement::Row) {
            QStringList columns;
            for (int i = 0; i < s.columnCount(); ++i)
                columns << s.columnText(i);
            result << columns.join(u'|');
        }
        return result.join(u',');
    }
};
} // namespace

TEST_F(RecordsFixture, MasterRecordsInsertThenUpdateInPlaceAndKeepTextsAsReceived)
{
    QVariantMap bolt = rec(u"customerCode=C2;customerName=Bolt"_s);
    bolt.insert(u"status"_s, 20);
    EXPECT_TRUE(
        store->updateCustomerSoldTo({rec(u"customerCode=C1;customerName=Acme;status=20"_s), bolt}));
    EXPECT_TRUE(store->updateCustomerSoldTo(
        {rec(u"customerCode=C1;customerName=Acme Stores;status=10"_s)}));
    EXPECT_EQ(rows(u"SELECT customerCode, customerName, status FROM customerSoldTo ORDER BY 1"_s),
              "C1|Acme Stores|10,C2|Bolt|20");
    EXPECT_TRUE(store->updateCustomerSoldTo({}));

    // Each brand keeps its own name.
    const QVariantList brands{rec(u"brandCode=7;brandName=Acme"_s),
                              rec(u"brandCode=8;brandName=Bolt"_s)};
    EXPECT_TRUE(store->updateBrand(brands));
    EXPECT_TRUE(store->updateBrand(brands));
    EXPECT_TRUE(store->updateBrand({rec(u"brandCode=8;brandName=Bolt & Co"_s)}));
    EXPECT_EQ(rows(u"SELECT brandCode, brandName FROM brand ORDER BY 1"_s), "7|Acme,8|Bolt & Co");

    // Items keep their first categories; categories are whole numbers.
    EXPECT_TRUE(store->updateMaterial(
        {rec(u"skuCode=A100;description=Kid's shoe;Cat1=A;brand=7;status=20;photo=1"_s)}));
    EXPECT_TRUE(
        store->updateMaterial({rec(u"skuCode=A100;description=Kid's boot;Cat1=B;status=10"_s)}));
    store->updateMaterial({rec(u"skuCode=B1;category=3.9;photo=1;priority=000010"_s)});
    EXPECT_EQ(rows(u"SELECT skuCode, description, cate1, status, category, phototype, priority "
                   "FROM material ORDER BY 1"_s),
              "A100|Kid's boot|A|10|0||,B1|||0|3|1|000010");

    // Addresses and accounts with quotes are stored intact.
    EXPECT_TRUE(store->updateCustomerShipTo(
        {rec(u"customerCode=C1;shipToCode=S1;address=O'Hara Road;description=Bob's"_s)}));
    EXPECT_EQ(rows(u"SELECT address, description FROM customerShipTo"_s), "O'Hara Road|Bob's");
    EXPECT_TRUE(store->updateSalesman({rec(u"salesmanCode=S'1;password=it's"_s)}));
    EXPECT_EQ(rows(u"SELECT password FROM salesman WHERE salesmanCode='S''1'"_s), "it's");

    // Records without keys or shape are skipped and reported.
    EXPECT_FALSE(store->updateMaterial(
        {rec(u"description=no code"_s), QVariant(42), rec(u"skuCode=OK1"_s)}));
    EXPECT_EQ(rows(u"SELECT COUNT(*) FROM material"_s), "3");
}

TEST_F(RecordsFixture, PromotionLinesAreFiledUnderTheMarkedItemCode)
{
    EXPECT_TRUE(store->updateSalesOrderDetail(
        {rec(u"orderNo=PO.1;skuCode=A100;PromotionCode= ;quantity=5"_s),
         rec(u"orderNo=PO.1;skuCode=A100;PromotionCode=P7;quantity=2"_s),
         rec(u"orderNo=PO.1;skuCode=B200;quantity=1"_s)}));
    // The same line again updates its quantity in place.
    EXPECT_TRUE(store->updateSalesOrderDetail(
        {rec(u"orderNo=PO.1;skuCode=A100;PromotionCode=P7;quantity=9"_s)}));
    EXPECT_EQ(
        rows(u"SELECT skuCode, Promocode, quantity FROM salesOrderDetails ORDER BY skuCode"_s),
        "A100| |5,A100_promoP7|P7|9,B200| |1");
}

TEST_F(RecordsFixture, ServerOrdersRoutesAndPromotionsAreFiledAndUploadsMarked)
{
    // Server orders belong to the user and keep their local fields.
    ASSERT_TRUE(store->executeUpdate(
        u"INSERT INTO salesOrder (purchaseOrderNo, orderNo, deliverAddress, vdtype, PaymentType, "
        "so_salesman) VALUES ('PO.1', 'PO.1', 'Dock 4', 2, 1, 'demo')"_s));
    EXPECT_TRUE(store->updateSalesOrder(
        {rec(u"purchaseOrderNo=PO.1;orderNo=4711;uploadStatus=30;remark=ring twice"_s),
         rec(u"purchaseOrderNo=PO.2;orderNo=4712"_s)}));
    EXPECT_EQ(
        rows(u"SELECT purchaseOrderNo, orderNo, uploadStatus, remark, deliverAddress, vdtype, "
             "PaymentType, so_salesman FROM salesOrder ORDER BY 1"_s),
        "PO.1|4711|30|ring twice|Dock 4|2|1|demo,PO.2|4712|0|||0|0|demo");

    // Route stops change only their status and times.
    EXPECT_TRUE(
        store->updateRoutingShipTo({rec(u"routingId=5;shipToCode=S1;status=20;lastUpdate=a"_s)}));
    QVariantMap stop = rec(u"shipToCode=S1;status=10;lastUpdate=b"_s);
    stop.insert(u"routingId"_s, 5); // a number this time
    EXPECT_TRUE(store->updateRoutingShipTo({stop}));
    EXPECT_EQ(rows(u"SELECT routingId, shipToCode, status, lastUpdate FROM routing_shipTo"_s),
              "5|S1|10|b");
    EXPECT_TRUE(store->updateRouting(
        {rec(u"id=9;routingId=5;salesmanCode=S001;start_date=2025-01-01;status=20"_s)}));
    QVariantMap route = rec(u"routingId=6;status=20"_s);
    route.insert(u"id"_s, 9);
    EXPECT_TRUE(store->updateRouting({route}));
    EXPECT_EQ(rows(u"SELECT id, routingId FROM routing"_s), "9|6");

    // Promotions keep their product list as JSON.
    QVariantMap promotion = rec(u"PromotionId=12;PromotionCode=P12;Expiry=2999-01-01 00:00:00"_s);
    promotion.insert(u"0"_s, QVariantList{rec(u"ProductCode=A100;status=20"_s)});
    EXPECT_TRUE(store->updatePromote({promotion}));
    const QString products =
        rows(u"SELECT promotionproduct FROM promote_db WHERE promotionId=12"_s);
    EXPECT_TRUE(products.contains(u"\"ProductCode\": \"A100\"")) << qPrintable(products);

    // An upload marks the order and its time.
    ASSERT_TRUE(store->executeUpdate(
        u"INSERT INTO salesOrder (purchaseOrderNo, uploadStatus) VALUES ('PO.9', 10)"_s));
    TestSandbox::setNow(u"2025-05-14 10:11:12"_s);
    store->updateStatus(u"PO.9"_s);
    EXPECT_EQ(
        rows(u"SELECT uploadStatus, lastUpdate FROM salesOrder WHERE purchaseOrderNo='PO.9'"_s),
        "20|2025-05-14 10:11:12");
}
