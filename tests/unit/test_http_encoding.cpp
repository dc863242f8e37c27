#include "http/FormEncoding.h"
#include "http/HttpError.h"
#include "http/HttpHeaders.h"
#include "http/MultipartFormData.h"
#include "http/ResponseChecks.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FormEncoding, PercentEncodesAllButTheKeptCharacters)
{
    // Separators of the form itself must never pass through unencoded.
    EXPECT_EQ(FormEncoding::percentEncode(u"a&b=c+d e"_s), "a%26b%3Dc%2Bd%20e");
    EXPECT_EQ(FormEncoding::percentEncode(u"x/y?z~-._"_s), "x/y?z~-._");
    EXPECT_EQ(FormEncoding::percentEncode(u":#[]@!$'()*,;%\""_s),
              "%3A%23%5B%5D%40%21%24%27%28%29%2A%2C%3B%25%22");
    // UTF-8 bytes, upper-case digits; a character outside the BMP is one sequence.
    EXPECT_EQ(FormEncoding::percentEncode(u"Grüße"_s), "Gr%C3%BC%C3%9Fe");
    EXPECT_EQ(FormEncoding::percentEncode(QString::fromUtf8("\xF0\x9F\x98\x80")), "%F0%9F%98%80");
    EXPECT_EQ(FormEncoding::percentEncode(QByteArray("\x00\xff\n", 3)), "%00%FF%0A");
}

TEST(FormEncoding, NestedValuesSortedKeysAndNulls)
{
    const QVariantMap parameters{
        {u"b"_s,
         QVariantMap{{u"z"_s, 1}, {u"a"_s, QVariantList{u"x"_s, QVariantMap{{u"k"_s, u"v"_s}}}}}},
        {u"a"_s, QVariant::fromValue(nullptr)},
        {u"c"_s, QString()},
        {u"Z"_s, QVariant()},
    };
    // "Z" sorts before lower case; nulls give the bare field; an empty text keeps "=".
    EXPECT_EQ(FormEncoding::encode(parameters),
              "Z&a&b%5Ba%5D%5B%5D=x&b%5Ba%5D%5B%5D%5Bk%5D=v&b%5Bz%5D=1&c=");

    const QList<QueryPair> pairs = FormEncoding::pairs(parameters);
    ASSERT_EQ(pairs.size(), 6);
    EXPECT_EQ(pairs.at(3).field, u"b[a][][k]"_s);
    EXPECT_TRUE(pairs.at(1).isNull());
    EXPECT_FALSE(pairs.at(5).isNull());
}

TEST(FormEncoding, HashesSetsAndScalarValues)
{
    QVariantHash hash{{u"y"_s, 2}, {u"x"_s, 1}};
    const QVariantMap parameters{
        {u"h"_s, hash},
        {u"s"_s, QVariant::fromValue(QSet<QString>{u"pear"_s, u"apple"_s})},
        {u"l"_s, QStringList{u"2"_s, u"1"_s}},
        {u"n"_s, 1.5},
        {u"t"_s, true},
        {u"raw"_s, QByteArray("\x01=", 2)},
    };
    EXPECT_EQ(FormEncoding::encode(parameters), "h%5Bx%5D=1&h%5By%5D=2&l%5B%5D=2&l%5B%5D=1&n=1.5&"
                                                "raw=%01%3D&s%5B%5D=apple&s%5B%5D=pear&t=1");
}

TEST(DefaultHeaders, AcceptLanguageStopsAtHalf)
{
    const QStringList eight{u"en-US"_s, u"de"_s, u"fr"_s, u"it"_s,
                            u"es"_s,    u"nl"_s, u"pt"_s, u"sv"_s};
    EXPECT_EQ(HttpHeaders::acceptLanguage(eight),
              "en-US;q=1, de;q=0.9, fr;q=0.8, it;q=0.7, es;q=0.6, nl;q=0.5");
    EXPECT_EQ(HttpHeaders::acceptLanguage({u"zh-Hans-CN"_s, u"zh"_s}), "zh-Hans-CN;q=1, zh;q=0.9");
    EXPECT_EQ(HttpHeaders::acceptLanguage({}), "");

    // The client sends what the system prefers, first with q=1.
    const QStringList system = HttpHeaders::preferredLanguages();
    ASSERT_FALSE(system.isEmpty());
    const HttpHeaders::List defaults = HttpHeaders::defaults();
    ASSERT_EQ(defaults.first().first, "Accept-Language");
    EXPECT_TRUE(defaults.first().second.startsWith((system.first() + u";q=1"_s).toUtf8()));
}

