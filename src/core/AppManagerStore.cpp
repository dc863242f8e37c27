// The facade's store operations: each asks the store for its instance at the
// call (that is where a change of the development setting takes effect) and
// forwards.

#include "core/AppManager.h"

#include "sync/DownloadManager.h"

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}
} // namespace

bool AppManager::checkPurchaseOrderNoExist(const QString& purchaseOrderNo)
{
    return store()->getSalesOrder(purchaseOrderNo).has_value();
}

QList<SalesOrder> AppManager::getOrderlistRowContent(const QString& dateOrder,
                                                     const QString& customerOrder, int priority)
{
    return store()->getOrderlistRowContent(dateOrder, customerOrder, priority);
}

QList<SalesOrder> AppManager::getOrderlistRowContentWithStatus(int status, const QString& dateOrder,
                                                               const QString& customerOrder,
                                                               int priority)
{
    return store()->getOrderlistRowContentWithStatus(status, dateOrder, customerOrder, priority);
}

QList<SalesOrder> AppManager::getOrderListWithStartDate(const QString& startDate,
                                                        const QString& endDate)
{
    return store()->getOrderListWithStartDate(startDate, endDate);
}

std::optional<SalesOrder> AppManager::getSalesOrder(const QString& purchaseOrderNo)
{
    return store()->getSalesOrder(purchaseOrderNo);
}

QList<SalesOrderDetails> AppManager::getSalesOrderDetail(const QString& orderNo)
{
    return store()->getSalesOrderDetail(orderNo);
}

QList<QVariantMap> AppManager::getOrderImg(const QString& orderNo)
{
    return store()->getOrderImg(orderNo);
}

bool AppManager::saveSalesOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo)
{
    return store()->saveSalesOrder(order, originalPurchaseOrderNo);
}

bool AppManager::saveOrderItemArray(const QList<SalesOrderDetails>& lines)
{
    return store()->saveOrderItemArray(lines);
}

bool AppManager::saveOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                           const QList<SalesOrderDetails>& lines)
{
    return store()->saveOrder(order, originalPurchaseOrderNo, lines);
}

bool AppManager::OrderNoUpdate(const QString& orderNo, const QString& newOrder)
{
    return store()->OrderNoUpdate(orderNo, newOrder);
}

bool AppManager::deleteSalesOrder(const QString& purchaseOrderNo)
{
    return store()->deleteOrder(purchaseOrderNo);
}

bool AppManager::deleteSalesOrderDetail(const QString& orderNo)
{
    return store()->deleteSalesOrderDetails(orderNo);
}

int AppManager::getSalesOrderMaxId()
{
    return store()->getSalesOrderMaxId();
}

std::optional<Salesman> AppManager::getSalesman(const QString& username)
{
    return store()->getSalesman(username);
}

QList<Material> AppManager::getItemList(const QString& keyword)
{
    return store()->getItemList(keyword);
}

QList<QVariantMap> AppManager::getPromoList(const QString& keyword)
{
    return store()->getPromoList(keyword);
}

QList<Material> AppManager::getPromoProductList(const QString& skuCodes)
{
    return store()->getPromoProductList(skuCodes);
}

std::optional<Material> AppManager::getMaterial(const QString& skuCode)
{
    return store()->getMaterial(skuCode);
}

bool AppManager::saveMaterial(const Material& material)
{
    return store()->saveMaterial(material);
}

bool AppManager::saveItemPhoto(const QImage& image, const QString& skuCode)
{
    const QString path = store()->savePhotoToApplication(image, skuCode);
    if (path.isNull())
        return false;
    // The photo is newer than whatever the server serves: a download still
    // queued for this picture would replace it before it is sent.
    DownloadManager::sharedManager()->removeDownload(path);
    uploadPhoto(path, skuCode);
    return true;
}

std::optional<CustomerSoldTo> AppManager::getCustomerSoldTo(const QString& customerCode)
{
    return store()->getCustomerSoldTo(customerCode);
}

std::optional<CustomerSoldTo>
AppManager::getCustomerSoldToWithCustomerName(const QString& customerName)
{
    return store()->getCustomerSoldToWithCustomerName(customerName);
}

std::optional<CustomerShipTo> AppManager::getCustomerShipTo(const QString& customerCode,
                                                            const QString& shipToCode)
{
    return store()->getCustomerShipTo(customerCode, shipToCode);
}

QList<CustomerSoldTo> AppManager::getSoldToList()
{
    return store()->getSoldToList();
}

QStringList AppManager::getRegionList()
{
    return store()->getRegionList();
}

QStringList AppManager::getRegionListWithCustomerName(const QString& customerName)
{
    return store()->getRegionListWithCustomerName(customerName);
}

QStringList AppManager::getDistrictListWithRegion(const QString& region)
{
    return store()->getDistrictListWithRegion(region);
}

QStringList AppManager::getDistrictListWithRegion(const QString& region,
                                                  const QString& customerName)
{
    return store()->getDistrictListWithRegion(region, customerName);
}

QStringList AppManager::getCustomerListWithRegion(const QString& region, const QString& district)
{
    return store()->getCustomerListWithRegion(region, district);
}

QStringList AppManager::getCustomerList()
{
    return store()->getCustomerListWithRegion(QString(), QString());
}

QList<CustomerShipTo> AppManager::getCustomerShipToListWithRegion(const QString& region,
                                                                  const QString& district,
                                                                  const QString& customerName)
{
    return store()->getCustomerShipToListWithRegion(region, district, customerName);
}

QList<CustomerShipTo> AppManager::getCustomerShipToListWithKeyword(const QString& keyword)
{
    return store()->getCustomerShipToListWithKeyword(keyword);
}

QList<CustomerSoldTo> AppManager::getCustomerSoldToListWithKeyword(const QString& keyword)
{
    return store()->getCustomerSoldToListWithKeyword(keyword);
}
