#pragma once

#include "http/HttpError.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>
#include <optional>

// The checks an answer passes before a success handler sees it, in this
// order: the status code, the content type, then (for JSON calls) the body.
class ResponseChecks
{
public:
    // What the JSON calls accept.
    static QStringList jsonContentTypes();

    // 200 to 299, else "Request failed: <status text> (<code>)". The status
    // text is the server's reason phrase, or the usual one for the code.
    static std::optional<HttpError> checkStatus(int status,
                                                const QByteArray& reasonPhrase = QByteArray());
    // An empty list accepts anything; else the answer's MIME type must be in
    // it, else "Request failed: unacceptable content-type: <type>".
    static std::optional<HttpError> checkContentType(const QByteArray& contentTypeHeader,
                                                     const QStringList& acceptable);
    // An empty body or a single " " gives no object (a null QVariant) and no
    // error. Otherwise the body must be UTF-8 ("Data failed decoding as a UTF-8
    // string") and JSON; objects become QVariantMap, arrays QVariantList.
    static std::optional<HttpError> decodeJson(const QByteArray& body, QVariant& object);

    // The MIME type of a Content-Type header: lower case, without parameters.
    static QString mimeType(const QByteArray& contentTypeHeader);
    static QString statusText(int status);
};
