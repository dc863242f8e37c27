#include "platform/DeviceInfo.h"

#include <QFile>
#include <QLocale>
#include <QSysInfo>

QString DeviceInfo::model()
{
    QFile product(QStringLiteral("/sys/class/dmi/id/product_name"));
    if (product.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(product.readAll()).trimmed();
        if (!name.isEmpty() && name != QLatin1String("To Be Filled By O.E.M."))
            return name;
    }
    return QSysInfo::productType().isEmpty() ? QStringLiteral("Linux")
                                             : QSysInfo::prettyProductName();
}

QString DeviceInfo::systemVersion()
{
    return QSysInfo::productVersion();
}

QString DeviceInfo::localeIdentifier()
{
    // The "C" locale of a bare system is no locale identifier a server knows.
    const QString name = QLocale::system().name();
    return name == QLatin1String("C") ? QStringLiteral("en_US") : name;
}
