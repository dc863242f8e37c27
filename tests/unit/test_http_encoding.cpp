#include "http/FormEncoding.h"
#include "http/HttpError.h"
#include "http/HttpHeaders.h"
#include "http/MultipartFormData.h"
#include "http/ResponseChecks.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

TEST(FormEncoding, PercentEncodesAllButTheKeptCharacters)
{
    // Separators of the form itself must never pass through unencoded.
    EXPECT_EQ(FormEncoding::percentEncode(QStringLiteral("a&b=c+d e")), "a%26b%3Dc%2Bd%20e");
    EXPECT_EQ(FormEncoding::percentEncode(QStringLiteral("x/y?z~-._")), "x/y?z~-._");
    EXPECT_EQ(FormEncoding::percentEncode(QStringLiteral(":#[]@!$'()*,;%\"")),
              "%3A%23%5B%5D%40%21%24%27%28%29%2A%2C%3B%25%22");
    // UTF-8 bytes, upper-case digits; a character outside the BMP is one sequence.
    EXPECT_EQ(FormEncoding::percentEncode(QStringLiteral("Grüße")), "Gr%C3%BC%C3%9Fe");
    EXPECT_EQ(FormEncoding::percentEncode(QString::fromUtf8("\xF0\x9F\x98\x80")), "%F0%9F%98%80");
    EXPECT_EQ(FormEncoding::percentEncode(QByteArray("\x00\xff\n", 3)), "%00%FF%0A");
}

TEST(FormEncoding, NestedValuesSortedKeysAndNulls)
{
    const QVariantMap parameters{
        {QStringLiteral("b"),
         QVariantMap{{QStringLiteral("z"), 1},
                     {QStringLiteral("a"),
                      QVariantList{QStringLiteral("x"),
                                   QVariantMap{{QStringLiteral("k"), QStringLiteral("v")}}}}}},
        {QStringLiteral("a"), QVariant::fromValue(nullptr)},
        {QStringLiteral("c"), QString()},
        {QStringLiteral("Z"), QVariant()},
    };
    // "Z" sorts before lower case; nulls give the bare field; an empty text keeps "=".
    EXPECT_EQ(FormEncoding::encode(parameters),
              "Z&a&b%5Ba%5D%5B%5D=x&b%5Ba%5D%5B%5D%5Bk%5D=v&b%5Bz%5D=1&c=");

    const QList<QueryPair> pairs = FormEncoding::pairs(parameters);
    ASSERT_EQ(pairs.size(), 6);
    EXPECT_EQ(pairs.at(3).field, QStringLiteral("b[a][][k]"));
    EXPECT_TRUE(pairs.at(1).isNull());
    EXPECT_FALSE(pairs.at(5).isNull());
}

TEST(FormEncoding, HashesSetsAndScalarValues)
{
    QVariantHash hash{{QStringLiteral("y"), 2}, {QStringLiteral("x"), 1}};
    const QVariantMap parameters{
        {QStringLiteral("h"), hash},
        {QStringLiteral("s"),
         QVariant::fromValue(QSet<QString>{QStringLiteral("pear"), QStringLiteral("apple")})},
        {QStringLiteral("l"), QStringList{QStringLiteral("2"), QStringLiteral("1")}},
        {QStringLiteral("n"), 1.5},
        {QStringLiteral("t"), true},
        {QStringLiteral("raw"), QByteArray("\x01=", 2)},
    };
    EXPECT_EQ(FormEncoding::encode(parameters), "h%5Bx%5D=1&h%5By%5D=2&l%5B%5D=2&l%5B%5D=1&n=1.5&"
                                                "raw=%01%3D&s%5B%5D=apple&s%5B%5D=pear&t=1");
}