TEST(DefaultHeaders, UserAgentFormatAndAscii)
{
    EXPECT_EQ(HttpHeaders::userAgent(u"fieldbook"_s, u"1.0"_s, u"Tab S9"_s, u"12"_s, 2.0),
              "fieldbook/1.0 (Tab S9; iOS 12; Scale/2.00)");
    EXPECT_EQ(HttpHeaders::userAgent(u"fieldbook"_s, u"1.0"_s, u"Größe Ærø Ćwiek ﬁne 日本"_s,
                                     u"12"_s, 1.5),
              "fieldbook/1.0 (Grosse AEro Cwiek fine ; iOS 12; Scale/1.50)");

    const QByteArray own = HttpHeaders::userAgent();
    EXPECT_TRUE(
        QRegularExpression(u"^fieldbook/\\d+(\\.\\d+)* \\(.+; iOS .*; Scale/\\d+\\.\\d\\d\\)$"_s)
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
}

TEST(Multipart, FieldsFromParametersThenFiles)
{
    MultipartFormData form("XyZ");
    form.appendParameters(
        {{u"authToken"_s, u"t k"_s}, {u"skip"_s, QVariant()}, {u"o"_s, QVariantMap{{u"n"_s, 7}}}});
    form.appendPartWithFileData("img", u"image"_s, QString(), u"image/jpeg"_s);
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
    EXPECT_EQ(form.fields(), (QVariantMap{{u"authToken"_s, u"t k"_s}, {u"o[n]"_s, u"7"_s}}));
}

TEST(Multipart, RandomBoundaries)
{
    const QRegularExpression shape(u"^Boundary\\+[0-9A-F]{16}$"_s);
    QSet<QByteArray> seen;
    for (int i = 0; i < 50; ++i) {
        const QByteArray boundary = MultipartFormData::randomBoundary();
        EXPECT_TRUE(shape.match(QString::fromLatin1(boundary)).hasMatch()) << boundary.constData();
        seen.insert(boundary);
    }
    EXPECT_EQ(seen.size(), 50);
}

// What the client does with them on real answers: test_http_client.cpp.
TEST(ResponseChecks, StatusCodeWithServerOrStandardText)
{
    EXPECT_FALSE(ResponseChecks::checkStatus(200));
    EXPECT_FALSE(ResponseChecks::checkStatus(299));
    const auto serverText = ResponseChecks::checkStatus(503, "Busy Now");
    ASSERT_TRUE(serverText);
    EXPECT_EQ(serverText->description(), u"Request failed: Busy Now (503)"_s);
    EXPECT_EQ(serverText->httpStatus(), 503);
    EXPECT_EQ(ResponseChecks::checkStatus(300)->description(),
              u"Request failed: Multiple Choices (300)"_s);
    EXPECT_EQ(ResponseChecks::checkStatus(199)->code(), HttpError::UnacceptableStatusCode);
}

TEST(ResponseChecks, ContentTypes)
{
    const QStringList json = ResponseChecks::jsonContentTypes();
    EXPECT_FALSE(ResponseChecks::checkContentType("application/json; charset=utf-8", json));
    EXPECT_FALSE(ResponseChecks::checkContentType("Text/JavaScript", json));
    EXPECT_FALSE(ResponseChecks::checkContentType("text/json", json));
    EXPECT_TRUE(ResponseChecks::checkContentType("text/html; charset=UTF-8", json));
    EXPECT_TRUE(ResponseChecks::checkContentType("", json));
    // Plain responses (downloads) accept anything.
    EXPECT_FALSE(ResponseChecks::checkContentType("text/html", {}));
}

TEST(ResponseChecks, JsonBodies)
{
    QVariant object = u"stale"_s;
    EXPECT_FALSE(ResponseChecks::decodeJson("", object));
    EXPECT_FALSE(object.isValid());

    // Only a single blank is "no object"; two are not JSON.
    const auto twoBlanks = ResponseChecks::decodeJson("  ", object);
    ASSERT_TRUE(twoBlanks);
    EXPECT_EQ(twoBlanks->code(), HttpError::CannotParseResponse);

    EXPECT_FALSE(
        ResponseChecks::decodeJson("{\"status\":\"0\",\"result\":[1,{\"a\":null}]}", object));
    const QVariantMap map = object.toMap();
    EXPECT_EQ(map.value(u"status"_s), u"0"_s);
    EXPECT_EQ(map.value(u"result"_s).toList().size(), 2);
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
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::ProtocolFailure, u"Protocol failure"_s)
                  .description(),
              u"Protocol failure"_s);
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::SslHandshakeFailedError,
                                          u"SSL handshake failed: The certificate has expired"_s)
                  .description(),
              u"The server's certificate is not trusted: The certificate has expired"_s);
    EXPECT_EQ(HttpError::timedOut().description(), u"The request timed out."_s);
    EXPECT_FALSE(HttpError::timedOut().isOffline());
}
