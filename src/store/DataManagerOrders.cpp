// The salesman's orders: lists, loading, saving, renumbering and deleting.

#include "store/DataManager.h"
#include "store/StoreSql.h"

using namespace StoreSql;

namespace {

const QString kPlaceholderNumber = QStringLiteral(".");

QString orderListSql(const QString& condition, const QString& dateOrder,
                     const QString& customerOrder, int priority)
{
    const QString date = QStringLiteral("`creationDate` ") + direction(dateOrder);
    const QString customer = QStringLiteral("`soldToCode` ") + direction(customerOrder);
    return QStringLiteral("SELECT * FROM `salesOrder` WHERE %1 ORDER BY %2, %3")
        .arg(condition, priority == 2 ? customer : date, priority == 2 ? date : customer);
}

bool isUnsetTime(const QString& time)
{
    return time.isEmpty() || time == SalesOrder::unsetTime();
}

} // namespace

QList<SalesOrder> DataManager::getOrderlistRowContent(const QString& dateOrder,
                                                      const QString& customerOrder, int priority)
{
    Statement statement = executeQuery(
        orderListSql(QStringLiteral("`so_salesman` = ?"), dateOrder, customerOrder, priority),
        {userName()});
    return readList<SalesOrder>(statement);
}

QList<SalesOrder> DataManager::getOrderlistRowContentWithStatus(int status,
                                                                const QString& dateOrder,
                                                                const QString& customerOrder,
                                                                int priority)
{
    // "Uploaded" means the states the server gives its orders, above 20;
    // "draft" means the device's own state 10 and anything below it.
    const QString condition =
        status == 20 ? QStringLiteral("`uploadStatus` > ?") : QStringLiteral("`uploadStatus` <= ?");
    Statement statement =
        executeQuery(orderListSql(condition + QStringLiteral(" AND `so_salesman` = ?"), dateOrder,
                                  customerOrder, priority),
                     {status, userName()});
    return readList<SalesOrder>(statement);
}

QList<SalesOrder> DataManager::getOrderListWithStartDate(const QString& startDate,
                                                         const QString& endDate)
{
    QString sql = QStringLiteral("SELECT * FROM `salesOrder` WHERE 1=1");
    QVariantList values;
    if (!startDate.isEmpty()) {
        sql += QStringLiteral(" AND `creationDate` >= ?");
        values << startDate + QStringLiteral(" 00:00:00");
    }
    if (!endDate.isEmpty()) {
        sql += QStringLiteral(" AND `creationDate` <= ?");
        values << endDate + QStringLiteral(" 23:59:59");
    }
    sql += QStringLiteral(" ORDER BY rowid");
    Statement statement = executeQuery(sql, values);
    return readList<SalesOrder>(statement);
}

std::optional<SalesOrder> DataManager::getSalesOrder(const QString& purchaseOrderNo)
{
    Statement statement =
        executeQuery(QStringLiteral("SELECT * FROM `salesOrder` WHERE `purchaseOrderNo` = ?"),
                     {purchaseOrderNo});
    return readOne<SalesOrder>(statement);
}

QList<SalesOrderDetails> DataManager::getSalesOrderDetail(const QString& orderNo)
{
    if (orderNo == kPlaceholderNumber)
        return {};
    Statement statement = executeQuery(
        QStringLiteral("SELECT * FROM `salesOrderDetails` WHERE `orderNo` = ? ORDER BY rowid"),
        {orderNo});
    return readList<SalesOrderDetails>(statement);
}

QList<QVariantMap> DataManager::getOrderImg(const QString& orderNo)
{
    QList<QVariantMap> images;
    if (orderNo == kPlaceholderNumber)
        return images;
    Statement statement = executeQuery(
        QStringLiteral("SELECT `orderno`, `imagename` FROM `orderimage` WHERE `orderno` = ? "
                       "ORDER BY rowid"),
        {orderNo});
    while (statement.step() == Statement::Row) {
        images.append({{QStringLiteral("orderno"), statement.columnString(0)},
                       {QStringLiteral("imagename"), statement.columnString(1)}});
    }
    return images;
}

bool DataManager::moveOrderImage(const QString& imageName, const QString& fromOrderNo,
                                 const QString& toOrderNo)
{
    return executeUpdate(QStringLiteral("UPDATE `orderimage` SET `orderno` = ? WHERE `orderno` = ? "
                                        "AND `imagename` = ?"),
                         {toOrderNo, fromOrderNo, imageName});
}

