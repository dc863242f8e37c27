#include "http/FormEncoding.h"
#include "http/HttpClient.h"
#include "support/CannedNetwork.h"
#include "support/FakeTransport.h"
#include "support/HttpOutcome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using namespace std::chrono_literals;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

TEST(HttpClient, FormPostCarriesOurBytesAndTheDefaultHeaders)
{
    CannedNetwork network;
    network.enqueue(CannedAnswer::json(R"({"status":0,"authToken":"t1"})"));
    HttpClient client(&network);
    const QVariantMap parameters{{QStringLiteral("username"), QStringLiteral("a&b c")},
                                 {QStringLiteral("list"), QVariantList{1, 2}}};
    HttpOutcome outcome;
    client.postForm(QStringLiteral("http://server.test/api/login.php"), parameters,
                    outcome.onJson(), outcome.onFailure());
    // Handlers never run inside the call itself.
    EXPECT_FALSE(outcome.done);
    ASSERT_TRUE(outcome.wait());
    ASSERT_FALSE(outcome.error) << outcome.error->description().toStdString();
    EXPECT_EQ(outcome.json.toMap().value(QStringLiteral("authToken")), QStringLiteral("t1"));

    ASSERT_EQ(network.sent().size(), 1);
    const CannedNetwork::Sent& sent = network.sent().first();
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.request.url().toString(), QStringLiteral("http://server.test/api/login.php"));
    EXPECT_EQ(sent.body, "list%5B%5D=1&list%5B%5D=2&username=a%26b%20c");
    EXPECT_EQ(sent.header("Content-Type"), "application/x-www-form-urlencoded");
    for (const auto& header : HttpHeaders::defaults())
        EXPECT_EQ(sent.header(header.first), header.second) << header.first.constData();
    EXPECT_EQ(client.pendingRequests(), 0);
}

TEST(HttpClient, MultipartPostDeclaresItsBoundaryAndLength)
{
    CannedNetwork network;
    HttpClient client(&network);
    HttpOutcome outcome;
    const QByteArray photo("\xff\xd8\xff\xe0 jpeg \r\n bytes", 19);
    client.postMultipart(
        QStringLiteral("http://server.test/api/uploadFile.php"),
        {{QStringLiteral("authToken"), QStringLiteral("tok")},
         {QStringLiteral("skuCode"), QStringLiteral("SKU-1")}},
        [&](MultipartFormData& form) {
            form.appendPartWithFileData(photo, QStringLiteral("file"), QStringLiteral("SKU-1"),
                                        QStringLiteral("image/jpeg"));
        },
        outcome.onJson(), outcome.onFailure());
    ASSERT_TRUE(outcome.wait());
    EXPECT_FALSE(outcome.error);

    const CannedNetwork::Sent& sent = network.sent().first();
    const QByteArray contentType = sent.header("Content-Type");
    ASSERT_TRUE(contentType.startsWith("multipart/form-data; boundary=Boundary+"))
        << contentType.constData();
    const QByteArray boundary = contentType.mid(contentType.indexOf('=') + 1);
    EXPECT_EQ(sent.header("Content-Length"), QByteArray::number(sent.body.size()));
    EXPECT_TRUE(sent.body.startsWith("--" + boundary +
                                     "\r\nContent-Disposition: form-data; name=\"authToken\""));
    EXPECT_TRUE(sent.body.endsWith(photo + "\r\n--" + boundary + "--\r\n"));
    EXPECT_EQ(sent.body.count("--" + boundary), 4);
}

