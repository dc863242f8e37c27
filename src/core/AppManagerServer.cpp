// The exchanges of AppManager with the order server: login, master-data
// update and promotions. Outcomes reach the screens as notifications.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "http/HttpTransport.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/RQMaths.h"
#include "sync/Endpoints.h"
#include "sync/MasterDataSync.h"
#include "sync/OrderPayload.h"
#include "sync/UploadManager.h"
#include "sync/ServerAnswer.h"
#include "sync/Session.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSession, "fieldbook.session")

namespace {
void post(const char* name, const QVariantMap& userInfo = {})
{
    NotificationCenter::defaultCenter().post(QString::fromLatin1(name), userInfo);
}

QVariantMap messageInfo(const QString& message)
{
    return {{QStringLiteral("message"), message}};
}

QString today()
{
    return Clock::now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
}

// The stored time stamp only for the same salesman on the same day: anyone
// else, and the first login of a day, gets everything.
QString timeStampForLogin(const QString& username)
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const QString stored = Session::storedTimeStamp();
    const bool sameUser = AppManager::getUsername() == username;
    const bool sameDay = defaults.stringForKey(QStringLiteral("logintime")) == today();
    return !stored.isEmpty() && sameUser && sameDay ? stored : Endpoints::noTimeStamp();
}

QString timeStampForSync()
{
    const QString stored = Session::storedTimeStamp();
    return stored.isEmpty() ? Endpoints::noTimeStamp() : stored;
}

void loginAccepted(const ServerAnswer& answer)
{
    Session::setAuthToken(answer.authToken());
    const QVariant result = answer.result();
    if (result.typeId() == QMetaType::QVariantMap) {
        const QVariant code = result.toMap().value(QStringLiteral("salesmanCode"));
        if (code.isValid() && !code.isNull()) {
            UserDefaults::standard().setObject(code.toString(), QStringLiteral("salesmanCode"));
            UserDefaults::standard().synchronize();
        }
    }
    Session::saveHost(Session::host());
    // The time stamp goes down only once the records it stands for are
    // committed: a crash in between asks for the same changes again.
    if (MasterDataSync::applyResult(result, true))
        Session::storeTimeStamp(answer.timeStamp());
    UserDefaults::standard().synchronize();
    post("loginSuccess");
    AppManager::getPromotionData();
}

void loginOffline(const QString& encipheredUsername, const QString& encipheredPassword)
{
    const QVariantMap outcome = DataManager::sharedManager()->localLoginWithUsername(encipheredUsername, encipheredPassword);
    const int status = outcome.value(QStringLiteral("status")).toString().toInt();
    if (status == 1)
        post("loginSuccess", outcome);
    else if (status == -10 || status == -20)
        post("loginFailed", messageInfo(QStringLiteral("Login name or password is wrong...")));
    else
        post("loginFailed", messageInfo(ServerAnswer::unknownErrorMessage()));
}
} // namespace

void AppManager::loginWithUsername(const QString& username, const QString& password)
{
    const QString host = Session::host();
    const QString timeStamp = timeStampForLogin(username);
    const QString key = RQMaths::keyText();
    const QString encipheredUsername = RQMaths::encodeString2(username, key);
    const QString encipheredPassword = RQMaths::encodeString2(password, key);
    // The attempt is recorded before the request goes out, whatever its outcome.
    saveUsername(username);

    HttpTransport::shared().postForm(
        Endpoints::url(Endpoints::Login, host), Endpoints::loginFields(timeStamp, encipheredUsername, encipheredPassword),
        [](const QVariant& json) {
            const ServerAnswer answer(json);
            switch (answer.verdict()) {
            case ServerAnswer::Accepted:
                loginAccepted(answer);
                break;
            case ServerAnswer::Refused:
                post("loginFailed", answer.failureUserInfo());
                break;
            case ServerAnswer::ConnectionError:
            case ServerAnswer::Ignored:
                // An answer that is not our envelope ends the login too: the
                // salesman must not wait under the overlay for nothing.
                post("loginFailed", messageInfo(ServerAnswer::connectionErrorMessage()));
                break;
            }
        },
        [encipheredUsername, encipheredPassword](const HttpError& error) {
            if (ServerAnswer::isOffline(error)) {
                qCInfo(lcSession) << "Off line; checking the stored accounts";
                loginOffline(encipheredUsername, encipheredPassword);
                return;
            }
            post("loginFailed", messageInfo(error.description()));
        });
}

