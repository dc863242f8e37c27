// The HTTP client against PHP's built-in server: PHP's own parser judges the
// bytes we send, and a test router answers with the faults the client must
// turn into errors.
#include "http/FormEncoding.h"
#include "http/HttpClient.h"
#include "support/HttpOutcome.h"
#include "support/TestServer.h"
#include "sync/Endpoints.h"
#include "sync/ServerAnswer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 256);
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class HttpWire : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = TestServer::startRouter(
                     TestServer::sourcePath(QStringLiteral("tests/integration/echo_router.php")))
                     .release();
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(server) << TestServer::lastError().toStdString(); }

    HttpOutcome postForm(const QString& path, const QVariantMap& parameters)
    {
        HttpOutcome outcome;
        client->postForm(server->url(path), parameters, outcome.onJson(), outcome.onFailure());
        if (!outcome.wait()) {
            ADD_FAILURE() << "no answer from " << path.toStdString();
            // A new client drops the request, whose handlers point at `outcome`.
            client = std::make_unique<HttpClient>();
        }
        return outcome;
    }

    static TestServer* server;
    std::unique_ptr<HttpClient> client = std::make_unique<HttpClient>();
};
TestServer* HttpWire::server = nullptr;
} // namespace

TEST_F(HttpWire, FormFieldsArriveInPostExactly)
{
    const QVariantMap parameters{
        {QStringLiteral("amp"), QStringLiteral("a&b=c")},
        {QStringLiteral("plus"), QStringLiteral("1+1 = 2")},
        {QStringLiteral("path"), QStringLiteral("/x/y?z=1&w")},
        {QStringLiteral("text"), QStringLiteral("Größe – 日本 😀 \"quoted\" 'single' %20 \r\n")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("none"), QVariant()},
        {QStringLiteral("number"), 42},
        {QStringLiteral("flag"), true},
        {QStringLiteral("order"),
         QVariantMap{
             {QStringLiteral("soldTo"), QStringLiteral("C&1")},
             {QStringLiteral("lines"),
              QVariantList{QVariantMap{{QStringLiteral("sku"), QStringLiteral("A")}},
                           QVariantMap{{QStringLiteral("sku"), QStringLiteral("B")}}}},
             {QStringLiteral("tags"), QStringList{QStringLiteral("x"), QStringLiteral("y y")}}}},
    };
    const HttpOutcome outcome = postForm(QStringLiteral("echo"), parameters);
    ASSERT_FALSE(outcome.error) << outcome.errorText().toStdString();
    const QVariantMap echo = outcome.json.toMap();

    // What PHP made of it: every value a text, null as an empty text.
    const QVariantMap expected{
        {QStringLiteral("amp"), QStringLiteral("a&b=c")},
        {QStringLiteral("plus"), QStringLiteral("1+1 = 2")},
        {QStringLiteral("path"), QStringLiteral("/x/y?z=1&w")},
        {QStringLiteral("text"), QStringLiteral("Größe – 日本 😀 \"quoted\" 'single' %20 \r\n")},
        {QStringLiteral("empty"), QStringLiteral("")},
        {QStringLiteral("none"), QStringLiteral("")},
        {QStringLiteral("number"), QStringLiteral("42")},
        {QStringLiteral("flag"), QStringLiteral("1")},
        {QStringLiteral("order"),
         QVariantMap{
             {QStringLiteral("soldTo"), QStringLiteral("C&1")},
             {QStringLiteral("lines"),
              QVariantList{QVariantMap{{QStringLiteral("sku"), QStringLiteral("A")}},
                           QVariantMap{{QStringLiteral("sku"), QStringLiteral("B")}}}},
             {QStringLiteral("tags"), QVariantList{QStringLiteral("x"), QStringLiteral("y y")}}}},
    };
    EXPECT_EQ(echo.value(QStringLiteral("post")).toMap(), expected);
    EXPECT_EQ(echo.value(QStringLiteral("method")), QStringLiteral("POST"));
    // The body on the wire is exactly our encoding.
    EXPECT_EQ(QByteArray::fromBase64(echo.value(QStringLiteral("raw")).toByteArray()),
              FormEncoding::encode(parameters));

    const QVariantMap headers = echo.value(QStringLiteral("headers")).toMap();
    EXPECT_EQ(headers.value(QStringLiteral("content-type")),
              QStringLiteral("application/x-www-form-urlencoded"));
    for (const auto& header : client->defaultHeaders())
        EXPECT_EQ(headers.value(QString::fromLatin1(header.first).toLower()).toByteArray(),
                  header.second);
}

