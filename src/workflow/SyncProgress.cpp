#include "workflow/SyncProgress.h"

#include "platform/Strings.h"

namespace {
QString megabytes(qint64 bytes)
{
    const double mb = double(bytes) / (1024.0 * 1024.0);
    // A tenth of a megabyte still moves visibly on a slow line.
    return QString::number(mb, 'f', mb < 10 ? 1 : 0);
}
} // namespace

QString syncProgressText(const QVariantMap& userInfo)
{
    if (userInfo.value(QStringLiteral("phase")).toString() == QLatin1String("storing"))
        return Strings::localized("SYNC_STORING").arg(userInfo.value(QStringLiteral("percent")).toInt());
    const qint64 received = userInfo.value(QStringLiteral("received")).toLongLong();
    const qint64 total = userInfo.value(QStringLiteral("total")).toLongLong();
    if (total > 0 && total >= received)
        return Strings::localized("SYNC_RECEIVING_OF").arg(megabytes(received), megabytes(total));
    return Strings::localized("SYNC_RECEIVING").arg(megabytes(received));
}
