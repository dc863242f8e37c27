#include "http/FormEncoding.h"
#include "http/HttpError.h"
#include "http/HttpHeaders.h"
#include "http/ResponseChecks.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// What PHP makes of the form is judged in integration/test_http_wire.cpp, the
// characters kept by the form-encoding fuzz target; here the order of the
// fields and values of every kind.
TEST(FormEncoding, SortedKeysNestedValuesAndNulls)
{
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
    EXPECT_EQ(HttpHeaders::userAgent(u"fieldbook"_s, u"1.0"_s, u"Größe Ærø Ćwiek ﬁne 日本"_s,
                                     u"12"_s, 1.5),
              "fieldbook/1.0 (Grosse AEro Cwiek fine ; iOS 12; Scale/1.50)");
}

// What the client does with them on real answers: test_http_client.cpp.
TEST(ResponseChecks, StatusContentTypeAndJsonBodies)
{
    EXPECT_FALSE(ResponseChecks::checkStatus(299));
    EXPECT_EQ(ResponseChecks::checkStatus(199)->description(),
              u"Request failed: Informational (199)"_s);

    const QStringList json = ResponseChecks::jsonContentTypes();
    for (const char* accepted : {"application/json; charset=utf-8", "Text/JavaScript", "text/json"})
        EXPECT_FALSE(ResponseChecks::checkContentType(accepted, json)) << accepted;
    EXPECT_TRUE(ResponseChecks::checkContentType("", json));

    // Only a single blank is "no object"; two are not JSON.
    QVariant object;
    EXPECT_EQ(ResponseChecks::decodeJson("  ", object)->code(), HttpError::CannotParseResponse);
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
    // A time-out is not off line, nor is a certificate that fails the check,
    // told with its reason.
    EXPECT_EQ(HttpError::fromNetworkError(QNetworkReply::SslHandshakeFailedError,
                                          u"SSL handshake failed: The certificate has expired"_s)
                  .description(),
              u"The server's certificate is not trusted: The certificate has expired"_s);
    EXPECT_FALSE(HttpError::isOfflineCode(HttpError::TimedOut));
}
