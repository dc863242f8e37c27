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
#include "sync/DownloadManager.h"
#include "sync/Endpoints.h"
#include "store/StoreDelegate.h"
#include "sync/OrderPayload.h"
#include "sync/UploadManager.h"
#include "sync/ServerAnswer.h"
#include "sync/Session.h"
#include "sync/SyncWorker.h"

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

// How far the morning's synchronisation is, for the screens that wait on it:
// "phase" "receiving" with the bytes so far ("received", "total", -1 when
// the server does not say), then "storing" with "percent".
void postReceiving(qint64 received, qint64 total)
{
    post("syncProgress", {{QStringLiteral("phase"), QStringLiteral("receiving")},
                          {QStringLiteral("received"), received},
                          {QStringLiteral("total"), total}});
}

void postStoring(qsizetype done, qsizetype total)
{
    post("syncProgress", {{QStringLiteral("phase"), QStringLiteral("storing")},
                          {QStringLiteral("percent"), total > 0 ? int(done * 100 / total) : 100}});
}

// Posts an answer whose body is read, and its records written, on the sync
// thread while it arrives. `done` runs on the main thread with the outcome;
// `failure` when the call itself failed, and then nothing of it is applied.
void postForAnswer(const QString& url, const QVariantMap& fields, AnswerReader::Kind kind,
                   SyncWorker::Done done, HttpTransport::FailureHandler failure)
{
    SyncWorker::Request request;
    request.kind = kind;
    request.databasePath = DataManager::sharedManager()->getDatabasePath();
    if (StoreDelegate* delegate = DataManager::delegate())
        request.owner = delegate->UserName();
    request.onlyWhenAccepted = kind != AnswerReader::PromotionAnswer;
    const bool reportProgress = kind != AnswerReader::PromotionAnswer;
    const std::shared_ptr<AnswerJob> job =
        SyncWorker::start(request, std::move(done), reportProgress ? SyncWorker::Storing(postStoring) : nullptr);

    HttpTransport::BodyReceiver receiver;
    receiver.piece = [job](const QByteArray& piece) { job->feed(piece); };
    receiver.end = [job] { job->finish(); };
    receiver.failure = [job, failure = std::move(failure)](const HttpError& error) {
        job->abandon();
        if (failure)
            failure(error);
    };
    if (reportProgress) {
        // A screen needs a new figure about once per megabyte, not per packet.
        receiver.progress = [step = qint64(-1)](qint64 received, qint64 total) mutable {
            const qint64 now = received >> 20;
            if (now == step && received != total)
                return;
            step = now;
            postReceiving(received, total);
        };
    }
    HttpTransport::shared().postFormStreamed(url, fields, std::move(receiver));
}

void loginAccepted(const AnswerOutcome& outcome)
{
    const ServerAnswer& answer = outcome.answer;
    Session::setAuthToken(answer.authToken());
    const QVariant code = outcome.resultMembers.value(QStringLiteral("salesmanCode"));
    // Written with the time stamp below: one settings write, not two.
    if (code.isValid() && !code.isNull())
        UserDefaults::standard().setObject(code.toString(), QStringLiteral("salesmanCode"));
    Session::saveHost(Session::host());
    // The time stamp goes down only once the records it stands for are
    // committed: a crash in between asks for the same changes again.
    if (outcome.stored) {
        if (!outcome.files.isEmpty())
            DownloadManager::sharedManager()->downloadFile(outcome.files);
        Session::storeTimeStamp(answer.timeStamp());
    }
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

    postForAnswer(
        Endpoints::url(Endpoints::Login, host), Endpoints::loginFields(timeStamp, encipheredUsername, encipheredPassword),
        AnswerReader::LoginAnswer,
        [](const AnswerOutcome& outcome) {
            if (outcome.error) {
                post("loginFailed", messageInfo(outcome.error->description()));
                return;
            }
            const ServerAnswer& answer = outcome.answer;
            switch (answer.verdict()) {
            case ServerAnswer::Accepted:
                loginAccepted(outcome);
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
    postForAnswer(
        Endpoints::url(Endpoints::GetUpdateData, host), Endpoints::syncFields(timeStampForSync(), Session::authToken()),
        AnswerReader::UpdateAnswer,
        [](const AnswerOutcome& outcome) {
            if (outcome.error) {
                post("updateFailed", messageInfo(ServerAnswer::failureMessage(*outcome.error)));
                return;
            }
            const ServerAnswer& answer = outcome.answer;
            switch (answer.verdict()) {
            case ServerAnswer::Accepted:
                Session::setAuthToken(answer.authToken());
                Session::saveHost(Session::host());
                if (!outcome.stored) {
                    post("updateFailed", messageInfo(QStringLiteral("The new data could not be stored on this device.")));
                    return;
                }
                if (!outcome.files.isEmpty())
                    DownloadManager::sharedManager()->downloadFile(outcome.files);
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
    // Only "result" is read: token and time stamp stay as the login left them.
    postForAnswer(
        Endpoints::url(Endpoints::GetPromotion, host), Endpoints::syncFields(timeStampForSync(), Session::authToken()),
        AnswerReader::PromotionAnswer,
        [](const AnswerOutcome& outcome) {
            if (outcome.error)
                qCInfo(lcSession) << "Promotions not refreshed:" << outcome.error->description();
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
    if (!saveItemPhoto(image, skuCode))
        qCWarning(lcSession) << "The picture of" << skuCode << "could not be stored";
}

void AppManager::uploadPhoto(const QString& path, const QString& skuCode)
{
    UploadManager::sharedManager()->addUpload(skuCode, path);
}

bool AppManager::insertorderimage(const QString& orderNo, const QString& imageName)
{
    return DataManager::sharedManager()->insertorderimage(orderNo, imageName);
}

bool AppManager::moveOrderImage(const QString& imageName, const QString& fromOrderNo,
                                const QString& toOrderNo)
{
    return DataManager::sharedManager()->moveOrderImage(imageName, fromOrderNo, toOrderNo);
}

void AppManager::sendCrashReport(const QByteArray& report)
{
    // The base URL is ignored for crash reports: they go to production.
    HttpTransport::shared().postMultipart(
        Endpoints::url(Endpoints::CrashLog, Endpoints::productionBaseUrl()), Endpoints::crashLogFields(report), {},
        [](const QVariant&) {},
        [](const HttpError& error) { qCInfo(lcSession) << "Crash report not sent:" << error.description(); });
}
