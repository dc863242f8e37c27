// The HTTP client against PHP's built-in server: PHP's own parser judges the
// bytes we send, and a test router answers with the faults the client must
// turn into errors.
#include "http/FormEncoding.h"
#include "http/HttpClient.h"
#include "support/HttpOutcome.h"
#include "support/TestServer.h"
#include "sync/ServerAnswer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
        server =
            TestServer::startRouter(TestServer::sourcePath(u"tests/integration/echo_router.php"_s));
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override { ASSERT_TRUE(server) << TestServer::lastError().toStdString(); }

    // Hands the outcome's handlers to `call` and waits for them.
    template <typename Call> HttpOutcome await(const QString& what, Call call)
    {
        HttpOutcome outcome;
        call(outcome);
        if (!outcome.wait()) {
            ADD_FAILURE() << "no answer from " << what.toStdString();
            // A new client drops the request, whose handlers point at `outcome`.
            client = std::make_unique<HttpClient>();
        }
        return outcome;
    }
    HttpOutcome postForm(const QString& path, const QVariantMap& parameters)
    {
        return await(path, [&](HttpOutcome& o) {
            client->postForm(server->url(path), parameters, o.onJson(), o.onFailure());
        });
    }

    static inline std::unique_ptr<TestServer> server;
    std::unique_ptr<HttpClient> client = std::make_unique<HttpClient>();
};
} // namespace

TEST_F(HttpWire, FormFieldsArriveInPostExactly)
{
    const QVariantMap parameters{
        {u"amp"_s, u"a&b=c"_s},
        {u"plus"_s, u"1+1 = 2"_s},
        {u"path"_s, u"/x/y?z=1&w"_s},
        {u"text"_s, u"Größe – 日本 😀 \"quoted\" 'single' %20 \r\n"_s},
        {u"empty"_s, QString()},
        {u"none"_s, QVariant()},
        {u"number"_s, 42},
        {u"flag"_s, true},
        {u"order"_s, QVariantMap{{u"soldTo"_s, u"C&1"_s},
                                 {u"lines"_s, QVariantList{QVariantMap{{u"sku"_s, u"A"_s}},
                                                           QVariantMap{{u"sku"_s, u"B"_s}}}},
                                 {u"tags"_s, QStringList{u"x"_s, u"y y"_s}}}},
    };
    const HttpOutcome outcome = postForm(u"echo"_s, parameters);
    ASSERT_FALSE(outcome.error) << outcome.errorText().toStdString();
    const QVariantMap echo = outcome.json.toMap();

    // What PHP made of it: every value a text, null as an empty text.
    QVariantMap expected = parameters;
    expected.insert(
        {{u"empty"_s, u""_s}, {u"none"_s, u""_s}, {u"number"_s, u"42"_s}, {u"flag"_s, u"1"_s}});
    QVariantMap order = parameters.value(u"order"_s).toMap();
    order.insert(u"tags"_s, QVariantList{u"x"_s, u"y y"_s});
    expected.insert(u"order"_s, order);
    EXPECT_EQ(echo.value(u"post"_s).toMap(), expected);
    // The body on the wire is exactly our encoding.
    EXPECT_EQ(QByteArray::fromBase64(echo.value(u"raw"_s).toByteArray()),
              FormEncoding::encode(parameters));

    const QVariantMap headers = echo.value(u"headers"_s).toMap();
    EXPECT_EQ(headers.value(u"content-type"_s), u"application/x-www-form-urlencoded"_s);
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
    const QVariantMap parameters{{u"authToken"_s, u"t&k=1"_s},
                                 {u"skuCode"_s, u"SKU 7/ü"_s},
                                 {u"skip"_s, QVariant()},
                                 {u"nested"_s, QVariantMap{{u"a"_s, QVariantList{1, 2}}}}};
    const auto addPhoto = [&](MultipartFormData& form) {
        form.appendPartWithFileData(photo, u"file"_s, u"SKU 7.jpg"_s, u"image/jpeg"_s);
    };
    const HttpOutcome outcome = await(u"echo"_s, [&](HttpOutcome& o) {
        client->postMultipart(server->url(u"echo"_s), parameters, addPhoto, o.onJson(),
                              o.onFailure());
    });
    ASSERT_FALSE(outcome.error) << outcome.errorText().toStdString();
    const QVariantMap echo = outcome.json.toMap();

    EXPECT_EQ(echo.value(u"post"_s).toMap(),
              (QVariantMap{{u"authToken"_s, u"t&k=1"_s},
                           {u"skuCode"_s, u"SKU 7/ü"_s},
                           {u"nested"_s, QVariantMap{{u"a"_s, QVariantList{u"1"_s, u"2"_s}}}}}));
    QVariantMap file = echo.value(u"files"_s).toMap().value(u"file"_s).toMap();
    EXPECT_TRUE(QByteArray::fromBase64(file.take(u"content"_s).toByteArray()) == photo);
    EXPECT_EQ(file, (QVariantMap{{u"error"_s, 0},
                                 {u"name"_s, u"SKU 7.jpg"_s},
                                 {u"type"_s, u"image/jpeg"_s},
                                 {u"size"_s, photo.size()}}));
}

// Faults of the answers themselves (status, content type, encoding, empty
// bodies) are the unit tests' canned answers (test_http_client.cpp); here only
// what a real socket does: a slow server, a dropped connection, a closed port.
TEST_F(HttpWire, SlowServerTimesOutDroppedConnectionAndRefusedPortAreOffline)
{
    client->setTimeout(300ms);
    const HttpOutcome slow = postForm(u"slow?ms=1500"_s, {});
    ASSERT_TRUE(slow.error);
    EXPECT_EQ(slow.error->code(), HttpError::TimedOut);
    EXPECT_FALSE(ServerAnswer::isOffline(*slow.error));

    client = std::make_unique<HttpClient>();
    const HttpOutcome dropped = postForm(u"drop"_s, {});
    ASSERT_TRUE(dropped.error);
    EXPECT_EQ(dropped.error->code(), HttpError::NetworkConnectionLost)
        << dropped.error->detail().toStdString();

    const QString closed = u"http://127.0.0.1:%1/api/login.php"_s.arg(TestServer::freePort());
    const HttpOutcome refused = await(
        closed, [&](HttpOutcome& o) { client->postForm(closed, {}, o.onJson(), o.onFailure()); });
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->code(), HttpError::CannotConnectToHost)
        << refused.error->detail().toStdString();
}

TEST_F(HttpWire, DownloadsReplaceTheFileOnlyWhenWhole)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"material/P1.jpg"_s);
    const auto download = [&](const QString& path) {
        return await(path, [&](HttpOutcome& o) {
            client->download(server->url(path), target, o.onDownload(), o.onFailure());
        });
    };

    const HttpOutcome whole = download(u"file?size=500000"_s);
    ASSERT_FALSE(whole.error) << whole.errorText().toStdString();
    EXPECT_TRUE(readFile(target) == pattern(500000));

    EXPECT_EQ(download(u"missing"_s).errorText(), u"Request failed: Not Found (404)"_s);
    const HttpOutcome cut = download(u"drop?type=image/jpeg"_s);
    EXPECT_EQ(cut.error ? cut.error->code() : 0, HttpError::NetworkConnectionLost);

    EXPECT_TRUE(readFile(target) == pattern(500000));
    EXPECT_EQ(QDir(dir.filePath(u"material"_s)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"P1.jpg"_s});
}
