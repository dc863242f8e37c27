#include "core/AppManager.h"

#include "BuildConfig.h"
#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"

#include <QFile>
#include <QLocale>
#include <QSysInfo>

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
    return QStringLiteral("%1.%2").arg(AppInfo::value(QStringLiteral("CFBundleVersion")),
                                        AppInfo::value(QStringLiteral("BUILD_COUNT")));
}

QString AppManager::getSystemVersion()
{
    return QSysInfo::productVersion();
}

QString AppManager::getDeviceModel()
{
    // The machine's model as its firmware names it (a tablet's product name),
    // else the kind of system.
    QFile product(QStringLiteral("/sys/class/dmi/id/product_name"));
    if (product.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(product.readAll()).trimmed();
        if (!name.isEmpty() && name != QLatin1String("To Be Filled By O.E.M."))
            return name;
    }
    return QSysInfo::productType().isEmpty() ? QStringLiteral("Linux") : QSysInfo::prettyProductName();
}

QString AppManager::getSystemLanguage()
{
    // The "C" locale of a bare system is no locale identifier a server knows.
    const QString name = QLocale::system().name();
    return name == QLatin1String("C") ? QStringLiteral("en_US") : name;
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
