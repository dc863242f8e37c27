#include "platform/Sandbox.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString& rootOverride()
{
    static QString value;
    return value;
}
QString& applicationOverride()
{
    static QString value;
    return value;
}
} // namespace

QString Sandbox::root()
{
    if (!rootOverride().isEmpty())
        return rootOverride();
    const QString fromEnvironment = qEnvironmentVariable("FIELDBOOK_HOME");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/fieldbook");
}

QString Sandbox::documentsDirectory()
{
    return root() + QStringLiteral("/Documents");
}

QString Sandbox::libraryDirectory()
{
    return root() + QStringLiteral("/Library");
}

QString Sandbox::cachesDirectory()
{
    return libraryDirectory() + QStringLiteral("/Caches");
}

QString Sandbox::preferencesDirectory()
{
    return libraryDirectory() + QStringLiteral("/Preferences");
}

QString Sandbox::settingsFilePath()
{
    return preferencesDirectory() + QLatin1Char('/') + QString::fromLatin1(BuildConfig::bundleIdentifier) +
           QStringLiteral(".ini");
}

QString Sandbox::applicationDirectory()
{
    if (!applicationOverride().isEmpty())
        return applicationOverride();
    const QString fromEnvironment = qEnvironmentVariable("FIELDBOOK_APP_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    // Installed and build trees share one layout: bin/fieldbook beside share/fieldbook.
    if (QCoreApplication::instance()) {
        const QString beside =
            QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/fieldbook"));
        if (QFileInfo(beside).isDir())
            return QDir::cleanPath(beside);
    }
    return QString::fromUtf8(BuildConfig::bundleDirectory);
}

void Sandbox::setRoot(const QString& root)
{
    rootOverride() = root.isEmpty() ? QString() : QDir(root).absolutePath();
}

void Sandbox::setApplicationDirectory(const QString& directory)
{
    applicationOverride() = directory;
}
