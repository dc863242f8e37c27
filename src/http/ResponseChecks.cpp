#include "http/ResponseChecks.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringDecoder>

QStringList ResponseChecks::jsonContentTypes()
{
    return {QStringLiteral("application/json"), QStringLiteral("text/json"),
            QStringLiteral("text/javascript")};
}

std::optional<HttpError> ResponseChecks::checkStatus(int status, const QByteArray& reasonPhrase)
{
    if (status >= 200 && status <= 299)
        return std::nullopt;
    const QString text = reasonPhrase.trimmed().isEmpty()
                             ? statusText(status)
                             : QString::fromUtf8(reasonPhrase.trimmed());
    return HttpError(HttpError::UnacceptableStatusCode,
                     QStringLiteral("Request failed: %1 (%2)").arg(text).arg(status), status);
}

std::optional<HttpError> ResponseChecks::checkContentType(const QByteArray& contentTypeHeader,
                                                          const QStringList& acceptable)
{
    if (acceptable.isEmpty())
        return std::nullopt;
    const QString type = mimeType(contentTypeHeader);
    if (acceptable.contains(type))
        return std::nullopt;
    return HttpError(HttpError::UnacceptableContentType,
                     QStringLiteral("Request failed: unacceptable content-type: %1").arg(type));
}

std::optional<HttpError> ResponseChecks::decodeJson(const QByteArray& body, QVariant& object)
{
    object = QVariant();
    if (body.isEmpty() || body == " ")
        return std::nullopt;

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder works when its result is taken, not when it is called.
    const QString text = decoder.decode(body);
    if (decoder.hasError() || text.isNull())
        return HttpError(HttpError::CannotDecodeContent,
                         QStringLiteral("Data failed decoding as a UTF-8 string"));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return HttpError(HttpError::CannotParseResponse,
                         QStringLiteral("The answer is not valid JSON: %1 at offset %2")
                             .arg(parseError.errorString())
                             .arg(parseError.offset));
    object = document.toVariant();
    return std::nullopt;
}

QString ResponseChecks::mimeType(const QByteArray& contentTypeHeader)
{
    const qsizetype semicolon = contentTypeHeader.indexOf(';');
    const QByteArray type = semicolon < 0 ? contentTypeHeader : contentTypeHeader.left(semicolon);
    return QString::fromLatin1(type.trimmed()).toLower();
}

QString ResponseChecks::statusText(int status)
{
    switch (status) {
    case 100:
        return QStringLiteral("Continue");
    case 101:
        return QStringLiteral("Switching Protocols");
    case 300:
        return QStringLiteral("Multiple Choices");
    case 301:
        return QStringLiteral("Moved Permanently");
    case 302:
        return QStringLiteral("Found");
    case 303:
        return QStringLiteral("See Other");
    case 304:
        return QStringLiteral("Not Modified");
    case 307:
        return QStringLiteral("Temporary Redirect");
    case 308:
        return QStringLiteral("Permanent Redirect");
    case 400:
        return QStringLiteral("Bad Request");
    case 401:
        return QStringLiteral("Unauthorized");
    case 403:
        return QStringLiteral("Forbidden");
    case 404:
        return QStringLiteral("Not Found");
    case 405:
        return QStringLiteral("Method Not Allowed");
    case 408:
        return QStringLiteral("Request Timeout");
    case 409:
        return QStringLiteral("Conflict");
    case 410:
        return QStringLiteral("Gone");
    case 413:
        return QStringLiteral("Payload Too Large");
    case 415:
        return QStringLiteral("Unsupported Media Type");
    case 422:
        return QStringLiteral("Unprocessable Entity");
    case 429:
        return QStringLiteral("Too Many Requests");
    case 500:
        return QStringLiteral("Internal Server Error");
    case 501:
        return QStringLiteral("Not Implemented");
    case 502:
        return QStringLiteral("Bad Gateway");
    case 503:
        return QStringLiteral("Service Unavailable");
    case 504:
        return QStringLiteral("Gateway Timeout");
    default:
        break;
    }
    if (status >= 100 && status < 200)
        return QStringLiteral("Informational");
    if (status >= 300 && status < 400)
        return QStringLiteral("Redirection");
    if (status >= 400 && status < 500)
        return QStringLiteral("Client Error");
    if (status >= 500 && status < 600)
        return QStringLiteral("Server Error");
    return QStringLiteral("Unknown Status");
}
