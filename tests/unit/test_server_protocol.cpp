#include "core/AppManager.h"
#include "http/ResponseChecks.h"
#include "platform/Sandbox.h"
#include "support/RQDevice.h"
#include "support/TestSandbox.h"
#include "sync/Endpoints.h"
#include "sync/ServerAnswer.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {
// An answer as the HTTP client delivers it: parsed from the JSON text.
ServerAnswer parsed(const QByteArray& json)
{
    QVariant object;
    const auto error = ResponseChecks::decodeJson(json, object);
    EXPECT_FALSE(error) << json.constData();
    return ServerAnswer(object);
}
} // namespace

TEST(Endpoints, PathsAndUrls)
{
    const QString base = QStringLiteral("http://10.1.2.3:8080/api/");
    EXPECT_EQ(Endpoints::url(Endpoints::Login, base), base + QStringLiteral("login.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::GetUpdateData, base),
              base + QStringLiteral("getUpdateData.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::GetPromotion, base),
              base + QStringLiteral("getpromotion.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::UpdateOrder, base),
              base + QStringLiteral("updateOrder.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::UploadFile, base), base + QStringLiteral("uploadFile.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::UploadOrderImage, base),
              base + QStringLiteral("uploadorderimg.php"));
    // A stored host typed without its last "/" still works.
    EXPECT_EQ(Endpoints::url(Endpoints::Login, QStringLiteral("http://h/api")),
              QStringLiteral("http://h/api/login.php"));
    EXPECT_EQ(Endpoints::join(QStringLiteral("http://h/api/"), QStringLiteral("/x")),
              QStringLiteral("http://h/api/x"));

    EXPECT_EQ(Endpoints::pictureUrl(base, QStringLiteral("/material/ABC.jpg")),
              QStringLiteral("http://10.1.2.3:8080/__files__/material/ABC.jpg"));
    EXPECT_EQ(Endpoints::pictureUrl(QStringLiteral("http://h/shop/api/"),
                                    QStringLiteral("/material/A B.jpg")),
              QStringLiteral("http://h/shop/__files__/material/A B.jpg"));
}

TEST(Endpoints, CrashReportsGoToProductionInDevelopmentMode)
{
    TestSandbox sandbox;
    QSettings outside(Sandbox::settingsFilePath(), QSettings::IniFormat);
    outside.setValue(QStringLiteral("developmentSetting"), true);
    outside.setValue(QStringLiteral("host_dev"), QStringLiteral("http://dev.test/api/"));
    outside.sync();

    ASSERT_EQ(AppManager::getHost(), QStringLiteral("http://dev.test/api/"));
    EXPECT_EQ(Endpoints::url(Endpoints::Login, AppManager::getHost()),
              QStringLiteral("http://dev.test/api/login.php"));
    EXPECT_EQ(Endpoints::url(Endpoints::CrashLog, AppManager::getHost()),
              AppManager::productionBaseUrl() + QStringLiteral("crashLog.php"));
    // Also when a production host has been stored: the built-in one is meant.
    outside.setValue(QStringLiteral("host"), QStringLiteral("http://stored.test/api/"));
    outside.sync();
    EXPECT_EQ(Endpoints::url(Endpoints::CrashLog, AppManager::getHost()),
              AppManager::productionBaseUrl() + QStringLiteral("crashLog.php"));
}

TEST(Endpoints, RequestFields)
{
    TestSandbox sandbox;
    const QVariantMap device = Endpoints::deviceDescription();
    EXPECT_EQ(device,
              (QVariantMap{{QStringLiteral("deviceModel"), AppManager::getDeviceModel()},
                           {QStringLiteral("appVersion"), AppManager::getAppVersionString()},
                           {QStringLiteral("osVersion"), AppManager::getSystemVersion()},
                           {QStringLiteral("language"), AppManager::getSystemLanguage()},
                           {QStringLiteral("uuid"), RQDevice::uuid()}}));
    EXPECT_EQ(RQDevice::uuid().size(), 36);

    // Without a token the update request is "timeStamp" alone.
    EXPECT_EQ(Endpoints::syncFields(QStringLiteral("20240101120000"), QString()),
              (QVariantMap{{QStringLiteral("timeStamp"), QStringLiteral("20240101120000")}}));
    EXPECT_EQ(Endpoints::syncFields(QString(), QStringLiteral("")),
              (QVariantMap{{QStringLiteral("timeStamp"), QStringLiteral("00000000000000")}}));
    EXPECT_EQ(Endpoints::syncFields(QStringLiteral("1"), QStringLiteral("tok")),
              (QVariantMap{{QStringLiteral("timeStamp"), QStringLiteral("1")},
                           {QStringLiteral("authToken"), QStringLiteral("tok")}}));

    const QVariantMap login =
        Endpoints::loginFields(QString(), QStringLiteral("0a0b"), QStringLiteral("0c0d"));
    EXPECT_EQ(login.keys(),
              (QStringList{QStringLiteral("appVersion"), QStringLiteral("deviceModel"),
                           QStringLiteral("language"), QStringLiteral("osVersion"),
                           QStringLiteral("password"), QStringLiteral("timeStamp"),
                           QStringLiteral("username"), QStringLiteral("uuid")}));
    EXPECT_EQ(login.value(QStringLiteral("timeStamp")), Endpoints::noTimeStamp());

    const QVariantMap crash = Endpoints::crashLogFields("Crashed with signal SIGSEGV \xe2\x9c\x93");
    EXPECT_EQ(crash.value(QStringLiteral("crash_message")),
              QStringLiteral("Crashed with signal SIGSEGV ✓"));
    EXPECT_EQ(crash.size(), 6);
    // A report that is not UTF-8 text: the device fields alone.
    EXPECT_EQ(Endpoints::crashLogFields("binary \xff\xfe report"), device);
}

TEST(ServerAnswer, Verdicts)
{
    EXPECT_EQ(parsed(R"({"status":0,"authToken":"t","timeStamp":"20240101"})").verdict(),
              ServerAnswer::Accepted);
    EXPECT_EQ(parsed(R"({"status":"0"})").verdict(), ServerAnswer::Accepted);
    EXPECT_EQ(parsed(R"({"status":" 0 "})").verdict(), ServerAnswer::Accepted);
    EXPECT_EQ(parsed(R"({"status":0.0})").verdict(), ServerAnswer::Accepted);
    EXPECT_EQ(parsed(R"({"status":2,"message":"Locked"})").verdict(), ServerAnswer::Refused);
    EXPECT_EQ(parsed(R"({"status":"-10"})").verdict(), ServerAnswer::Refused);
    // Nothing that merely looks empty is taken for 0.
    for (const char* odd : {R"({"status":""})", R"({"status":"ok"})", R"({"status":false})",
                            R"({"status":0.5})", R"({"status":[0]})", R"({"status":"0x0"})"})
        EXPECT_EQ(parsed(odd).verdict(), ServerAnswer::Refused) << odd;
    // No status, even with a result: the answer is not ours.
    const ServerAnswer noStatus = parsed(R"({"result":{"salesmanCode":"S1"}})");
    EXPECT_EQ(noStatus.verdict(), ServerAnswer::ConnectionError);
    EXPECT_EQ(noStatus.failureUserInfo(),
              (QVariantMap{{QStringLiteral("message"), QStringLiteral("Connection error...")}}));
    EXPECT_EQ(parsed(R"({"status":null})").verdict(), ServerAnswer::ConnectionError);
    // No parsed object (an empty body) and a bare array are ignored.
    EXPECT_EQ(ServerAnswer(QVariant()).verdict(), ServerAnswer::Ignored);
    EXPECT_EQ(parsed("[1]").verdict(), ServerAnswer::Ignored);
    EXPECT_TRUE(ServerAnswer(QVariant()).failureUserInfo().isEmpty());
}

TEST(ServerAnswer, Fields)
{
    const ServerAnswer refused =
        parsed(R"({"status":2,"message":"Account locked","authToken":null})");
    EXPECT_EQ(refused.status(), 2);
    EXPECT_EQ(refused.message(), QStringLiteral("Account locked"));
    EXPECT_TRUE(refused.authToken().isNull());
    // The refused answer itself is passed on, with the server's message.
    EXPECT_EQ(refused.failureUserInfo(), refused.dictionary());
    EXPECT_EQ(refused.failureUserInfo().value(QStringLiteral("message")),
              QStringLiteral("Account locked"));

    const ServerAnswer accepted = parsed(
        R"({"status":"0","authToken":"abc","timeStamp":"20240102030405","result":[{"orderNo":4711}]})");
    EXPECT_EQ(accepted.authToken(), QStringLiteral("abc"));
    EXPECT_EQ(accepted.timeStamp(), QStringLiteral("20240102030405"));
    EXPECT_EQ(
        accepted.result().toList().first().toMap().value(QStringLiteral("orderNo")).toString(),
        QStringLiteral("4711"));

    // An order upload reads a missing status as 0; login and update do not.
    const ServerAnswer tokenOnly = parsed(R"({"authToken":"n"})");
    EXPECT_EQ(tokenOnly.status(0), 0);
    EXPECT_NE(tokenOnly.status(), 0);
    EXPECT_EQ(parsed(R"({"status":"x"})").status(0), ServerAnswer::UnreadableStatus);
}

TEST(ServerAnswer, FailureMessages)
{
    for (const int code : {HttpError::NetworkConnectionLost, HttpError::CannotConnectToHost,
                           HttpError::NotConnectedToInternet}) {
        const HttpError offline(code, QStringLiteral("whatever the transport said"));
        EXPECT_TRUE(ServerAnswer::isOffline(offline)) << code;
        EXPECT_EQ(ServerAnswer::failureMessage(offline), QStringLiteral("Unknown error..."))
            << code;
    }
    EXPECT_FALSE(ServerAnswer::isOffline(HttpError::timedOut()));
    EXPECT_EQ(ServerAnswer::failureMessage(HttpError::timedOut()),
              QStringLiteral("The request timed out."));
    const auto status = ResponseChecks::checkStatus(500, "Internal Server Error");
    EXPECT_EQ(ServerAnswer::failureMessage(*status),
              QStringLiteral("Request failed: Internal Server Error (500)"));
}
