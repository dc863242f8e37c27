#include "store/DataManager.h"
#include "store/StoreDelegate.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

namespace {
struct Owner : StoreDelegate {
    QString name = QStringLiteral("demo");
    QString UserName() const override { return name; }
    QString SelectSoldTo() const override { return QString(); }
};

struct RecordsFixture : ::testing::Test {
    TestSandbox sandbox;
    Owner owner;
    DataManager* store = nullptr;
    void SetUp() override
    {
        DataManager::setDelegate(&owner);
        store = DataManager::sharedManager();
    }
    void TearDown() override { DataManager::setDelegate(nullptr); }
    QString text(const QString& sql)
    {
        Statement s = store->executeQuery(sql);
        return s.step() == Statement::Row ? s.columnText(0) : QStringLiteral("<none>");
    }
    int number(const QString& sql) { return text(sql).toInt(); }
};
} // namespace

TEST_F(RecordsFixture, MasterRecordsInsertThenUpdateInPlaceWithoutDuplicates)
{
    const QVariantList first{QVariantMap{{"customerCode", "C1"}, {"customerName", "Acme"}, {"status", "20"}},
                             QVariantMap{{"customerCode", "C2"}, {"customerName", "Bolt"}, {"status", 20}}};
    EXPECT_TRUE(store->updateCustomerSoldTo(first));
    EXPECT_TRUE(store->updateCustomerSoldTo(
        {QVariantMap{{"customerCode", "C1"}, {"customerName", "Acme Stores"}, {"status", "10"}}}));
    EXPECT_EQ(number("SELECT COUNT(*) FROM customerSoldTo"), 2);
    EXPECT_EQ(text("SELECT customerName || '/' || status FROM customerSoldTo WHERE customerCode='C1'"),
              "Acme Stores/10");
    EXPECT_EQ(text("SELECT customerName FROM customerSoldTo WHERE customerCode='C2'"), "Bolt");
    EXPECT_TRUE(store->updateCustomerSoldTo({}));

    // Each brand keeps its own name.
    const QVariantList brands{QVariantMap{{"brandCode", "7"}, {"brandName", "Acme"}},
                              QVariantMap{{"brandCode", "8"}, {"brandName", "Bolt"}}};
    EXPECT_TRUE(store->updateBrand(brands));
    EXPECT_TRUE(store->updateBrand(brands));
    EXPECT_TRUE(store->updateBrand({QVariantMap{{"brandCode", "8"}, {"brandName", "Bolt & Co"}}}));
    EXPECT_EQ(text("SELECT group_concat(brandCode || '=' || brandName, ',') FROM (SELECT * FROM brand ORDER BY 1)"),
              "7=Acme,8=Bolt & Co");
}

TEST_F(RecordsFixture, ItemsKeepTheirFirstCategoriesAndTextsAsReceived)
{
    EXPECT_TRUE(store->updateMaterial({QVariantMap{{"skuCode", "A100"}, {"description", "Kid's shoe"}, {"Cat1", "A"},
                                                   {"brand", "7"}, {"status", 20}, {"photo", "1"},
                                                   {"category", "3.9"}, {"priority", "000010"}}}));
    EXPECT_TRUE(store->updateMaterial(
        {QVariantMap{{"skuCode", "A100"}, {"description", "Kid's boot"}, {"Cat1", "B"}, {"status", "10"}}}));
    EXPECT_EQ(text("SELECT description || '|' || cate1 || '|' || status FROM material"), "Kid's boot|A|10");
    EXPECT_EQ(text("SELECT phototype FROM material"), "");
    EXPECT_EQ(number("SELECT COUNT(*) FROM material"), 1);

    store->updateMaterial({QVariantMap{{"skuCode", "B1"}, {"category", "3.9"}, {"photo", "1"}, {"priority", "000010"}}});
    EXPECT_EQ(text("SELECT category || '|' || phototype || '|' || priority FROM material WHERE skuCode='B1'"),
              "3|1|000010");

    // Addresses and accounts with quotes are stored intact.
    EXPECT_TRUE(store->updateCustomerShipTo({QVariantMap{{"customerCode", "C1"}, {"shipToCode", "S1"},
                                                         {"address", "O'Hara Road"}, {"description", "Bob's"}}}));
    EXPECT_EQ(text("SELECT address || '|' || description FROM customerShipTo"), "O'Hara Road|Bob's");
    EXPECT_TRUE(store->updateSalesman({QVariantMap{{"salesmanCode", "S'1"}, {"password", "it's"}}}));
    EXPECT_EQ(text("SELECT password FROM salesman WHERE salesmanCode='S''1'"), "it's");
}