TEST(DefaultHeaders, AcceptLanguageStopsAtHalf)
{
    const QStringList eight{QStringLiteral("en-US"), QStringLiteral("de"), QStringLiteral("fr"),
                            QStringLiteral("it"),    QStringLiteral("es"), QStringLiteral("nl"),
                            QStringLiteral("pt"),    QStringLiteral("sv")};
    EXPECT_EQ(HttpHeaders::acceptLanguage(eight),
              "en-US;q=1, de;q=0.9, fr;q=0.8, it;q=0.7, es;q=0.6, nl;q=0.5");
    EXPECT_EQ(HttpHeaders::acceptLanguage({QStringLiteral("zh-Hans-CN"), QStringLiteral("zh")}),
              "zh-Hans-CN;q=1, zh;q=0.9");
    EXPECT_EQ(HttpHeaders::acceptLanguage({}), "");

    // The client sends what the system prefers, first with q=1.
    const QStringList system = HttpHeaders::preferredLanguages();
    ASSERT_FALSE(system.isEmpty());
    const HttpHeaders::List defaults = HttpHeaders::defaults();
    ASSERT_EQ(defaults.first().first, "Accept-Language");
    EXPECT_TRUE(
        defaults.first().second.startsWith((system.first() + QStringLiteral(";q=1")).toUtf8()));
}

TEST(DefaultHeaders, UserAgentFormatAndAscii)
{
    EXPECT_EQ(HttpHeaders::userAgent(QStringLiteral("fieldbook"), QStringLiteral("1.0"),
                                     QStringLiteral("Tab S9"), QStringLiteral("12"), 2.0),
              "fieldbook/1.0 (Tab S9; iOS 12; Scale/2.00)");
    EXPECT_EQ(HttpHeaders::userAgent(QStringLiteral("fieldbook"), QStringLiteral("1.0"),
                                     QStringLiteral("Größe Ærø Ćwiek ﬁne 日本"),
                                     QStringLiteral("12"), 1.5),
              "fieldbook/1.0 (Grosse AEro Cwiek fine ; iOS 12; Scale/1.50)");

    const QByteArray own = HttpHeaders::userAgent();
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^fieldbook/\\d+(\\.\\d+)* \\(.+; iOS .*; Scale/\\d+\\.\\d\\d\\)$"))
            .match(QString::fromLatin1(own))
            .hasMatch())
        << own.constData();
    for (const char c : own)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST(Multipart, OneFileAloneIsOnePartWithBothBoundaries)
{
    MultipartFormData form("B0");
    form.appendParameters({});
    form.appendPartWithFileData(QByteArray("\xff\xd8\r\n--B0\r\n", 10), QStringLiteral("file"),
                                QStringLiteral("ABC"), QStringLiteral("image/jpeg"));
    EXPECT_EQ(form.body(),
              QByteArray("--B0\r\n"
                         "Content-Disposition: form-data; name=\"file\"; filename=\"ABC\"\r\n"
                         "Content-Type: image/jpeg\r\n"
                         "\r\n"
                         "\xff\xd8\r\n--B0\r\n"
                         "\r\n--B0--\r\n"));
    EXPECT_EQ(form.contentType(), "multipart/form-data; boundary=B0");
}

TEST(Multipart, FieldsFromParametersThenFiles)
{
    MultipartFormData form("XyZ");
    form.appendParameters({{QStringLiteral("authToken"), QStringLiteral("t k")},
                           {QStringLiteral("skip"), QVariant()},
                           {QStringLiteral("o"), QVariantMap{{QStringLiteral("n"), 7}}}});
    form.appendPartWithFileData("img", QStringLiteral("image"), QString(),
                                QStringLiteral("image/jpeg"));
    EXPECT_EQ(form.body(),
              QByteArray("--XyZ\r\n"
                         "Content-Disposition: form-data; name=\"authToken\"\r\n\r\n"
                         "t k"
                         "\r\n--XyZ\r\n"
                         "Content-Disposition: form-data; name=\"o[n]\"\r\n\r\n"
                         "7"
                         "\r\n--XyZ\r\n"
                         "Content-Disposition: form-data; name=\"image\"; filename=\"\"\r\n"
                         "Content-Type: image/jpeg\r\n\r\n"
                         "img"
                         "\r\n--XyZ--\r\n"));
    ASSERT_EQ(form.parts().size(), 3);
    EXPECT_TRUE(form.parts().at(2).isFile());
    EXPECT_EQ(form.fields(), (QVariantMap{{QStringLiteral("authToken"), QStringLiteral("t k")},
                                          {QStringLiteral("o[n]"), QStringLiteral("7")}}));
}

