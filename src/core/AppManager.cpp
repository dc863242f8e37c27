#include "core/AppManager.h"

#include "BuildConfig.h"
#include "platform/AppInfo.h"
#include "platform/DeviceInfo.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

namespace {
const QString kDevelopmentSetting = QStringLiteral("developmentSetting");
const QString kHost = QStringLiteral("host");
const QString kHostDev = QStringLiteral("host_dev");
const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QString AppManager::productionBaseUrl()
{
    return QString::fromUtf8(BuildConfig::productionBaseUrl);
}

QString AppManager::developmentBaseUrl()
{
    return QString::fromUtf8(BuildConfig::developmentBaseUrl);
}

QString AppManager::getHost()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    if (defaults.boolForKey(kDevelopmentSetting)) {
        const QString stored = defaults.stringForKey(kHostDev);
        return stored.isEmpty() ? developmentBaseUrl() : stored;
    }
    const QString stored = defaults.stringForKey(kHost);
    return stored.isEmpty() ? productionBaseUrl() : stored;
}

void AppManager::saveHost(const QString& host)
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const bool development = defaults.boolForKey(kDevelopmentSetting);
    if (!host.isNull())
        defaults.setObject(host, development ? kHostDev : kHost);
    defaults.synchronize();
}

QString AppManager::getTimeStampKey()
{
    return QStringLiteral("timeStamp");
}

QString AppManager::getAppVersionString()
{
    return AppInfo::versionString();
}

QString AppManager::getSystemVersion()
{
    return DeviceInfo::systemVersion();
}

QString AppManager::getDeviceModel()
{
    return DeviceInfo::model();
}

QString AppManager::getSystemLanguage()
{
    return DeviceInfo::localeIdentifier();
}

QString AppManager::generatePurchaseOrderNo()
{
    return QStringLiteral(".");
}

QString AppManager::generateDeliveryDate()
{
    // A new order's record starts with the same value.
    return SalesOrder::generateDeliveryDate();
}

QString AppManager::generateToday()
{
    return Clock::now().toLocalTime().toString(kDateTimeFormat);
}
