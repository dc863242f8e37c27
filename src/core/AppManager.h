#pragma once

#include <QString>

// The application facade. Its operations are class-level; settings live in the
// user defaults and are read afresh at every call, so a change made outside the
// application (the "--set" command line) takes effect at the next server call.
class AppManager
{
public:
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
};
