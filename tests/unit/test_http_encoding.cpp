#include "http/FormEncoding.h"
#include "http/HttpError.h"
#include "http/HttpHeaders.h"
#include "http/MultipartFormData.h"
#include "http/ResponseChecks.h"
#include "support/QtPrinters.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// What PHP makes of the form is judged in integration/test_http_wire.cpp; here
// the characters kept and the order of the fields.
TEST(FormEncoding, PercentEncodingNestedValuesSortedKeysAndNulls)
{
    // Separators of the form itself must never pass through unencoded.
    EXPECT_EQ(FormEncoding::percentEncode(u"a&b=c+d e"_s), "a%26b%3Dc%2Bd%20e");
    EXPECT_EQ(FormEncoding::percentEncode(u"x/y?z~-._"_s), "x/y?z~-._");
    EXPECT_EQ(FormEncoding::percentEncode(u":#[]@!$'()*,;%\""_s),
              "%3A%23%5B%5D%40%21%24%27%28%29%2A%2C%3B%25%22");
    // UTF-8 bytes, upper-case digits; a character outside the BMP is one sequence.
    EXPECT_EQ(FormEncoding::percentEncode(QString::fromUtf8("\xC3\xBC\xF0\x9F\x98\x80")),
              "%C3%BC%F0%9F%98%80");
    EXPECT_EQ(FormEncoding::percentEncode(QByteArray("\x00\xff\n", 3)), "%00%FF%0A");

    const QVariantMap parameters{
        {u"b"_s,
         QVariantMap{{u"z"_s, 1}, {u"a"_s, QVariantList{u"x"_s, QVariantMap{{u"k"_s, u"v"_s}}}}}},
        {u"a"_s, QVariant::fromValue(nullptr)},
        {u"c"_s, QString()},
        {u"Z"_s, QVariant()},
        {u"h"_s, QVariantHash{{u"y"_s, 2}, {u"x"_s, 1}}},
        {u"s"_s, QVariant::fromValue(QSet<QString>{u"pear"_s, u"apple"_s})},
        {u"n"_s, 1.5},
        {u"raw"_s, QByteArray("\x01=", 2)},
    };
    // "Z" sorts before lower case; nulls give the bare field; an empty text keeps "=".
    EXPECT_EQ(FormEncoding::encode(parameters),
              "Z&a&b%5Ba%5D%5B%5D=x&b%5Ba%5D%5B%5D%5Bk%5D=v&b%5Bz%5D=1&c=&"
              "h%5Bx%5D=1&h%5By%5D=2&n=1.5&raw=%01%3D&s%5B%5D=apple&s%5B%5D=pear");
}

TEST(DefaultHeaders, AcceptLanguageStopsAtHalfAndTheUserAgentIsAscii)
{
    const QStringList eight{u"en-US"_s, u"de"_s, u"fr"_s, u"it"_s,
                            u"es"_s,    u"nl"_s, u"pt"_s, u"sv"_s};
    EXPECT_EQ(HttpHeaders::acceptLanguage(eight),
              "en-US;q=1, de;q=0.9, fr;q=0.8, it;q=0.7, es;q=0.6, nl;q=0.5");
    EXPECT_EQ(HttpHeaders::acceptLanguage({}), "");
    // The client sends what the system prefers, first with q=1.
    const QStringList system = HttpHeaders::preferredLanguages();
    ASSERT_FALSE(system.isEmpty());
    const HttpHeaders::List defaults = HttpHeaders::defaults();
    ASSERT_EQ(defaults.first().first, "Accept-Language");
    EXPECT_TRUE(defaults.first().second.startsWith((system.first() + u";q=1"_s).toUtf8()));

    EXPECT_EQ(HttpHeaders::userAgent(u"fieldbook"_s, u"1.0"_s, u"Größe Ærø Ćwiek ﬁne 日本"_s,
                                     u"12"_s, 1.5),
              "fieldbook/1.0 (Grosse AEro Cwiek fine ; iOS 12; Scale/1.50)");
    const QByteArray own = HttpHeaders::userAgent();
    EXPECT_TRUE(
        QRegularExpression(u"^fieldbook/\\d+(\\.\\d+)* \\(.+; iOS .*; Scale/\\d+\\.\\d\\d\\)$"_s)
            .match(QString::fromLatin1(own))
            .hasMatch())
        << own.constData();
}

