#include "platform/UserDefaults.h"

#include "platform/Sandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

UserDefaults& UserDefaults::standard()
{
    static UserDefaults instance;
    return instance;
}

QSettings& UserDefaults::settings()
{
    // The sandbox root can move (tests give each case its own); follow it.
    const QString path = Sandbox::settingsFilePath();
    if (!_settings || path != _path) {
        if (_settings)
            _settings->sync();
        QDir().mkpath(QFileInfo(path).absolutePath());
        _settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        _path = path;
    }
    return *_settings;
}

void UserDefaults::synchronize()
{
    settings().sync();
}

QVariant UserDefaults::objectForKey(const QString& key)
{
    return settings().value(key);
}

QString UserDefaults::stringForKey(const QString& key)
{
    const QVariant value = settings().value(key);
    return value.isValid() ? value.toString() : QString();
}

bool UserDefaults::parseBool(const QVariant& value)
{
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    return text == QLatin1String("1") || text == QLatin1String("true") || text == QLatin1String("yes") ||
           text == QLatin1String("on");
}

bool UserDefaults::boolForKey(const QString& key)
{
    return parseBool(settings().value(key));
}

void UserDefaults::setObject(const QVariant& value, const QString& key)
{
    settings().setValue(key, value);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    settings().remove(key);
}

QStringList UserDefaults::allKeys()
{
    return settings().allKeys();
}
