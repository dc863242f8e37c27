#include "core/AppManager.h"
#include "http/ResponseChecks.h"
#include "platform/Sandbox.h"
#include "support/TestSandbox.h"
#include "sync/Endpoints.h"
#include "sync/ServerAnswer.h"

#include <QSettings>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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

TEST(Endpoints, UrlsAndRequestFields)
{
    // The paths themselves are judged by the order server end to end. A stored host typed without
    // its last "/" still works.
    EXPECT_EQ(Endpoints::url(Endpoints::Login, u"http://h/api"_s), u"http://h/api/login.php"_s);
    EXPECT_EQ(Endpoints::join(u"http://h/api/"_s, u"/x"_s), u"http://h/api/x"_s);

    EXPECT_EQ(Endpoints::pictureUrl(u"http://10.1.2.3:8080/api/"_s, u"/material/ABC.jpg"_s),
              u"http://10.1.2.3:8080/__files__/material/ABC.jpg"_s);

    TestSandbox sandbox;
    // Under LANG=C.UTF-8 the bare "C" locale is reported as en_US.
    const QVariantMap device = Endpoints::deviceDescription();
    EXPECT_EQ(device.value(u"language"_s), u"en_US"_s);

    const QVariantMap crash = Endpoints::crashLogFields("Crashed with signal SIGSEGV \xe2\x9c\x93");
    EXPECT_EQ(crash.value(u"crash_message"_s), u"Crashed with signal SIGSEGV ✓"_s);
    // A report that is not UTF-8 text: the device fields alone.
    EXPECT_EQ(Endpoints::crashLogFields("binary \xff\xfe report"), device);
}

TEST(Endpoints, CrashReportsGoToProductionInDevelopmentMode)
{
    TestSandbox sandbox;
    // A stored production host too: the built-in one is meant.
    QSettings outside(Sandbox::settingsFilePath(), QSettings::IniFormat);
    outside.setValue(u"developmentSetting"_s, true);
    outside.setValue(u"host_dev"_s, u"http://dev.test/api/"_s);
    outside.setValue(u"host"_s, u"http://stored.test/api/"_s);
    outside.sync();
    EXPECT_EQ(Endpoints::url(Endpoints::Login, AppManager::getHost()),
              u"http://dev.test/api/login.php"_s);
    EXPECT_EQ(Endpoints::url(Endpoints::CrashLog, AppManager::getHost()),
              AppManager::productionBaseUrl() + u"crashLog.php"_s);
}

TEST(ServerAnswer, Verdicts)
{
    const std::pair<ServerAnswer::Verdict, QList<const char*>> cases[] = {
        {ServerAnswer::Accepted,
         {R"({"status":0,"authToken":"t"})", R"({"status":"0"})", R"({"status":" 0 "})",
          R"({"status":0.0})"}},
        // Nothing that merely looks empty is taken for 0.
        {ServerAnswer::Refused,
         {R"({"status":2,"message":"Locked"})", R"({"status":"-10"})", R"({"status":""})",
          R"({"status":"ok"})", R"({"status":false})", R"({"status":0.5})", R"({"status":[0]})",
          R"({"status":"0x0"})"}},
        // No status, even with a result: the answer is not ours.
        {ServerAnswer::ConnectionError,
         {R"({"result":{"salesmanCode":"S1"}})", R"({"status":null})"}},
        {ServerAnswer::Ignored, {"[1]"}},
    };
    for (const auto& [verdict, answers] : cases) {
        for (const char* json : answers)
            EXPECT_EQ(parsed(json).verdict(), verdict) << json;
    }
    EXPECT_EQ(parsed(R"({"result":1})").failureUserInfo(),
              (QVariantMap{{u"message"_s, u"Connection error..."_s}}));
    // No parsed object (an empty body) is ignored.
    EXPECT_EQ(ServerAnswer(QVariant()).verdict(), ServerAnswer::Ignored);
    EXPECT_TRUE(ServerAnswer(QVariant()).failureUserInfo().isEmpty());
}
TEST(ServerAnswer, FieldsAndFailureMessages)
{
    const ServerAnswer refused =
        parsed(R"({"status":2,"message":"Account locked","authToken":null})");
    EXPECT_EQ(u"%1 %2"_s.arg(refused.status()).arg(refused.message()), u"2 Account locked"_s);
    EXPECT_TRUE(refused.authToken().isNull());
    // The refused answer itself is passed on, with the server's message.
    EXPECT_EQ(refused.failureUserInfo(), refused.dictionary());

    // An order upload reads a missing status as 0; login and update do not.
    const ServerAnswer tokenOnly = parsed(R"({"authToken":"n"})");
    EXPECT_EQ(tokenOnly.status(0), 0);
    EXPECT_NE(tokenOnly.status(), 0);
    EXPECT_EQ(parsed(R"({"status":"x"})").status(0), ServerAnswer::UnreadableStatus);

    // Off line (which codes those are: HttpErrors) the transport's words are not shown.
    const HttpError offline(HttpError::NotConnectedToInternet, u"whatever the transport said"_s);
    EXPECT_TRUE(ServerAnswer::isOffline(offline));
    EXPECT_EQ(ServerAnswer::failureMessage(offline), u"Unknown error..."_s);
    EXPECT_FALSE(ServerAnswer::isOffline(HttpError::timedOut()));
    EXPECT_EQ(ServerAnswer::failureMessage(HttpError::timedOut()), u"The request timed out."_s);
}