TEST(HttpClient, AnswersAreCheckedBeforeTheSuccessHandler)
{
    struct Case
    {
        CannedAnswer answer;
        int code; // 0: success
        QString description;
    };
    CannedAnswer htmlError = CannedAnswer::withType("text/html", "<h1>oops</h1>", 500);
    htmlError.reason = "Internal Server Error";
    const Case cases[] = {
        {CannedAnswer::withType("text/html", "<html></html>"), HttpError::UnacceptableContentType,
         QStringLiteral("Request failed: unacceptable content-type: text/html")},
        // The status is checked before the content type.
        {htmlError, HttpError::UnacceptableStatusCode,
         QStringLiteral("Request failed: Internal Server Error (500)")},
        {CannedAnswer::json("[\"\xc3\x28\"]"), HttpError::CannotDecodeContent,
         QStringLiteral("Data failed decoding as a UTF-8 string")},
        {CannedAnswer::json(""), 0, QString()},
        {CannedAnswer::json(" "), 0, QString()},
    };
    CannedNetwork network;
    HttpClient client(&network);
    for (const Case& c : cases) {
        network.enqueue(c.answer);
        HttpOutcome outcome;
        client.postForm(QStringLiteral("http://server.test/api/x.php"), {}, outcome.onJson(),
                        outcome.onFailure());
        ASSERT_TRUE(outcome.wait());
        EXPECT_EQ(outcome.handlerRuns, 1);
        const QByteArray label = c.answer.body + " / " + QByteArray::number(c.answer.status);
        if (c.code == 0) {
            EXPECT_FALSE(outcome.error) << label.constData();
            EXPECT_EQ(outcome.json.isValid(), !c.answer.body.trimmed().isEmpty())
                << label.constData();
            continue;
        }
        ASSERT_TRUE(outcome.error) << label.constData();
        EXPECT_EQ(outcome.error->code(), c.code) << label.constData();
        EXPECT_EQ(outcome.error->description(), c.description);
    }
}

TEST(HttpClient, TransportFailuresAndLostAnswers)
{
    CannedNetwork network;
    HttpClient client(&network);
    const auto failureOf = [&](const CannedAnswer& answer) {
        network.enqueue(answer);
        HttpOutcome outcome;
        client.postForm(QStringLiteral("http://server.test/api/x.php"), {}, outcome.onJson(),
                        outcome.onFailure());
        EXPECT_TRUE(outcome.wait());
        return outcome.error.value_or(HttpError());
    };
    EXPECT_EQ(failureOf(CannedAnswer::failure(QNetworkReply::ConnectionRefusedError,
                                              "Connection refused"))
                  .code(),
              HttpError::CannotConnectToHost);
    EXPECT_EQ(
        failureOf(CannedAnswer::failure(QNetworkReply::HostNotFoundError, "Host not found")).code(),
        HttpError::CannotConnectToHost);

    // A 200 whose body is cut off is a lost connection, not a half answer.
    CannedAnswer cut = CannedAnswer::json(R"({"status":0,)");
    cut.transportError = QNetworkReply::RemoteHostClosedError;
    cut.transportText = QStringLiteral("Connection closed");
    const HttpError lost = failureOf(cut);
    EXPECT_EQ(lost.code(), HttpError::NetworkConnectionLost);
    EXPECT_TRUE(lost.isOffline());
    EXPECT_EQ(lost.detail(), QStringLiteral("Connection closed"));

    const HttpError other = failureOf(
        CannedAnswer::failure(QNetworkReply::ProtocolUnknownError, "Protocol \"ftp\" is unknown"));
    EXPECT_EQ(other.code(), HttpError::Unknown);
    EXPECT_EQ(other.description(), QStringLiteral("Protocol \"ftp\" is unknown"));
}

TEST(HttpClient, StalledServerTimesOut)
{
    CannedNetwork network;
    HttpClient client(&network);
    client.setTimeout(50ms);
    CannedAnswer stalled;
    stalled.status = 0;
    stalled.stall = true;
    network.enqueue(stalled);
    HttpOutcome outcome;
    client.postForm(QStringLiteral("http://server.test/api/login.php"), {}, outcome.onJson(),
                    outcome.onFailure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code(), HttpError::TimedOut);
    EXPECT_EQ(outcome.error->description(), QStringLiteral("The request timed out."));
    EXPECT_FALSE(outcome.error->isOffline());
    // The request was given up, not left running.
    EXPECT_EQ(network.openReplies(), 0);
    EXPECT_EQ(outcome.handlerRuns, 1);
}

