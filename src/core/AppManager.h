#pragma once

#include "store/DataManager.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

// The application facade. Its operations are class-level; settings live in the
// user defaults and are read afresh at every call, so a change made outside the
// application (the "--set" command line) takes effect at the next server call.
class AppManager
{
public:
    // Login and session. The token lives in memory only: after a restart the
    // salesman logs in again before any request carries one.
    static QVariantMap verifyUsername(const QString& username, const QString& password);
    static void saveUsername(const QString& username);
    static QString getUsername();
    static QString getAuthToken();
    static void setAuthToken(const QString& token);

    // Sends the login; the outcome arrives as "loginSuccess" or "loginFailed".
    // Off line, the stored accounts decide.
    static void loginWithUsername(const QString& username, const QString& password);
    // Asks for the changes since the stored time stamp; "updateSuccess" or "updateFailed".
    static void getUpdateDataFromServer();
    // Refreshes the promotions; no notification.
    static void getPromotionData();
    // Posts a crash report to the production server's "crashLog.php", whatever
    // the development setting: the device description and the report as
    // "crash_message" (left out when the bytes are not UTF-8). The answer and
    // any failure are ignored; nothing is retried.
    static void sendCrashReport(const QByteArray& report);

    // Uploads. The order is read back from the store, its fields enciphered
    // and queued; it stays a draft until the server accepts it.
    static void uploadSalesOrder(const QString& purchaseOrderNo);
    // Stores an item picture taken on the device and queues it for the server.
    static void savePhotoToApplication(const QImage& image, const QString& skuCode);
    // The same, answering whether the picture could be stored (a full or
    // unwritable storage, or an item code that cannot name a file, say no).
    static bool saveItemPhoto(const QImage& image, const QString& skuCode);
    static void uploadPhoto(const QString& path, const QString& skuCode);
    // Files an order photo; it goes up once the server has accepted the order.
    static bool insertorderimage(const QString& orderNo, const QString& imageName);
    // Files an order photo under the number its order now carries.
    static bool moveOrderImage(const QString& imageName, const QString& fromOrderNo,
                               const QString& toOrderNo);

    // Settings and generated values.
    static QString getHost();
    static void saveHost(const QString& host);
    static QString getTimeStampKey();
    static QString getAppVersionString();
    static QString getSystemVersion();
    static QString getDeviceModel();
    static QString getSystemLanguage();
    static QString generatePurchaseOrderNo();
    static QString generateDeliveryDate();
    static QString generateToday();

    // The built-in base URLs of the two servers.
    static QString productionBaseUrl();
    static QString developmentBaseUrl();

    // True when an order with that purchase order number is stored.
    static bool checkPurchaseOrderNoExist(const QString& purchaseOrderNo);

    // Orders: forwarded to the store (DataManager), which documents them.
    static QList<SalesOrder> getOrderlistRowContent(const QString& dateOrder,
                                                    const QString& customerOrder, int priority);
    static QList<SalesOrder> getOrderlistRowContentWithStatus(int status, const QString& dateOrder,
                                                              const QString& customerOrder,
                                                              int priority);
    static QList<SalesOrder> getOrderListWithStartDate(const QString& startDate,
                                                       const QString& endDate);
    static std::optional<SalesOrder> getSalesOrder(const QString& purchaseOrderNo);
    static QList<SalesOrderDetails> getSalesOrderDetail(const QString& orderNo);
    static QList<QVariantMap> getOrderImg(const QString& orderNo);
    static bool saveSalesOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo);
    static bool saveOrderItemArray(const QList<SalesOrderDetails>& lines);
    static bool saveOrder(const SalesOrder& order, const QString& originalPurchaseOrderNo,
                          const QList<SalesOrderDetails>& lines);
    static bool OrderNoUpdate(const QString& orderNo, const QString& newOrder);
    // Deletes the order with its lines, in one transaction; its photos stay.
    static bool deleteSalesOrder(const QString& purchaseOrderNo);
    static bool deleteSalesOrderDetail(const QString& orderNo);
    static int getSalesOrderMaxId();
    static std::optional<Salesman> getSalesman(const QString& username);

    // Catalogue and promotions: forwarded to the store.
    static QList<Material> getItemList(const QString& keyword = QString());
    static QList<QVariantMap> getPromoList(const QString& keyword = QString());
    static QList<Material> getPromoProductList(const QString& skuCodes);
    static std::optional<Material> getMaterial(const QString& skuCode);
    static bool saveMaterial(const Material& material);

    // Customers: forwarded to the store.
    static std::optional<CustomerSoldTo> getCustomerSoldTo(const QString& customerCode);
    static std::optional<CustomerSoldTo>
    getCustomerSoldToWithCustomerName(const QString& customerName);
    static std::optional<CustomerShipTo> getCustomerShipTo(const QString& customerCode,
                                                           const QString& shipToCode);
    static QList<CustomerSoldTo> getSoldToList();
    static QStringList getRegionList();
    static QStringList getRegionListWithCustomerName(const QString& customerName);
    static QStringList getDistrictListWithRegion(const QString& region);
    static QStringList getDistrictListWithRegion(const QString& region,
                                                 const QString& customerName);
    static QStringList getCustomerListWithRegion(const QString& region, const QString& district);
    // The sold-to filter of the order list: every customer name on the routes.
    static QStringList getCustomerList();
    static QList<CustomerShipTo> getCustomerShipToListWithRegion(const QString& region,
                                                                 const QString& district,
                                                                 const QString& customerName);
    static QList<CustomerShipTo> getCustomerShipToListWithKeyword(const QString& keyword);
    static QList<CustomerSoldTo> getCustomerSoldToListWithKeyword(const QString& keyword);
};