TEST_F(RecordsFixture, PromotionLinesAreFiledUnderTheMarkedItemCode)
{
    EXPECT_TRUE(store->updateSalesOrderDetail(
        {QVariantMap{{"orderNo", "PO.1"}, {"skuCode", "A100"}, {"PromotionCode", " "}, {"quantity", "5"}},
         QVariantMap{{"orderNo", "PO.1"}, {"skuCode", "A100"}, {"PromotionCode", "P7"}, {"quantity", 2}},
         QVariantMap{{"orderNo", "PO.1"}, {"skuCode", "B200"}, {"quantity", "1"}}}));
    EXPECT_EQ(text("SELECT group_concat(skuCode || '/' || Promocode || '/' || quantity, ',') FROM "
                   "(SELECT * FROM salesOrderDetails ORDER BY skuCode)"),
              "A100/ /5,A100_promoP7/P7/2,B200/ /1");
    // The same line again updates its quantity in place.
    EXPECT_TRUE(store->updateSalesOrderDetail(
        {QVariantMap{{"orderNo", "PO.1"}, {"skuCode", "A100"}, {"PromotionCode", "P7"}, {"quantity", "9"}}}));
    EXPECT_EQ(text("SELECT quantity FROM salesOrderDetails WHERE skuCode='A100_promoP7'"), "9");
    EXPECT_EQ(number("SELECT COUNT(*) FROM salesOrderDetails"), 3);
}

TEST_F(RecordsFixture, ServerOrdersRoutesAndPromotionsAreFiledAndUploadsMarked)
{
    // Server orders belong to the user and keep their local fields.
    ASSERT_TRUE(store->executeUpdate("INSERT INTO salesOrder (purchaseOrderNo, orderNo, deliverAddress, vdtype, "
                                     "PaymentType, so_salesman) VALUES ('PO.1', 'PO.1', 'Dock 4', 2, 1, 'demo')"));
    EXPECT_TRUE(store->updateSalesOrder({QVariantMap{{"purchaseOrderNo", "PO.1"}, {"orderNo", "4711"},
                                                     {"uploadStatus", "30"}, {"remark", "ring twice"}},
                                         QVariantMap{{"purchaseOrderNo", "PO.2"}, {"orderNo", "4712"}}}));
    EXPECT_EQ(text("SELECT orderNo || '|' || uploadStatus || '|' || deliverAddress || '|' || vdtype || '|' || "
                   "PaymentType FROM salesOrder WHERE purchaseOrderNo='PO.1'"),
              "4711|30|Dock 4|2|1");
    EXPECT_EQ(text("SELECT so_salesman || '|' || deliverAddress || '|' || vdtype FROM salesOrder "
                   "WHERE purchaseOrderNo='PO.2'"),
              "demo||0");

    // Route stops change only their status and times.
    EXPECT_TRUE(store->updateRoutingShipTo(
        {QVariantMap{{"routingId", "5"}, {"shipToCode", "S1"}, {"status", "20"}, {"lastUpdate", "a"}}}));
    EXPECT_TRUE(store->updateRoutingShipTo(
        {QVariantMap{{"routingId", 5}, {"shipToCode", "S1"}, {"status", "10"}, {"lastUpdate", "b"}}}));
    EXPECT_EQ(text("SELECT routingId || '|' || shipToCode || '|' || status || '|' || lastUpdate FROM routing_shipTo"),
              "5|S1|10|b");
    EXPECT_TRUE(store->updateRouting({QVariantMap{{"id", "9"}, {"routingId", "5"}, {"salesmanCode", "S001"},
                                                  {"start_date", "2025-01-01"}, {"status", "20"}}}));
    EXPECT_TRUE(store->updateRouting({QVariantMap{{"id", 9}, {"routingId", "6"}, {"status", "20"}}}));
    EXPECT_EQ(text("SELECT routingId FROM routing WHERE id=9"), "6");

    // Records without keys or shape are skipped and reported.
    EXPECT_FALSE(store->updateMaterial({QVariantMap{{"description", "no code"}}, QVariant(42),
                                        QVariantMap{{"skuCode", "OK1"}}}));
    EXPECT_EQ(number("SELECT COUNT(*) FROM material"), 1);

    // Promotions keep their product list as JSON.
    EXPECT_TRUE(store->updatePromote({QVariantMap{
        {"PromotionId", "12"},
        {"PromotionCode", "P12"},
        {"Expiry", "2999-01-01 00:00:00"},
        {"0", QVariantList{QVariantMap{{"ProductCode", "A100"}, {"status", "20"}}}}}}));
    const QString products = text("SELECT promotionproduct FROM promote_db WHERE promotionId=12");
    EXPECT_TRUE(products.contains("\"ProductCode\": \"A100\"")) << qPrintable(products);

    // Upload marks and order photos.
    ASSERT_TRUE(store->executeUpdate("INSERT INTO salesOrder (purchaseOrderNo, uploadStatus) VALUES ('PO.9', 10)"));
    TestSandbox::setNow("2025-05-14 10:11:12");
    store->updateStatus("PO.9");
    EXPECT_EQ(text("SELECT uploadStatus || '|' || lastUpdate FROM salesOrder WHERE purchaseOrderNo='PO.9'"),
              "20|2025-05-14 10:11:12");
    EXPECT_TRUE(store->insertorderimage("PO.1", "1747210272.png"));
    EXPECT_TRUE(store->insertorderimage("O'Brien.1", "x.png"));
    EXPECT_EQ(number("SELECT COUNT(*) FROM orderimage"), 2);
}
