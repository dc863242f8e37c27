#include "platform/Keychain.h"

#include "platform/Sandbox.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTimer>
#include <qt6keychain/keychain.h>

Q_LOGGING_CATEGORY(lcKeychain, "fieldbook.keychain")

namespace {
struct Backends {
    std::shared_ptr<KeychainBackend> system = std::make_shared<SystemKeychainBackend>();
    std::shared_ptr<KeychainBackend> fallback = std::make_shared<FileKeychainBackend>();
};
Backends& backends()
{
    static Backends b;
    return b;
}

QString itemKey(const QString& service, const QString& account)
{
    return service + QLatin1Char('\x1f') + account;
}

// Waits for a QtKeychain job; the secret service answers in milliseconds, and
// a stuck one must not hold the application for long.
bool runJob(QKeychain::Job* job)
{
    job->setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    job->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job->error() == QKeychain::NoError;
}
} // namespace

QString Keychain::readPassword(const QString& service, const QString& account)
{
    Backends& b = backends();
    if (auto text = b.system->read(service, account); text && !text->isEmpty())
        return *text;
    if (auto text = b.fallback->read(service, account); text && !text->isEmpty())
        return *text;
    return QString();
}

bool Keychain::writePassword(const QString& service, const QString& account, const QString& text)
{
    Backends& b = backends();
    if (b.system->write(service, account, text))
        return true;
    return b.fallback->write(service, account, text);
}

bool Keychain::deletePassword(const QString& service, const QString& account)
{
    Backends& b = backends();
    const bool system = b.system->remove(service, account);
    const bool fallback = b.fallback->remove(service, account);
    return system || fallback;
}

void Keychain::setBackends(std::shared_ptr<KeychainBackend> system, std::shared_ptr<KeychainBackend> fallback)
{
    backends().system = system ? std::move(system) : std::make_shared<SystemKeychainBackend>();
    backends().fallback = fallback ? std::move(fallback) : std::make_shared<FileKeychainBackend>();
}

// ---- file backend

QString FileKeychainBackend::filePath()
{
    return Sandbox::libraryDirectory() + QStringLiteral("/Keychain/items.json");
}

namespace {
QJsonObject readItems()
{
    QFile file(FileKeychainBackend::filePath());
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool writeItems(const QJsonObject& items)
{
    const QString path = FileKeychainBackend::filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(items).toJson());
    return file.commit();
}
} // namespace

std::optional<QString> FileKeychainBackend::read(const QString& service, const QString& account)
{
    const QJsonValue value = readItems().value(itemKey(service, account));
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

bool FileKeychainBackend::write(const QString& service, const QString& account, const QString& text)
{
    QJsonObject items = readItems();
    items.insert(itemKey(service, account), text);
    return writeItems(items);
}

bool FileKeychainBackend::remove(const QString& service, const QString& account)
{
    QJsonObject items = readItems();
    if (!items.contains(itemKey(service, account)))
        return false;
    items.remove(itemKey(service, account));
    return writeItems(items);
}

// ---- system backend

bool SystemKeychainBackend::available()
{
    if (qEnvironmentVariable("FIELDBOOK_KEYCHAIN") == QLatin1String("file"))
        return false;
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

std::optional<QString> SystemKeychainBackend::read(const QString& service, const QString& account)
{
    if (!available())
        return std::nullopt;
    QKeychain::ReadPasswordJob job(service);
    job.setKey(account);
    if (!runJob(&job)) {
        if (job.error() != QKeychain::EntryNotFound)
            qCInfo(lcKeychain) << "System keychain read failed:" << job.errorString();
        return std::nullopt;
    }
    return job.textData();
}

bool SystemKeychainBackend::write(const QString& service, const QString& account, const QString& text)
{
    if (!available())
        return false;
    QKeychain::WritePasswordJob job(service);
    job.setKey(account);
    job.setTextData(text);
    if (!runJob(&job)) {
        qCInfo(lcKeychain) << "System keychain write failed:" << job.errorString();
        return false;
    }
    return true;
}

bool SystemKeychainBackend::remove(const QString& service, const QString& account)
{
    if (!available())
        return false;
    QKeychain::DeletePasswordJob job(service);
    job.setKey(account);
    return runJob(&job);
}