// PHP judges a form with fields and a file in integration/test_http_wire.cpp;
// a file alone must still open and close with its boundaries.
TEST(Multipart, OneFileAloneIsOnePartWithBothBoundariesAndBoundariesAreRandom)
{
    MultipartFormData form("B0");
    form.appendParameters({{u"skip"_s, QVariant()}});
    form.appendPartWithFileData(QByteArray("\xff\xd8\r\n--B0\r\n", 10), u"file"_s, u"ABC"_s,
                                u"image/jpeg"_s);
    EXPECT_EQ(form.body(),
              QByteArray("--B0\r\n"
                         "Content-Disposition: form-data; name=\"file\"; filename=\"ABC\"\r\n"
                         "Content-Type: image/jpeg\r\n"
                         "\r\n"
                         "\xff\xd8\r\n--B0\r\n"
                         "\r\n--B0--\r\n"));
    EXPECT_EQ(form.contentType(), "multipart/form-data; boundary=B0");
    EXPECT_TRUE(form.fields().isEmpty());
    // A photo goes without a file name, but with the attribute.
    MultipartFormData photo("B1");
    photo.appendPartWithFileData("img", u"image"_s, QString(), u"image/jpeg"_s);
    EXPECT_TRUE(photo.body().contains("name=\"image\"; filename=\"\"\r\n"));

    const QRegularExpression shape(u"^Boundary\\+[0-9A-F]{16}$"_s);
    QSet<QByteArray> seen;
    for (int i = 0; i < 20; ++i) {
        const QByteArray boundary = MultipartFormData::randomBoundary();
        EXPECT_TRUE(shape.match(QString::fromLatin1(boundary)).hasMatch()) << boundary.constData();
        seen.insert(boundary);
    }
    EXPECT_EQ(seen.size(), 20);
}

// What the client does with them on real answers: test_http_client.cpp.
TEST(ResponseChecks, StatusContentTypeAndJsonBodies)
{
    EXPECT_FALSE(ResponseChecks::checkStatus(299));
    EXPECT_EQ(ResponseChecks::checkStatus(503, "Busy Now")->httpStatus(), 503);
    const auto early = ResponseChecks::checkStatus(199);
    EXPECT_EQ(early->description(), u"Request failed: Informational (199)"_s);
    EXPECT_EQ(early->code(), HttpError::UnacceptableStatusCode);

    const QStringList json = ResponseChecks::jsonContentTypes();
    for (const char* accepted : {"application/json; charset=utf-8", "Text/JavaScript", "text/json"})
        EXPECT_FALSE(ResponseChecks::checkContentType(accepted, json)) << accepted;
    EXPECT_TRUE(ResponseChecks::checkContentType("", json));
    // Plain responses (downloads) accept anything.
    EXPECT_FALSE(ResponseChecks::checkContentType("text/html", {}));

    QVariant object = u"stale"_s;
    EXPECT_FALSE(ResponseChecks::decodeJson("", object));
    EXPECT_FALSE(object.isValid());
    // Only a single blank is "no object"; two are not JSON.
    for (const char* broken : {"  ", "{\"a\":"})
        EXPECT_EQ(ResponseChecks::decodeJson(broken, object)->code(),
                  HttpError::CannotParseResponse);
    EXPECT_FALSE(ResponseChecks::decodeJson("[]", object));
    EXPECT_EQ(object, QVariantList());
}

TEST(HttpErrors, TransportFailuresMapToTheOfflineCodes)
{
    struct Case
    {
        QNetworkReply::NetworkError error;
        const char* text;
        int code;
    };
    const Case cases[] = {
        {QNetworkReply::RemoteHostClosedError, "Connection closed",
         HttpError::NetworkConnectionLost},
        {QNetworkReply::TemporaryNetworkFailureError, "", HttpError::NetworkConnectionLost},
        {QNetworkReply::ConnectionRefusedError, "Connection refused",
         HttpError::CannotConnectToHost},
        {QNetworkReply::HostNotFoundError, "Host x not found", HttpError::CannotConnectToHost},
        {QNetworkReply::UnknownNetworkError, "Host unreachable", HttpError::CannotConnectToHost},
        {QNetworkReply::UnknownNetworkError, "Network unreachable",
         HttpError::NotConnectedToInternet},
        {QNetworkReply::NetworkSessionFailedError, "", HttpError::NotConnectedToInternet},
        {QNetworkReply::TimeoutError, "", HttpError::TimedOut},
        {QNetworkReply::SslHandshakeFailedError, "SSL handshake failed: x",
         HttpError::ServerCertificateUntrusted},
        {QNetworkReply::ProtocolFailure, "Protocol failure", HttpError::Unknown},
    };
    for (const Case& c : cases) {
        const HttpError error = HttpError::fromNetworkError(c.error, QString::fromLatin1(c.text));
        EXPECT_EQ(error.code(), c.code) << c.error << " " << c.text;
        EXPECT_EQ(error.isOffline(), HttpError::isOfflineCode(c.code));
    }
    // Other failures keep the transport's words; a time-out is not off line,
    // nor is a certificate that fails the check, told with its reason.
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::ProtocolFailure, u"Protocol failure"_s)
                  .description(),
              u"Protocol failure"_s);
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::SslHandshakeFailedError,
                                          u"SSL handshake failed: The certificate has expired"_s)
                  .description(),
              u"The server's certificate is not trusted: The certificate has expired"_s);
    EXPECT_FALSE(HttpError::isOfflineCode(HttpError::TimedOut));
}
