#include "sync/Endpoints.h"

#include "BuildConfig.h"
#include "platform/AppInfo.h"
#include "platform/DeviceInfo.h"
#include "support/RQDevice.h"

#include <QStringDecoder>

QString Endpoints::path(Endpoint endpoint)
{
    switch (endpoint) {
    case Login:
        return QStringLiteral("login.php");
    case GetUpdateData:
        return QStringLiteral("getUpdateData.php");
    case GetPromotion:
        return QStringLiteral("getpromotion.php");
    case UpdateOrder:
        return QStringLiteral("updateOrder.php");
    case UploadFile:
        return QStringLiteral("uploadFile.php");
    case UploadOrderImage:
        return QStringLiteral("uploadorderimg.php");
    case CrashLog:
        return QStringLiteral("crashLog.php");
    }
    return QString();
}

QString Endpoints::url(Endpoint endpoint, const QString& baseUrl)
{
    // A crash may come from a development build pointed at a test server that
    // nobody reads; its report belongs to the production server.
    if (endpoint == CrashLog)
        return join(productionBaseUrl(), path(endpoint));
    return join(baseUrl, path(endpoint));
}

namespace {
QString& productionOverride()
{
    static QString url;
    return url;
}
} // namespace

QString Endpoints::productionBaseUrl()
{
    if (!productionOverride().isNull())
        return productionOverride();
    return QString::fromUtf8(BuildConfig::productionBaseUrl);
}

void Endpoints::overrideProductionBaseUrl(const QString& url)
{
    productionOverride() = url;
}

QString Endpoints::join(const QString& baseUrl, const QString& path)
{
    if (baseUrl.isEmpty())
        return path;
    if (baseUrl.endsWith(QLatin1Char('/')) != path.startsWith(QLatin1Char('/')))
        return baseUrl + path;
    if (baseUrl.endsWith(QLatin1Char('/')))
        return baseUrl + path.mid(1);
    return baseUrl + QLatin1Char('/') + path;
}

QString Endpoints::pictureUrl(const QString& baseUrl, const QString& picturePath)
{
    QString url = baseUrl;
    return url.replace(QLatin1String("/api/"), QStringLiteral("/__files__") + picturePath);
}

QString Endpoints::noTimeStamp()
{
    return QStringLiteral("00000000000000");
}

QVariantMap Endpoints::deviceDescription()
{
    return {
        {QStringLiteral("deviceModel"), DeviceInfo::model()},
        {QStringLiteral("appVersion"), AppInfo::versionString()},
        {QStringLiteral("osVersion"), DeviceInfo::systemVersion()},
        {QStringLiteral("language"), DeviceInfo::localeIdentifier()},
        {QStringLiteral("uuid"), RQDevice::uuid()},
    };
}

QVariantMap Endpoints::loginFields(const QString& timeStamp, const QString& encipheredUsername,
                                   const QString& encipheredPassword)
{
    QVariantMap fields = deviceDescription();
    fields.insert(QStringLiteral("timeStamp"), timeStamp.isEmpty() ? noTimeStamp() : timeStamp);
    fields.insert(QStringLiteral("username"), encipheredUsername);
    fields.insert(QStringLiteral("password"), encipheredPassword);
    return fields;
}

QVariantMap Endpoints::syncFields(const QString& timeStamp, const QString& authToken)
{
    QVariantMap fields{
        {QStringLiteral("timeStamp"), timeStamp.isEmpty() ? noTimeStamp() : timeStamp}};
    addAuthToken(fields, authToken);
    return fields;
}

void Endpoints::addAuthToken(QVariantMap& fields, const QString& authToken)
{
    if (!authToken.isEmpty())
        fields.insert(QStringLiteral("authToken"), authToken);
}

QVariantMap Endpoints::crashLogFields(const QByteArray& report)
{
    QVariantMap fields = deviceDescription();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(report);
    if (!decoder.hasError())
        fields.insert(QStringLiteral("crash_message"), text);
    return fields;
}