TEST(Multipart, RandomBoundaries)
{
    const QRegularExpression shape(QStringLiteral("^Boundary\\+[0-9A-F]{16}$"));
    QSet<QByteArray> seen;
    for (int i = 0; i < 50; ++i) {
        const QByteArray boundary = MultipartFormData::randomBoundary();
        EXPECT_TRUE(shape.match(QString::fromLatin1(boundary)).hasMatch()) << boundary.constData();
        seen.insert(boundary);
    }
    EXPECT_EQ(seen.size(), 50);
}

TEST(ResponseChecks, StatusCodeWithServerOrStandardText)
{
    EXPECT_FALSE(ResponseChecks::checkStatus(200));
    EXPECT_FALSE(ResponseChecks::checkStatus(299));
    const auto serverText = ResponseChecks::checkStatus(503, "Busy Now");
    ASSERT_TRUE(serverText);
    EXPECT_EQ(serverText->description(), QStringLiteral("Request failed: Busy Now (503)"));
    EXPECT_EQ(serverText->httpStatus(), 503);
    EXPECT_EQ(ResponseChecks::checkStatus(500)->description(),
              QStringLiteral("Request failed: Internal Server Error (500)"));
    EXPECT_EQ(ResponseChecks::checkStatus(300)->description(),
              QStringLiteral("Request failed: Multiple Choices (300)"));
    EXPECT_EQ(ResponseChecks::checkStatus(199)->code(), HttpError::UnacceptableStatusCode);
}

TEST(ResponseChecks, ContentTypes)
{
    const QStringList json = ResponseChecks::jsonContentTypes();
    EXPECT_FALSE(ResponseChecks::checkContentType("application/json; charset=utf-8", json));
    EXPECT_FALSE(ResponseChecks::checkContentType("Text/JavaScript", json));
    EXPECT_FALSE(ResponseChecks::checkContentType("text/json", json));
    const auto html = ResponseChecks::checkContentType("text/html; charset=UTF-8", json);
    ASSERT_TRUE(html);
    EXPECT_EQ(html->description(),
              QStringLiteral("Request failed: unacceptable content-type: text/html"));
    EXPECT_TRUE(ResponseChecks::checkContentType("", json));
    // Plain responses (downloads) accept anything.
    EXPECT_FALSE(ResponseChecks::checkContentType("text/html", {}));
}

TEST(ResponseChecks, JsonBodies)
{
    QVariant object = QStringLiteral("stale");
    EXPECT_FALSE(ResponseChecks::decodeJson("", object));
    EXPECT_FALSE(object.isValid());
    object = QStringLiteral("stale");
    EXPECT_FALSE(ResponseChecks::decodeJson(" ", object));
    EXPECT_FALSE(object.isValid());

    // Only a single blank is "no object"; two are not JSON.
    const auto twoBlanks = ResponseChecks::decodeJson("  ", object);
    ASSERT_TRUE(twoBlanks);
    EXPECT_EQ(twoBlanks->code(), HttpError::CannotParseResponse);

    const auto latin1 = ResponseChecks::decodeJson("{\"m\":\"caf\xe9\"}", object);
    ASSERT_TRUE(latin1);
    EXPECT_EQ(latin1->description(), QStringLiteral("Data failed decoding as a UTF-8 string"));

    EXPECT_FALSE(
        ResponseChecks::decodeJson("{\"status\":\"0\",\"result\":[1,{\"a\":null}]}", object));
    const QVariantMap map = object.toMap();
    EXPECT_EQ(map.value(QStringLiteral("status")), QStringLiteral("0"));
    EXPECT_EQ(map.value(QStringLiteral("result")).toList().size(), 2);
    EXPECT_FALSE(ResponseChecks::decodeJson("[]", object));
    EXPECT_EQ(object.metaType().id(), QMetaType::QVariantList);
    EXPECT_EQ(ResponseChecks::decodeJson("{\"a\":", object)->code(),
              HttpError::CannotParseResponse);
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
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::ProtocolFailure,
                                          QStringLiteral("Protocol failure"))
                  .description(),
              QStringLiteral("Protocol failure"));
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::SslHandshakeFailedError,
                                          QStringLiteral("SSL handshake failed: The certificate has expired"))
                  .description(),
              QStringLiteral("The server's certificate is not trusted: The certificate has expired"));
    EXPECT_EQ(HttpError::timedOut().description(), QStringLiteral("The request timed out."));
    EXPECT_FALSE(HttpError::timedOut().isOffline());
}
