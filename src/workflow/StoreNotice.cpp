#include "workflow/StoreNotice.h"

#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/Strings.h"
#include "store/DataManager.h"

#include <QFileInfo>

namespace {
QString g_toldReplacement;
} // namespace

QString StoreNotice::pendingMessage()
{
    DataManager* store = DataManager::sharedManager();
    switch (store->databaseState()) {
    case DataManager::DatabaseState::Ready:
        return QString();
    case DataManager::DatabaseState::Replaced: {
        const QString kept = store->replacedDatabasePath();
        if (kept == g_toldReplacement)
            return QString();
        g_toldReplacement = kept;
        return Strings::localized("STORE_DATABASE_REPLACED").arg(QFileInfo(kept).fileName());
    }
    case DataManager::DatabaseState::ReadOnly:
        return Strings::localized("STORE_DATABASE_READONLY");
    case DataManager::DatabaseState::Unavailable:
        return Strings::localized("STORE_DATABASE_UNAVAILABLE");
    }
    return QString();
}

void StoreNotice::showPending(Dialogs* dialogs)
{
    const QString message = pendingMessage();
    if (!message.isNull() && dialogs)
        dialogs->showAlert(AppInfo::displayName(), message, {Strings::localized("BUTTON_OK")});
}

QString StoreNotice::saveFailureMessage()
{
    DataManager* store = DataManager::sharedManager();
    if (store->writeFailed() || !store->isOpen() || store->databaseState() == DataManager::DatabaseState::ReadOnly)
        return Strings::localized("STORE_SAVE_FAILED_STORAGE");
    return QString();
}

void StoreNotice::reset()
{
    g_toldReplacement.clear();
}
