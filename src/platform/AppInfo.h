#pragma once

#include <QString>

// The application's information dictionary: version, build count, display name
// and bundle identifier, fixed at build time.
class AppInfo
{
public:
    // "CFBundleVersion", "BUILD_COUNT", "CFBundleShortVersionString",
    // "CFBundleExecutable", "CFBundleIdentifier", "CFBundleDisplayName";
    // any other key gives a null text.
    static QString value(const QString& key);
    static QString bundleIdentifier();
    // "%1.%2" of "CFBundleVersion" and "BUILD_COUNT": 1.2 with build 35 is 1.2.35.
    static QString versionString();
    // The localized display name, the title of the application's alerts.
    static QString displayName();
};
