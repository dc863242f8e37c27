#include "sync/MasterDataSync.h"

#include "store/DataManager.h"
#include "sync/DownloadManager.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSync, "fieldbook.sync")

namespace {
QVariantList arrayAt(const QVariantMap& result, const char* key)
{
    const QVariant value = result.value(QLatin1String(key));
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}
} // namespace

bool MasterDataSync::applyResult(const QVariant& result, bool loginAnswer)
{
    if (result.typeId() != QMetaType::QVariantMap)
        return true; // nothing to apply
    const QVariantMap arrays = result.toMap();
    DataManager* store = DataManager::sharedManager();
    Transaction transaction(store);
    if (!transaction.isActive()) {
        qCWarning(lcSync) << "Cannot start applying the server's records:" << store->lastError();
        return false;
    }
    using Upsert = bool (DataManager::*)(const QVariantList&);
    struct Step {
        const char* key;
        Upsert upsert;
        bool loginOnly;
    };
    static const Step steps[] = {
        {"salesmanArray", &DataManager::updateSalesman, false},
        {"salesOrderArray", &DataManager::updateSalesOrder, false},
        {"brandArray", &DataManager::updateBrand, true},
        {"materialArray", &DataManager::updateMaterial, false},
        {"salesOrderDetailArray", &DataManager::updateSalesOrderDetail, false},
        {"fileArray", nullptr, false},
        {"customerSoldToArray", &DataManager::updateCustomerSoldTo, false},
        {"customerShipToArray", &DataManager::updateCustomerShipTo, false},
        {"routingArray", &DataManager::updateRouting, false},
        {"routingShipToArray", &DataManager::updateRoutingShipTo, false},
    };
    QVariantList files;
    for (const Step& step : steps) {
        if (step.loginOnly && !loginAnswer)
            continue;
        const QVariantList records = arrayAt(arrays, step.key);
        if (records.isEmpty())
            continue;
        if (!step.upsert)
            files = records;
        else
            (store->*step.upsert)(records);
        // A record the storage could not take (disk full): the answer is not
        // kept in part, so the commit below rolls it all back.
        if (store->writeFailed())
            break;
    }
    if (!transaction.commit()) {
        qCWarning(lcSync) << "The server's records could not be stored:" << store->lastError();
        return false;
    }
    if (!files.isEmpty())
        DownloadManager::sharedManager()->downloadFile(files);
    return true;
}

bool MasterDataSync::applyPromotions(const QVariant& result)
{
    if (result.typeId() != QMetaType::QVariantList || result.toList().isEmpty())
        return false;
    DataManager* store = DataManager::sharedManager();
    Transaction transaction(store);
    if (!transaction.isActive())
        return false;
    store->updatePromote(result.toList());
    return transaction.commit();
}
