#include "platform/UserDefaults.h"

#include "platform/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// QSettings guards its file with "<file>.lock", into which the owner writes
// its pid. A process killed between creating that file and writing into it
// leaves it empty, and Qt then takes it for a live lock for thirty seconds:
// every write of settings in that time hangs (the next start after such a
// kill froze on its first write). Qt also flocks the file while it owns it,
// so an empty lock that nobody holds is such a leftover and goes.
void removeAbandonedLock(const QString& settingsPath)
{
    const QByteArray lockPath = QFile::encodeName(settingsPath + QStringLiteral(".lock"));
    struct stat info
    {
    };
    if (::stat(lockPath.constData(), &info) != 0 || info.st_size != 0)
        return;
    const int fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 && info.st_size == 0)
        ::unlink(lockPath.constData());
    ::close(fd);
}
} // namespace

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
    QSettings& current = settings();
    removeAbandonedLock(_path);
    current.sync();
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
    return text == QLatin1String("1") || text == QLatin1String("true") ||
           text == QLatin1String("yes") || text == QLatin1String("on");
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
