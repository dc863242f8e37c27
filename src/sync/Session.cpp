#include "sync/Session.h"

#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "sync/Endpoints.h"
#include "sync/UploadManager.h"

#include <QTimer>

#include "BuildConfig.h"

namespace {
const QString kDevelopmentSetting = QStringLiteral("developmentSetting");
const QString kHost = QStringLiteral("host");
const QString kHostDev = QStringLiteral("host_dev");
const QString kTimeStamp = QStringLiteral("timeStamp");
QString g_authToken;
} // namespace

QString Session::host()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    if (defaults.boolForKey(kDevelopmentSetting)) {
        const QString stored = defaults.stringForKey(kHostDev);
        return stored.isEmpty() ? QString::fromUtf8(BuildConfig::developmentBaseUrl) : stored;
    }
    const QString stored = defaults.stringForKey(kHost);
    return stored.isEmpty() ? Endpoints::productionBaseUrl() : stored;
}

void Session::saveHost(const QString& host)
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const bool development = defaults.boolForKey(kDevelopmentSetting);
    if (!host.isNull())
        defaults.setObject(host, development ? kHostDev : kHost);
    defaults.synchronize();
}

QString Session::authToken()
{
    return g_authToken;
}

void Session::setAuthToken(const QString& token)
{
    g_authToken = token;
    // Uploads that waited for a session go now (after the caller is done).
    if (!token.isEmpty()) {
        if (UploadManager* uploads = UploadManager::existingManager())
            QTimer::singleShot(0, uploads, [uploads]() { uploads->startUpload(); });
    }
}

QString Session::storedTimeStamp()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    // A database that replaced a damaged one holds none of the records the
    // stored time stamp stands for: from then on the next request asks for
    // everything. Once per replacement, so later answers' stamps count again.
    static QString forgottenFor;
    DataManager* store = DataManager::sharedManager();
    if (store->databaseState() == DataManager::DatabaseState::Replaced &&
        store->replacedDatabasePath() != forgottenFor) {
        forgottenFor = store->replacedDatabasePath();
        defaults.removeObjectForKey(kTimeStamp);
        defaults.synchronize();
    }
    return defaults.stringForKey(kTimeStamp);
}

void Session::storeTimeStamp(const QString& timeStamp)
{
    UserDefaults& defaults = UserDefaults::standard();
    if (timeStamp.isNull())
        return;
    defaults.setObject(timeStamp, kTimeStamp);
    defaults.synchronize();
}
