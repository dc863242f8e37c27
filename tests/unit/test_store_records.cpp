#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}
} // namespace

TEST(StoreRecords, ExportWritesLabelsAndUtf8)
{
    TestSandbox sandbox;
    SalesOrder order =
        StoreFixtures::order(u"ACME.1"_s, u"C100"_s, u"SH101"_s, u"2025-03-01 09:00:00"_s);
    order.type = 2;
    order.vdtype = 2;
    order.paymenttype = 1;
    order.deliverAddress = u"Müllerstraße 5"_s;
    order.sapStatus = u""_s;
    EXPECT_EQ(
        order.exportSalesOrder(),
        QByteArray("creationDate\tpurchaseOrderNo\torderDate\tdeliverDate\tdeliverAddress\t"
                   "soldToCode\tshipToCode\tuploadStatus\tsapStatus\tsapOrderNo\ttype\tvdtype\t"
                   "paymenttype\tlastupdate\n"
                   "2025-03-01 09:00:00\tACME.1\t2025-03-01 00:00:00\t2025-04-15 00:00:00\t"
                   "M\xc3\xbcllerstra\xc3\x9f"
                   "e 5\tC100\tSH101\t10\t\t\tZSMX\tNO\tCOD\t2025-03-01 09:00:00\n"));

    order.type = 0;
    order.vdtype = 3;
    order.paymenttype = 2;
    const QList<QByteArray> values = order.exportSalesOrder().split('\n').at(1).split('\t');
    ASSERT_EQ(values.size(), 14);
    EXPECT_EQ(values.at(10), "Undefined");
    EXPECT_EQ(values.at(11), "Undefined");
    EXPECT_EQ(values.at(12), "M30");

    SalesOrderDetails line = StoreFixtures::line(u"ACME.1"_s, u"B200_promoP7"_s, 12, u"P7"_s);
    line.creationDate = u"2025-03-01 09:00:00"_s;
    line.lastupdate = u"2025-03-01 09:05:00"_s;
    EXPECT_EQ(line.exportSalesOrderDetail(),
              QByteArray("2025-03-01 09:00:00\tACME.1\tB200_promoP7\t12\tCS\tP7\t"
                         "2025-03-01 09:05:00\n"));
}

TEST(StoreRecords, RowsAreReadByPositionAndNullColumnsReadEmpty)
{
    TestSandbox sandbox;
    // A header as the server's records leave it: no delivery address, VD type
    // or payment terms; a priority that is text.
    ASSERT_TRUE(store()->executeUpdate(
        u"INSERT INTO salesOrder (purchaseOrderNo, orderNo, priority, uploadStatus, "
        "deliverAddress, vdtype, PaymentType) VALUES "
        "('S.1', '4500', '3', '30', NULL, NULL, NULL), "
        "('S.2', '4501', 'abc', ' 25x', NULL, NULL, NULL)"_s));
    std::optional<SalesOrder> first = store()->getSalesOrder(u"S.1"_s);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->orderNo, u"4500"_s);
    EXPECT_EQ(first->priority, 3);
    EXPECT_EQ(first->uploadStatus, 30);
    EXPECT_EQ(first->vdtype, 0);
    EXPECT_EQ(first->paymenttype, 0);
    EXPECT_FALSE(first->deliverAddress.isNull());
    EXPECT_TRUE(first->deliverAddress.isEmpty());
    std::optional<SalesOrder> second = store()->getSalesOrder(u"S.2"_s);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->priority, 0);
    EXPECT_EQ(second->uploadStatus, 25);

    // An item captured on the device has hardly any columns; a row shorter
    // than the reader reads the missing columns as empty.
    ASSERT_TRUE(store()->executeUpdate(
        u"INSERT INTO material (skuCode, category, brand, cate1) VALUES ('N1', NULL, NULL, NULL)"_s));
    Statement row =
        store()->executeQuery(u"SELECT material.*, NULL FROM material WHERE skuCode = 'N1'"_s);
    ASSERT_EQ(row.step(), Statement::Row);
    const Material item(row);
    EXPECT_EQ(item.skuCode, u"N1"_s);
    EXPECT_TRUE(item.brand.isEmpty() && !item.brand.isNull());
    EXPECT_TRUE(item.cate1.isEmpty() && item.brandname.isEmpty());
    EXPECT_EQ(item.status, 0);
    Statement shortRow = store()->executeQuery(u"SELECT 'only', 7"_s);
    ASSERT_EQ(shortRow.step(), Statement::Row);
    const Salesman salesman(shortRow);
    EXPECT_EQ(salesman.creationDate, u"only"_s);
    EXPECT_EQ(salesman.salesmanCode, u"7"_s);
    EXPECT_TRUE(salesman.email.isEmpty());
    EXPECT_EQ(salesman.status, 0);

    // Column 4 of an item (the server's type) is skipped; the brand name comes last.
    ASSERT_TRUE(StoreFixtures::seedCatalogue());
    std::optional<Material> a100 = store()->getMaterial(u"A100"_s);
    ASSERT_TRUE(a100.has_value());
    EXPECT_EQ(a100->description, u"Item A100"_s);
    EXPECT_EQ(a100->category, u"1"_s);
    EXPECT_EQ(a100->brand, u"1"_s);
    EXPECT_EQ(a100->status, 20);
    EXPECT_EQ(a100->priority, u"2"_s);
    EXPECT_EQ(a100->unit2, u"PC"_s);
    EXPECT_EQ(a100->cate2, u"Dry"_s);
    EXPECT_EQ(a100->brandname, u"Alpha"_s);
}

TEST(StoreRecords, RepeatedAndChangingTextsReadFaithfully)
{
    TestSandbox sandbox;
    // Texts that repeat (few values), texts that keep changing (more values
    // than a column remembers), integers, reals and NULL, over many rows.
    Statement rows = store()->executeQuery(
        u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
        "SELECT 'unit ' || (i % 3), 'code ' || i, i % 50 - 25, i * 1.5, "
        "CASE WHEN i % 7 = 0 THEN NULL ELSE 'Grüße ' || (i % 40) END, 9007199254740993 FROM n"_s);
    int row = 0;
    while (rows.step() == Statement::Row) {
        ASSERT_EQ(rows.columnString(0), u"unit %1"_s.arg(row % 3)) << row;
        ASSERT_EQ(rows.columnString(1), u"code %1"_s.arg(row)) << row;
        ASSERT_EQ(rows.columnString(2), QString::number(row % 50 - 25)) << row;
        ASSERT_EQ(rows.columnString(3), rows.columnText(3)) << row;
        ASSERT_EQ(rows.columnString(4), row % 7 == 0 ? QString() : u"Grüße %1"_s.arg(row % 40))
            << row;
        ASSERT_EQ(rows.columnString(5), u"9007199254740993"_s);
        ++row;
    }
    EXPECT_EQ(row, 300);
}
