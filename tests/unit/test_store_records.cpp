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

    // Codes outside the known ones read "Undefined"; payment term 2 is "M30".
    std::tie(order.type, order.vdtype, order.paymenttype) = std::tuple(0, 3, 2);
    EXPECT_TRUE(
        order.exportSalesOrder().endsWith("\tUndefined\tUndefined\tM30\t2025-03-01 09:00:00\n"));

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
}
