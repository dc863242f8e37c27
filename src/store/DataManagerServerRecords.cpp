// Writing the records the order server sends: master data, earlier orders,
// promotions, and the small writes of the upload and photo flows. How each
// kind of record is stored is told in RecordBatch; the caller decides the
// transaction: a whole server answer is applied in one.
#include "store/DataManager.h"
#include "store/RecordBatch.h"
#include "store/StoreDelegate.h"

namespace {

bool store(DataManager* store, RecordBatch::Table table, const QVariantList& records, const QString& owner = QString())
{
    if (records.isEmpty())
        return true;
    RecordBatch batch(owner);
    batch.addList(table, records);
    const RecordBatch::Written written = batch.write(store);
    return !written.storageFailed && written.stored[table] == records.size();
}

} // namespace

bool DataManager::updatePromote(const QVariantList& records)
{
    return store(this, RecordBatch::Promote, records);
}

bool DataManager::updateSalesman(const QVariantList& records)
{
    return store(this, RecordBatch::Salesman, records);
}

bool DataManager::updateSalesOrder(const QVariantList& records)
{
    return store(this, RecordBatch::SalesOrder, records, delegate() ? delegate()->UserName() : QString());
}

bool DataManager::updateSalesOrderDetail(const QVariantList& records)
{
    return store(this, RecordBatch::SalesOrderDetail, records);
}

bool DataManager::updateMaterial(const QVariantList& records)
{
    return store(this, RecordBatch::Material, records);
}

bool DataManager::updateBrand(const QVariantList& records)
{
    return store(this, RecordBatch::Brand, records);
}

bool DataManager::updateCustomerSoldTo(const QVariantList& records)
{
    return store(this, RecordBatch::CustomerSoldTo, records);
}

bool DataManager::updateCustomerShipTo(const QVariantList& records)
{
    return store(this, RecordBatch::CustomerShipTo, records);
}

bool DataManager::updateRouting(const QVariantList& records)
{
    return store(this, RecordBatch::Routing, records);
}

bool DataManager::updateRoutingShipTo(const QVariantList& records)
{
    return store(this, RecordBatch::RoutingShipTo, records);
}

void DataManager::updateStatus(const QString& purchaseOrderNo)
{
    executeUpdate(QStringLiteral("UPDATE `salesOrder` SET `lastUpdate`=?, `uploadStatus`=20 WHERE `purchaseOrderNo`=?"),
                  {getNow(), purchaseOrderNo});
}

bool DataManager::insertorderimage(const QString& orderNo, const QString& imageName)
{
    return executeUpdate(QStringLiteral("INSERT INTO orderimage (`orderno`, `imagename`) VALUES (?, ?)"),
                         {orderNo, imageName});
}

QVariantMap DataManager::localLoginWithUsername(const QString& username, const QString& password)
{
    // Accounts arrive from the server with user name and password enciphered,
    // and the login enciphers what was typed the same way: the forms compare.
    Statement statement = executeQuery(QStringLiteral(
        "SELECT `username`, `password` FROM `salesman` WHERE `username`=? AND `status`=20 LIMIT 1"));
    statement.bind(1, username);
    const int outcome = statement.step();
    QString status;
    QString storedUsername = QStringLiteral("");
    QString storedPassword = QStringLiteral("");
    if (outcome == Statement::Row) {
        storedUsername = statement.columnText(0);
        storedPassword = statement.columnText(1);
        status = storedPassword == password ? QStringLiteral("1") : QStringLiteral("-20");
    } else {
        status = QStringLiteral("-30");
    }
    return {{QStringLiteral("status"), status},
            {QStringLiteral("result"), QString::number(outcome)},
            {QStringLiteral("username"), storedUsername},
            {QStringLiteral("password"), storedPassword}};
}