bool DataManager::writeOrderHeader(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                                   bool* replacedOriginal)
{
    *replacedOriginal = false;
    // The purchase order number is the order's identity; without one the row
    // could never be found again.
    if (order.purchaseOrderNo.isEmpty())
        return false;
    const QString now = getNow();
    const QVariantList values = {
        isUnsetTime(order.creationDate) ? now : order.creationDate,
        orEmpty(order.orderNo),
        order.purchaseOrderNo,
        orEmpty(order.orderDate),
        orEmpty(order.deliverDate),
        orEmpty(order.deliverAddress),
        orEmpty(order.soldToCode),
        orEmpty(order.shipToCode),
        order.transactionStatus,
        order.uploadStatus,
        orEmpty(order.sapStatus),
        orEmpty(order.sapOrderNo),
        order.type,
        order.vdtype,
        order.paymenttype,
        order.priority,
        orEmpty(order.remark),
        now,
        orEmpty(userName()),
    };

    // The stored order is found by the number it had when it was loaded, so
    // a changed number rewrites that row. Taking a number that another order
    // holds violates the unique key and stores nothing.
    if (!originalPurchaseOrderNo.isEmpty()) {
        QVariantList updateValues = values;
        updateValues << originalPurchaseOrderNo;
        Statement update = executeQuery(
            QStringLiteral(
                "UPDATE `salesOrder` SET `creationDate`=?, `orderNo`=?, `purchaseOrderNo`=?, "
                "`orderDate`=?, `deliveryDate`=?, `deliverAddress`=?, `soldToCode`=?, "
                "`shipToCode`=?, `transactionStatus`=?, `uploadStatus`=?, `sapStatus`=?, "
                "`sapOrderNo`=?, `type`=?, `vdtype`=?, `PaymentType`=?, `priority`=?, "
                "`remark`=?, `lastUpdate`=?, `so_salesman`=? WHERE `purchaseOrderNo`=?"),
            updateValues);
        if (!noteWrite(update.step()))
            return false;
        if (changes() > 0) {
            *replacedOriginal = true;
            return true;
        }
    }

    Statement insert = executeQuery(
        QStringLiteral("INSERT INTO `salesOrder` (`creationDate`, `orderNo`, `purchaseOrderNo`, "
                       "`orderDate`, `deliveryDate`, `deliverAddress`, `soldToCode`, "
                       "`shipToCode`, `transactionStatus`, `uploadStatus`, `sapStatus`, "
                       "`sapOrderNo`, `type`, `vdtype`, `PaymentType`, `priority`, `remark`, "
                       "`lastUpdate`, `so_salesman`) VALUES (") +
            placeholders(values.size()) + QLatin1Char(')'),
        values);
    return noteWrite(insert.step());
}

bool DataManager::writeOrderLine(const SalesOrderDetails& line)
{
    const QString now = getNow();
    // A line outside any promotion is keyed by the blank promotion code; a
    // missing code would slip past the unique key (NULLs never collide) and
    // duplicate the line at every save.
    const QString promocode = line.promocode.isNull() ? QStringLiteral(" ") : line.promocode;
    Statement upsert = executeQuery(
        QStringLiteral(
            "INSERT INTO `salesOrderDetails` (`creationDate`, `lastUpdate`, `skuCode`, `orderNo`, "
            "`uomCode`, `quantity`, `Promocode`) VALUES (?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (`orderNo`, `skuCode`, `Promocode`) DO UPDATE SET "
            "`creationDate`=excluded.`creationDate`, `lastUpdate`=excluded.`lastUpdate`, "
            "`uomCode`=excluded.`uomCode`, `quantity`=excluded.`quantity`"),
        {isUnsetTime(line.creationDate) ? now : line.creationDate,
         isUnsetTime(line.lastupdate) ? now : line.lastupdate, orEmpty(line.skuCode),
         orEmpty(line.orderNo), orEmpty(line.uomCode), line.quantity, promocode});
    return noteWrite(upsert.step());
}

bool DataManager::saveSalesOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo)
{
    bool replacedOriginal = false;
    return writeOrderHeader(order, originalPurchaseOrderNo, &replacedOriginal);
}

bool DataManager::saveOrderItemArray(const QList<SalesOrderDetails>& lines)
{
    bool allStored = true;
    for (const SalesOrderDetails& line : lines)
        allStored = writeOrderLine(line) && allStored;
    return allStored;
}

bool DataManager::saveOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                            const QList<SalesOrderDetails>& lines)
{
    Transaction transaction(this);
    if (!transaction.isActive())
        return false;
    bool replacedOriginal = false;
    if (!writeOrderHeader(order, originalPurchaseOrderNo, &replacedOriginal))
        return false;
    // The stored lines give way to the edited ones. When the order changed
    // its number, the lines filed under the old number go too, or they would
    // be left behind without an order.
    if (!deleteSalesOrderDetails(order.purchaseOrderNo))
        return false;
    if (replacedOriginal && originalPurchaseOrderNo != order.purchaseOrderNo &&
        !deleteSalesOrderDetails(originalPurchaseOrderNo))
        return false;
    for (SalesOrderDetails line : lines) {
        line.orderNo = order.purchaseOrderNo;
        if (!writeOrderLine(line))
            return false;
    }
    return transaction.commit();
}

bool DataManager::OrderNoUpdate(const QString& orderNo, const QString& newOrder)
{
    Statement update =
        executeQuery(QStringLiteral("UPDATE `salesOrder` SET `orderNo`=? WHERE `orderNo`=?"),
                     {newOrder, orderNo});
    return noteWrite(update.step()) && changes() > 0;
}

bool DataManager::deleteSalesOrder(const QString& purchaseOrderNo)
{
    return executeUpdate(QStringLiteral("DELETE FROM `salesOrder` WHERE `purchaseOrderNo` = ?"),
                         {purchaseOrderNo});
}

bool DataManager::deleteSalesOrderDetails(const QString& orderNo)
{
    return executeUpdate(QStringLiteral("DELETE FROM `salesOrderDetails` WHERE `orderNo` = ?"),
                         {orderNo});
}

bool DataManager::deleteOrder(const QString& purchaseOrderNo)
{
    Transaction transaction(this);
    if (!transaction.isActive())
        return false;
    if (!deleteSalesOrder(purchaseOrderNo) || !deleteSalesOrderDetails(purchaseOrderNo))
        return false;
    return transaction.commit();
}

int DataManager::getSalesOrderMaxId()
{
    Statement statement = executeQuery(QStringLiteral("SELECT MAX(rowid) FROM `salesOrder`"));
    if (statement.step() != Statement::Row || statement.columnIsNull(0))
        return -1;
    return statement.columnInt(0);
}

std::optional<Salesman> DataManager::getSalesman(const QString& username)
{
    Statement statement =
        executeQuery(QStringLiteral("SELECT * FROM `salesman` WHERE `username` = ?"), {username});
    return readOne<Salesman>(statement);
}