TEST_F(HttpWire, MultipartFieldsAndFileArrive)
{
    // The file holds bytes that would break a sloppy framing: NUL, CR LF and a
    // line that looks like a boundary.
    QByteArray photo = pattern(300000);
    photo.insert(1000, "\r\n--Boundary+0000000000000000--\r\n");
    const QVariantMap parameters{
        {QStringLiteral("authToken"), QStringLiteral("t&k=1")},
        {QStringLiteral("skuCode"), QStringLiteral("SKU 7/ü")},
        {QStringLiteral("skip"), QVariant()},
        {QStringLiteral("nested"), QVariantMap{{QStringLiteral("a"), QVariantList{1, 2}}}}};
    HttpOutcome outcome;
    client->postMultipart(
        server->url(QStringLiteral("echo")), parameters,
        [&](MultipartFormData& form) {
            form.appendPartWithFileData(photo, QStringLiteral("file"), QStringLiteral("SKU 7.jpg"),
                                        QStringLiteral("image/jpeg"));
        },
        outcome.onJson(), outcome.onFailure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_FALSE(outcome.error) << outcome.errorText().toStdString();
    const QVariantMap echo = outcome.json.toMap();

    EXPECT_EQ(
        echo.value(QStringLiteral("post")).toMap(),
        (QVariantMap{{QStringLiteral("authToken"), QStringLiteral("t&k=1")},
                     {QStringLiteral("skuCode"), QStringLiteral("SKU 7/ü")},
                     {QStringLiteral("nested"),
                      QVariantMap{{QStringLiteral("a"),
                                   QVariantList{QStringLiteral("1"), QStringLiteral("2")}}}}}));
    const QVariantMap file =
        echo.value(QStringLiteral("files")).toMap().value(QStringLiteral("file")).toMap();
    EXPECT_EQ(file.value(QStringLiteral("error")).toInt(), 0);
    EXPECT_EQ(file.value(QStringLiteral("name")), QStringLiteral("SKU 7.jpg"));
    EXPECT_EQ(file.value(QStringLiteral("type")), QStringLiteral("image/jpeg"));
    EXPECT_EQ(file.value(QStringLiteral("size")).toLongLong(), photo.size());
    EXPECT_TRUE(QByteArray::fromBase64(file.value(QStringLiteral("content")).toByteArray()) ==
                photo);

    // The length we declared is the length of the body we sent.
    const QVariantMap headers = echo.value(QStringLiteral("headers")).toMap();
    const QByteArray contentType = headers.value(QStringLiteral("content-type")).toByteArray();
    ASSERT_TRUE(contentType.startsWith("multipart/form-data; boundary=Boundary+"))
        << contentType.constData();
    MultipartFormData rebuilt(contentType.mid(contentType.indexOf('=') + 1));
    rebuilt.appendParameters(parameters);
    rebuilt.appendPartWithFileData(photo, QStringLiteral("file"), QStringLiteral("SKU 7.jpg"),
                                   QStringLiteral("image/jpeg"));
    EXPECT_EQ(headers.value(QStringLiteral("content-length")).toLongLong(), rebuilt.body().size());
}

TEST_F(HttpWire, FaultyAnswersFailWithTheirTexts)
{
    struct Case
    {
        const char* path;
        int code;
        const char* description;
    };
    const Case cases[] = {
        {"html", HttpError::UnacceptableContentType,
         "Request failed: unacceptable content-type: text/html"},
        {"status500", HttpError::UnacceptableStatusCode,
         "Request failed: Internal Server Error (500)"},
        {"badutf8", HttpError::CannotDecodeContent, "Data failed decoding as a UTF-8 string"},
        {"json?type=text/plain", HttpError::UnacceptableContentType,
         "Request failed: unacceptable content-type: text/plain"},
    };
    for (const Case& c : cases) {
        const HttpOutcome outcome = postForm(QString::fromLatin1(c.path), {});
        ASSERT_TRUE(outcome.error) << c.path;
        EXPECT_EQ(outcome.error->code(), c.code) << c.path;
        EXPECT_EQ(outcome.error->description(), QString::fromLatin1(c.description)) << c.path;
        EXPECT_FALSE(outcome.error->isOffline()) << c.path;
    }
}

TEST_F(HttpWire, EmptyAnswersGiveNoObjectAndNoError)
{
    for (const char* path : {"empty", "blank"}) {
        const HttpOutcome outcome = postForm(QString::fromLatin1(path), {});
        EXPECT_FALSE(outcome.error) << path << ": " << outcome.errorText().toStdString();
        EXPECT_FALSE(outcome.json.isValid()) << path;
        EXPECT_EQ(ServerAnswer(outcome.json).verdict(), ServerAnswer::Ignored);
    }
    const HttpOutcome javascript = postForm(QStringLiteral("json?type=text/javascript"), {});
    ASSERT_FALSE(javascript.error) << javascript.errorText().toStdString();
    EXPECT_EQ(ServerAnswer(javascript.json).verdict(), ServerAnswer::Accepted);
}

TEST_F(HttpWire, SlowServerTimesOutAndIsNotOffline)
{
    client->setTimeout(300ms);
    QElapsedTimer clock;
    clock.start();
    const HttpOutcome outcome = postForm(QStringLiteral("slow?ms=1500"), {});
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code(), HttpError::TimedOut);
    EXPECT_FALSE(ServerAnswer::isOffline(*outcome.error));
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST_F(HttpWire, DroppedConnectionAndRefusedPortAreOffline)
{
    const HttpOutcome dropped = postForm(QStringLiteral("drop"), {});
    ASSERT_TRUE(dropped.error);
    EXPECT_EQ(dropped.error->code(), HttpError::NetworkConnectionLost)
        << dropped.error->detail().toStdString();

    const quint16 closedPort = TestServer::freePort();
    ASSERT_NE(closedPort, 0);
    HttpOutcome refused;
    client->postForm(QStringLiteral("http://127.0.0.1:%1/api/login.php").arg(closedPort), {},
                     refused.onJson(), refused.onFailure());
    ASSERT_TRUE(refused.wait());
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code(), HttpError::CannotConnectToHost)
        << refused.error->detail().toStdString();
    EXPECT_EQ(ServerAnswer::failureMessage(*refused.error), QStringLiteral("Unknown error..."));
}