TEST(HttpClient, DownloadReplacesTheFileOnlyWhenComplete)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("material/ABC.jpg"));
    CannedNetwork network;
    HttpClient client(&network);

    // A missing folder is created.
    QByteArray picture(70000, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>(i * 7);
    network.enqueue(CannedAnswer::withType("image/jpeg", picture));
    HttpOutcome first;
    client.download(QStringLiteral("http://server.test/__files__/material/ABC.jpg"), target,
                    first.onDownload(), first.onFailure());
    ASSERT_TRUE(first.wait());
    ASSERT_FALSE(first.error) << first.error->description().toStdString();
    EXPECT_EQ(first.path, target);
    EXPECT_EQ(readFile(target), picture);
    EXPECT_EQ(network.sent().first().method, "GET");

    // An error page and a cut-off body leave the earlier file as it was, and
    // no temporary file behind.
    CannedAnswer notFound = CannedAnswer::withType("text/html", "<h1>Not Found</h1>", 404);
    CannedAnswer cut = CannedAnswer::withType("image/jpeg", "partial");
    cut.transportError = QNetworkReply::RemoteHostClosedError;
    for (const CannedAnswer& answer : {notFound, cut}) {
        network.enqueue(answer);
        HttpOutcome failed;
        client.download(QStringLiteral("http://server.test/x"), target, failed.onDownload(),
                        failed.onFailure());
        ASSERT_TRUE(failed.wait());
        EXPECT_TRUE(failed.error);
        EXPECT_EQ(readFile(target), picture);
        EXPECT_EQ(
            QDir(dir.filePath(QStringLiteral("material"))).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("ABC.jpg")});
    }

    // An empty body is a complete (empty) file; any content type is fine.
    network.enqueue(CannedAnswer::withType("text/html", ""));
    HttpOutcome empty;
    client.download(QStringLiteral("http://server.test/y"), target, empty.onDownload(),
                    empty.onFailure());
    ASSERT_TRUE(empty.wait());
    EXPECT_FALSE(empty.error);
    EXPECT_EQ(readFile(target), QByteArray());
}

TEST(HttpClient, DownloadIntoAnUnwritablePlaceFails)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain")), "a file, not a folder");
    CannedNetwork network;
    HttpClient client(&network);
    network.enqueue(CannedAnswer::withType("image/jpeg", "data"));
    HttpOutcome outcome;
    client.download(QStringLiteral("http://server.test/z"),
                    dir.filePath(QStringLiteral("plain/z.jpg")), outcome.onDownload(),
                    outcome.onFailure());
    ASSERT_TRUE(outcome.wait());
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code(), HttpError::CannotWriteFile);
}

TEST(HttpClient, HandlersDieWithTheClient)
{
    CannedNetwork network;
    HttpOutcome outcome;
    {
        HttpClient client(&network);
        client.postForm(QStringLiteral("http://server.test/api/x.php"), {}, outcome.onJson(),
                        outcome.onFailure());
        EXPECT_EQ(client.pendingRequests(), 1);
    }
    QTest::qWait(20);
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(network.openReplies(), 0);
}

TEST(HttpTransport, SharedTransportCanBeReplaced)
{
    auto fake = std::make_shared<FakeTransport>();
    HttpTransport::setShared(fake);
    HttpOutcome outcome;
    HttpTransport::shared().postMultipart(
        QStringLiteral("http://server.test/api/uploadorderimg.php"),
        {{QStringLiteral("orderno"), QStringLiteral("A.1")}},
        [](MultipartFormData& form) {
            form.appendPartWithFileData("jpeg", QStringLiteral("image"), QString(),
                                        QStringLiteral("image/jpeg"));
        },
        outcome.onJson(), outcome.onFailure());
    ASSERT_EQ(fake->pendingCount(), 1);
    EXPECT_EQ(fake->pending().parameters.value(QStringLiteral("orderno")), QStringLiteral("A.1"));
    ASSERT_EQ(fake->pending().files().size(), 1);
    EXPECT_EQ(fake->pending().files().first().fileName, QString(""));
    fake->fail(HttpError::NotConnectedToInternet);
    ASSERT_TRUE(outcome.error);
    EXPECT_TRUE(outcome.error->isOffline());

    HttpTransport::setShared(nullptr);
    EXPECT_NE(dynamic_cast<HttpClient*>(&HttpTransport::shared()), nullptr);
    HttpTransport::setShared(nullptr);
}
