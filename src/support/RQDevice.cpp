#include "support/RQDevice.h"

#include "platform/AppInfo.h"
#include "platform/Keychain.h"

#include <QUuid>

QString RQDevice::uuid()
{
    const QString service = AppInfo::bundleIdentifier();
    const QString account = QStringLiteral("UUID");
    const QString stored = Keychain::readPassword(service, account);
    if (!stored.isEmpty())
        return stored;
    const QString created = createUUID();
    Keychain::writePassword(service, account, created);
    return created;
}

QString RQDevice::createUUID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}
