// The client's checks on canned answers; the bytes it sends and what PHP makes
// of them are judged by PHP itself in integration/test_http_wire.cpp.
#include "http/HttpClient.h"
#include "support/CannedNetwork.h"
#include "support/HttpOutcome.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace std::chrono_literals;

TEST(HttpClient, AnswersAndTransportFailuresAreCheckedBeforeAnyHandler)
{
    CannedAnswer htmlError = CannedAnswer::withType("text/html", "<h1>oops</h1>", 500);
    htmlError.reason = "Internal Server Error";
    // A 200 whose body is cut off is a lost connection, not a half answer.
    CannedAnswer cut = CannedAnswer::json(R"({"status":0,)");
    cut.transportError = QNetworkReply::RemoteHostClosedError;
    cut.transportText = u"Connection closed"_s;
    CannedAnswer stalled;
    stalled.status = 0;
    stalled.stall = true;
    const struct
    {
        CannedAnswer answer;
        int code; // 0: success
        QString description;
        bool offline;
    } cases[] = {
        {CannedAnswer::withType("text/html", "<html></html>"), HttpError::UnacceptableContentType,
         "Request failed: unacceptable content-type: text/html", false},
        // The status is checked before the content type.
        {htmlError, HttpError::UnacceptableStatusCode,
         "Request failed: Internal Server Error (500)", false},
        {CannedAnswer::json("[\"\xc3\x28\"]"), HttpError::CannotDecodeContent,
         "Data failed decoding as a UTF-8 string", false},
        {CannedAnswer::json(""), 0, {}, false},
        {CannedAnswer::json(R"({"status":0})"), 0, {}, false},
        // Which transport failures are off line: HttpErrors.
        {CannedAnswer::failure(QNetworkReply::ConnectionRefusedError, "Connection refused"),
         HttpError::CannotConnectToHost,
         {},
         true},
        {cut, HttpError::NetworkConnectionLost, {}, true},
        {CannedAnswer::failure(QNetworkReply::ProtocolUnknownError, "Protocol \"ftp\" is unknown"),
         HttpError::Unknown, "Protocol \"ftp\" is unknown", false},
        // A stalled server times out, which is not being off line.
        {stalled, HttpError::TimedOut, "The request timed out.", false},
    };
    CannedNetwork network;
    HttpClient client(&network);
    client.setTimeout(50ms);
    for (const auto& c : cases) {
        SCOPED_TRACE((c.answer.body + " / " + QByteArray::number(c.code)).constData());
        network.enqueue(c.answer);
        HttpOutcome outcome;
        client.postForm(u"http://server.test/api/x.php"_s, {}, outcome.onJson(),
                        outcome.onFailure());
        EXPECT_FALSE(outcome.done); // never inside the call itself
        ASSERT_TRUE(outcome.wait());
        EXPECT_EQ(outcome.handlerRuns, 1);
        EXPECT_EQ(network.openReplies(), 0); // given up, not left running
        if (c.code == 0) {
            EXPECT_FALSE(outcome.error);
            EXPECT_EQ(outcome.json.isValid(), !c.answer.body.trimmed().isEmpty());
            continue;
        }
        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(outcome.error->code(), c.code);
        if (!c.description.isEmpty()) {
            EXPECT_EQ(outcome.error->description(), c.description);
        }
        EXPECT_EQ(outcome.error->isOffline(), c.offline);
    }
    EXPECT_EQ(client.pendingRequests(), 0);

    // Nothing can be written below a plain file.
    QTemporaryDir dir;
    QFile plain(dir.filePath(u"plain"_s));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    network.enqueue(CannedAnswer::withType("image/jpeg", "data"));
    HttpOutcome blocked;
    client.download(u"http://server.test/z"_s, plain.fileName() + u"/z.jpg"_s, blocked.onDownload(),
                    blocked.onFailure());
    ASSERT_TRUE(blocked.wait());
    EXPECT_EQ(blocked.error ? blocked.error->code() : 0, HttpError::CannotWriteFile);
}
