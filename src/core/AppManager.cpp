#include "core/AppManager.h"

#include "BuildConfig.h"
#include "platform/AppInfo.h"
#include "platform/DeviceInfo.h"
#include "platform/Clock.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "support/RQMaths.h"
#include "sync/Endpoints.h"
#include "sync/Session.h"

namespace {
// Spaces and tabs only: a line break typed into a field is not trimmed away.
QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

const QString kDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QString AppManager::productionBaseUrl()
{
    return Endpoints::productionBaseUrl();
}

QString AppManager::developmentBaseUrl()
{
    return QString::fromUtf8(BuildConfig::developmentBaseUrl);
}

QString AppManager::getHost()
{
    return Session::host();
}

void AppManager::saveHost(const QString& host)
{
    Session::saveHost(host);
}

QString AppManager::getTimeStampKey()
{
    return QStringLiteral("timeStamp");
}

QString AppManager::getAppVersionString()
{
    return AppInfo::versionString();
}

QString AppManager::getSystemVersion()
{
    return DeviceInfo::systemVersion();
}

QString AppManager::getDeviceModel()
{
    return DeviceInfo::model();
}

QString AppManager::getSystemLanguage()
{
    return DeviceInfo::localeIdentifier();
}

QString AppManager::generatePurchaseOrderNo()
{
    return QStringLiteral(".");
}

QString AppManager::generateDeliveryDate()
{
    // A new order's record starts with the same value.
    return SalesOrder::generateDeliveryDate();
}

QString AppManager::generateToday()
{
    return Clock::now().toLocalTime().toString(kDateTimeFormat);
}

QVariantMap AppManager::verifyUsername(const QString& username, const QString& password)
{
    // The user name is tested first: a short name and a short password give -2.
    if (trimBlanks(username).size() <= 3)
        return {{QStringLiteral("result"), QStringLiteral("-2")},
                {QStringLiteral("message"), Strings::localized("APPMANAGER_WRONG_USERNAME")}};
    if (trimBlanks(password).size() <= 3)
        return {{QStringLiteral("result"), QStringLiteral("-1")},
                {QStringLiteral("message"), Strings::localized("APPMANAGER_WRONG_PASSWORD")}};
    return {{QStringLiteral("result"), QStringLiteral("1")}, {QStringLiteral("message"), QStringLiteral("Login success")}};
}

void AppManager::saveUsername(const QString& username)
{
    if (username.isNull())
        return;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(RQMaths::encodeString2(username, RQMaths::keyText()), QStringLiteral("username"));
    defaults.setObject(Clock::now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("logintime"));
    defaults.synchronize();
}

QString AppManager::getUsername()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const QString decoded = RQMaths::decodeString2(defaults.stringForKey(QStringLiteral("username")), RQMaths::keyText());
    return decoded.isNull() ? QStringLiteral("") : decoded;
}

QString AppManager::getAuthToken()
{
    return Session::authToken();
}

void AppManager::setAuthToken(const QString& token)
{
    Session::setAuthToken(token);
}
