#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}
} // namespace

TEST(StoreRecords, NewRecordsStartAsDraftsWithUnsetTimes)
{
    TestSandbox sandbox;
    // The night before the spring change of clocks: 48 hours later the clock
    // reads an hour more, not the same time two days on.
    TestSandbox::setNow(QStringLiteral("2025-03-29 23:30:00"));
    const SalesOrder order;
    EXPECT_EQ(order.orderNo, QStringLiteral("None"));
    EXPECT_TRUE(order.purchaseOrderNo.isNull());
    EXPECT_EQ(order.uploadStatus, 10);
    EXPECT_EQ(order.transactionStatus, 20);
    EXPECT_EQ(order.type, 1);
    EXPECT_EQ(order.vdtype, 1);
    EXPECT_EQ(order.paymenttype, 1);
    EXPECT_EQ(order.priority, -1);
    for (const QString& time : {order.creationDate, order.orderDate, order.lastupdate})
        EXPECT_EQ(time, QStringLiteral("0000-00-00 00:00:00"));
    EXPECT_EQ(order.deliverDate, QStringLiteral("2025-04-01 00:30:00"));
    EXPECT_EQ(AppManager::generateDeliveryDate(), order.deliverDate);

    const SalesOrderDetails line;
    EXPECT_EQ(line.creationDate, QStringLiteral("2025-03-29 23:30:00"));
    EXPECT_EQ(line.lastupdate, line.creationDate);
    EXPECT_TRUE(line.promocode.isNull());

    // A copy is field for field.
    SalesOrder edited = order;
    edited.remark = QStringLiteral("changed");
    EXPECT_EQ(SalesOrder(order), order);
    EXPECT_NE(edited, order);
}

TEST(StoreRecords, ExportWritesLabelsAndUtf8)
{
    TestSandbox sandbox;
    SalesOrder order =
        StoreFixtures::order(QStringLiteral("ACME.1"), QStringLiteral("C100"),
                             QStringLiteral("SH101"), QStringLiteral("2025-03-01 09:00:00"));
    order.type = 2;
    order.vdtype = 2;
    order.paymenttype = 1;
    order.deliverAddress = QStringLiteral("Müllerstraße 5");
    order.sapStatus = QStringLiteral("");
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

    SalesOrderDetails line = StoreFixtures::line(
        QStringLiteral("ACME.1"), QStringLiteral("B200_promoP7"), 12, QStringLiteral("P7"));
    line.creationDate = QStringLiteral("2025-03-01 09:00:00");
    line.lastupdate = QStringLiteral("2025-03-01 09:05:00");
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
        QStringLiteral("INSERT INTO salesOrder (purchaseOrderNo, orderNo, priority, uploadStatus, "
                       "deliverAddress, vdtype, PaymentType) VALUES "
                       "('S.1', '4500', '3', '30', NULL, NULL, NULL), "
                       "('S.2', '4501', 'abc', ' 25x', NULL, NULL, NULL)")));
    std::optional<SalesOrder> first = store()->getSalesOrder(QStringLiteral("S.1"));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->orderNo, QStringLiteral("4500"));
    EXPECT_EQ(first->priority, 3);
    EXPECT_EQ(first->uploadStatus, 30);
    EXPECT_EQ(first->vdtype, 0);
    EXPECT_EQ(first->paymenttype, 0);
    EXPECT_FALSE(first->deliverAddress.isNull());
    EXPECT_TRUE(first->deliverAddress.isEmpty());
    std::optional<SalesOrder> second = store()->getSalesOrder(QStringLiteral("S.2"));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->priority, 0);
    EXPECT_EQ(second->uploadStatus, 25);

    // An item captured on the device has hardly any columns; a row shorter
    // than the reader reads the missing columns as empty.
    ASSERT_TRUE(store()->executeUpdate(QStringLiteral(
        "INSERT INTO material (skuCode, category, brand, cate1) VALUES ('N1', NULL, NULL, NULL)")));
    Statement row = store()->executeQuery(
        QStringLiteral("SELECT material.*, NULL FROM material WHERE skuCode = 'N1'"));
    ASSERT_EQ(row.step(), Statement::Row);
    const Material item(row);
    EXPECT_EQ(item.skuCode, QStringLiteral("N1"));
    EXPECT_TRUE(item.brand.isEmpty() && !item.brand.isNull());
    EXPECT_TRUE(item.cate1.isEmpty() && item.brandname.isEmpty());
    EXPECT_EQ(item.status, 0);
    Statement shortRow = store()->executeQuery(QStringLiteral("SELECT 'only', 7"));
    ASSERT_EQ(shortRow.step(), Statement::Row);
    const Salesman salesman(shortRow);
    EXPECT_EQ(salesman.creationDate, QStringLiteral("only"));
    EXPECT_EQ(salesman.salesmanCode, QStringLiteral("7"));
    EXPECT_TRUE(salesman.email.isEmpty());
    EXPECT_EQ(salesman.status, 0);

    // Column 4 of an item (the server's type) is skipped; the brand name comes last.
    ASSERT_TRUE(StoreFixtures::seedCatalogue());
    std::optional<Material> a100 = store()->getMaterial(QStringLiteral("A100"));
    ASSERT_TRUE(a100.has_value());
    EXPECT_EQ(a100->description, QStringLiteral("Item A100"));
    EXPECT_EQ(a100->category, QStringLiteral("1"));
    EXPECT_EQ(a100->brand, QStringLiteral("1"));
    EXPECT_EQ(a100->status, 20);
    EXPECT_EQ(a100->priority, QStringLiteral("2"));
    EXPECT_EQ(a100->unit2, QStringLiteral("PC"));
    EXPECT_EQ(a100->cate2, QStringLiteral("Dry"));
    EXPECT_EQ(a100->brandname, QStringLiteral("Alpha"));
}

TEST(StoreRecords, RepeatedAndChangingTextsReadFaithfully)
{
    TestSandbox sandbox;
    // Texts that repeat (few values), texts that keep changing (more values
    // than a column remembers), integers, reals and NULL, over many rows.
    Statement rows = store()->executeQuery(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
        "SELECT 'unit ' || (i % 3), 'code ' || i, i % 50 - 25, i * 1.5, "
        "CASE WHEN i % 7 = 0 THEN NULL ELSE 'Grüße ' || (i % 40) END, 9007199254740993 FROM n"));
    int row = 0;
    while (rows.step() == Statement::Row) {
        ASSERT_EQ(rows.columnString(0), QStringLiteral("unit %1").arg(row % 3)) << row;
        ASSERT_EQ(rows.columnString(1), QStringLiteral("code %1").arg(row)) << row;
        ASSERT_EQ(rows.columnString(2), QString::number(row % 50 - 25)) << row;
        ASSERT_EQ(rows.columnString(3), rows.columnText(3)) << row;
        ASSERT_EQ(rows.columnString(4),
                  row % 7 == 0 ? QString() : QStringLiteral("Grüße %1").arg(row % 40))
            << row;
        ASSERT_EQ(rows.columnString(5), QStringLiteral("9007199254740993"));
        ++row;
    }
    EXPECT_EQ(row, 300);
}