TEST_F(HttpWire, DownloadsReplaceTheFileOnlyWhenWhole)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("material/P1.jpg"));
    const auto download = [&](const QString& path) {
        HttpOutcome outcome;
        client->download(server->url(path), target, outcome.onDownload(), outcome.onFailure());
        if (!outcome.wait()) {
            ADD_FAILURE() << "no answer from " << path.toStdString();
            client = std::make_unique<HttpClient>();
        }
        return outcome;
    };

    const HttpOutcome whole = download(QStringLiteral("file?size=500000"));
    ASSERT_FALSE(whole.error) << whole.errorText().toStdString();
    EXPECT_TRUE(readFile(target) == pattern(500000));

    const HttpOutcome missing = download(QStringLiteral("missing"));
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->description(), QStringLiteral("Request failed: Not Found (404)"));
    const HttpOutcome cut = download(QStringLiteral("drop?type=image/jpeg"));
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(cut.error->code(), HttpError::NetworkConnectionLost);

    EXPECT_TRUE(readFile(target) == pattern(500000));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("material"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("P1.jpg")});
}

TEST(OrderServer, RefusesAWrongLoginWithItsEnvelope)
{
    if (!TestServer::orderServerAvailable())
        GTEST_SKIP() << "no order server in this tree: "
                     << TestServer::serverDirectory().toStdString();
    const auto server = TestServer::startOrderServer();
    ASSERT_TRUE(server) << TestServer::lastError().toStdString();

    std::unique_ptr<HttpClient> client = std::make_unique<HttpClient>();
    QVariantMap fields =
        Endpoints::loginFields(QString(), QStringLiteral("00"), QStringLiteral("00"));
    HttpOutcome outcome;
    client->postForm(Endpoints::url(Endpoints::Login, server->baseUrl()), fields, outcome.onJson(),
                     outcome.onFailure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_FALSE(outcome.error) << outcome.errorText().toStdString();
    const ServerAnswer answer(outcome.json);
    EXPECT_EQ(answer.verdict(), ServerAnswer::Refused)
        << answer.dictionary().keys().join(QLatin1Char(',')).toStdString();
    EXPECT_FALSE(answer.message().isEmpty());
}
