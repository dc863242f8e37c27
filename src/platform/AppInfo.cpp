#include "platform/AppInfo.h"

#include "BuildConfig.h"
#include "platform/Strings.h"

QString AppInfo::value(const QString& key)
{
    if (key == QLatin1String("CFBundleVersion") || key == QLatin1String("CFBundleShortVersionString"))
        return QString::fromLatin1(BuildConfig::version);
    if (key == QLatin1String("BUILD_COUNT"))
        return QString::fromLatin1(BuildConfig::buildCount);
    if (key == QLatin1String("CFBundleExecutable"))
        return QString::fromLatin1(BuildConfig::executableName);
    if (key == QLatin1String("CFBundleIdentifier"))
        return bundleIdentifier();
    if (key == QLatin1String("CFBundleDisplayName"))
        return displayName();
    return QString();
}

QString AppInfo::bundleIdentifier()
{
    return QString::fromLatin1(BuildConfig::bundleIdentifier);
}

QString AppInfo::versionString()
{
    return QStringLiteral("%1.%2").arg(value(QStringLiteral("CFBundleVersion")),
                                        value(QStringLiteral("BUILD_COUNT")));
}

QString AppInfo::displayName()
{
    const QString localized = Strings::localized("CFBundleDisplayName");
    // Before the strings table is loaded the key would show; the name is known.
    return localized == QLatin1String("CFBundleDisplayName") ? QStringLiteral("Field Book") : localized;
}