void AppManager::getUpdateDataFromServer()
{
    const QString host = Session::host();
    HttpTransport::shared().postForm(
        Endpoints::url(Endpoints::GetUpdateData, host), Endpoints::syncFields(timeStampForSync(), Session::authToken()),
        [](const QVariant& json) {
            const ServerAnswer answer(json);
            switch (answer.verdict()) {
            case ServerAnswer::Accepted:
                Session::setAuthToken(answer.authToken());
                Session::saveHost(Session::host());
                if (!MasterDataSync::applyResult(answer.result(), false)) {
                    post("updateFailed", messageInfo(QStringLiteral("The new data could not be stored on this device.")));
                    return;
                }
                Session::storeTimeStamp(answer.timeStamp());
                UserDefaults::standard().synchronize();
                post("updateSuccess");
                break;
            case ServerAnswer::Refused:
                post("updateFailed", answer.failureUserInfo());
                break;
            case ServerAnswer::ConnectionError:
            case ServerAnswer::Ignored:
                post("updateFailed", messageInfo(ServerAnswer::connectionErrorMessage()));
                break;
            }
        },
        [](const HttpError& error) { post("updateFailed", messageInfo(ServerAnswer::failureMessage(error))); });
}

void AppManager::getPromotionData()
{
    const QString host = Session::host();
    HttpTransport::shared().postForm(
        Endpoints::url(Endpoints::GetPromotion, host), Endpoints::syncFields(timeStampForSync(), Session::authToken()),
        [](const QVariant& json) {
            // Only "result" is read: token and time stamp stay as the login left them.
            if (json.typeId() == QMetaType::QVariantMap)
                MasterDataSync::applyPromotions(json.toMap().value(QStringLiteral("result")));
        },
        [](const HttpError& error) { qCInfo(lcSession) << "Promotions not refreshed:" << error.description(); });
}

void AppManager::uploadSalesOrder(const QString& purchaseOrderNo)
{
    const std::optional<QVariantMap> payload = OrderPayload::build(purchaseOrderNo);
    if (!payload) {
        qCWarning(lcSession) << "No stored order" << purchaseOrderNo << "to upload";
        return;
    }
    UploadManager::sharedManager()->addDataUpload(2, *payload, purchaseOrderNo);
}

void AppManager::savePhotoToApplication(const QImage& image, const QString& skuCode)
{
    const QString path = DataManager::sharedManager()->savePhotoToApplication(image, skuCode);
    if (path.isNull()) {
        qCWarning(lcSession) << "The picture of" << skuCode << "could not be stored";
        return;
    }
    uploadPhoto(path, skuCode);
}

void AppManager::uploadPhoto(const QString& path, const QString& skuCode)
{
    UploadManager::sharedManager()->addUpload(skuCode, path);
}

bool AppManager::insertorderimage(const QString& orderNo, const QString& imageName)
{
    return DataManager::sharedManager()->insertorderimage(orderNo, imageName);
}

void AppManager::sendCrashReport(const QByteArray& report)
{
    // The base URL is ignored for crash reports: they go to production.
    HttpTransport::shared().postMultipart(
        Endpoints::url(Endpoints::CrashLog, Endpoints::productionBaseUrl()), Endpoints::crashLogFields(report), {},
        [](const QVariant&) {},
        [](const HttpError& error) { qCInfo(lcSession) << "Crash report not sent:" << error.description(); });
}
