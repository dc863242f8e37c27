#include "http/MultipartFormData.h"

#include "http/FormEncoding.h"

#include <QRandomGenerator>

namespace {
const QByteArray kCrlf = QByteArrayLiteral("\r\n");
}

MultipartFormData::MultipartFormData(const QByteArray& boundary) : _boundary(boundary) {}

QByteArray MultipartFormData::randomBoundary()
{
    QRandomGenerator* random = QRandomGenerator::global();
    const quint32 first = random->generate();
    const quint32 second = random->generate();
    return QString::asprintf("Boundary+%08X%08X", first, second).toLatin1();
}

void MultipartFormData::appendParameters(const QVariantMap& parameters)
{
    for (const QueryPair& pair : FormEncoding::pairs(parameters)) {
        if (!pair.isNull())
            appendPartWithFormData(pair.valueBytes(), pair.field);
    }
}

void MultipartFormData::appendPartWithFormData(const QByteArray& data, const QString& name)
{
    Part part;
    part.headers.append({QByteArrayLiteral("Content-Disposition"),
                         QStringLiteral("form-data; name=\"%1\"").arg(name).toUtf8()});
    part.body = data;
    part.name = name;
    _parts.append(part);
}

void MultipartFormData::appendPartWithFileData(const QByteArray& data, const QString& name,
                                               const QString& fileName, const QString& mimeType)
{
    Part part;
    part.headers.append(
        {QByteArrayLiteral("Content-Disposition"),
         QStringLiteral("form-data; name=\"%1\"; filename=\"%2\"").arg(name, fileName).toUtf8()});
    part.headers.append({QByteArrayLiteral("Content-Type"), mimeType.toUtf8()});
    part.body = data;
    part.name = name;
    // An empty file name is still a file part; keep it distinct from "none".
    part.fileName = fileName.isNull() ? QStringLiteral("") : fileName;
    part.mimeType = mimeType.isNull() ? QStringLiteral("") : mimeType;
    _parts.append(part);
}

QVariantMap MultipartFormData::fields() const
{
    QVariantMap fields;
    for (const Part& part : _parts) {
        if (!part.isFile())
            fields.insert(part.name, QString::fromUtf8(part.body));
    }
    return fields;
}

QByteArray MultipartFormData::body() const
{
    QByteArray body;
    qsizetype size = 0;
    for (const Part& part : _parts)
        size += part.body.size() + 256;
    body.reserve(size);
    for (qsizetype i = 0; i < _parts.size(); ++i) {
        const Part& part = _parts.at(i);
        if (i > 0)
            body += kCrlf;
        body += "--" + _boundary + kCrlf;
        for (const auto& header : part.headers)
            body += header.first + ": " + header.second + kCrlf;
        body += kCrlf;
        body += part.body;
    }
    if (!_parts.isEmpty())
        body += kCrlf + "--" + _boundary + "--" + kCrlf;
    return body;
}

QByteArray MultipartFormData::contentType() const
{
    return "multipart/form-data; boundary=" + _boundary;
}
