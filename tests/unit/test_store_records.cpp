#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/QtPrinters.h"
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

    // Codes outside the known ones read "Undefined"; payment term 2 is "M30".
    order.type = 0;
    order.vdtype = 3;
    order.paymenttype = 2;
    EXPECT_EQ(order.exportSalesOrder().split('\n').at(1).split('\t').mid(10, 3),
              QList<QByteArray>({"Undefined", "Undefined", "M30"}));

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
    const auto header = [](const QString& number) {
        const std::optional<SalesOrder> o = store()->getSalesOrder(number);
        return o ? u"%1|%2|%3|%4|%5|%6"_s.arg(o->orderNo)
                       .arg(o->priority)
                       .arg(o->uploadStatus)
                       .arg(o->vdtype)
                       .arg(o->paymenttype)
                       .arg(o->deliverAddress.isNull())
                 : u"<none>"_s;
    };
    EXPECT_EQ(header(u"S.1"_s), u"4500|3|30|0|0|0"_s);
    EXPECT_EQ(header(u"S.2"_s), u"4501|0|25|0|0|0"_s);

    // An item captured on the device has hardly any columns; a row shorter
    // than the reader reads the missing columns as empty.
    ASSERT_TRUE(store()->executeUpdate(
        u"INSERT INTO material (skuCode, category, brand, cate1) VALUES ('N1', NULL, NULL, NULL)"_s));
    Statement row =
        store()->executeQuery(u"SELECT material.*, NULL FROM material WHERE skuCode = 'N1'"_s);
    ASSERT_EQ(row.step(), Statement::Row);
    const Material item(row);
    EXPECT_EQ(u"%1|%2|%3|%4|%5"_s.arg(item.skuCode, item.brand, item.cate1, item.brandname)
                  .arg(item.status),
              u"N1||||0"_s);
    EXPECT_FALSE(item.brand.isNull());
    Statement shortRow = store()->executeQuery(u"SELECT 'only', 7"_s);
    ASSERT_EQ(shortRow.step(), Statement::Row);
    const Salesman salesman(shortRow);
    EXPECT_EQ(u"%1|%2|%3|%4"_s.arg(salesman.creationDate, salesman.salesmanCode, salesman.email)
                  .arg(salesman.status),
              u"only|7||0"_s);

    // Column 4 of an item (the server's type) is skipped; the brand name comes last.
    ASSERT_TRUE(StoreFixtures::seedCatalogue());
    const Material a100 = store()->getMaterial(u"A100"_s).value_or(Material());
    EXPECT_EQ(
        QStringList({a100.description, a100.category, a100.brand, QString::number(a100.status),
                     a100.priority, a100.unit2, a100.cate2, a100.brandname}),
        QStringList(
            {u"Item A100"_s, u"1"_s, u"1"_s, u"20"_s, u"2"_s, u"PC"_s, u"Dry"_s, u"Alpha"_s}));
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
