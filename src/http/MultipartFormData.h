#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariantMap>

// A multipart/form-data body, built part by part. The bytes are ours, framed
// exactly as the order server's PHP parses them:
//   --<boundary>CRLF <headers> CRLF <body> CRLF --<boundary>CRLF ... <body> CRLF --<boundary>--CRLF
class MultipartFormData
{
public:
    struct Part
    {
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QString name;
        QString fileName; // null for a form field
        QString mimeType; // null for a form field
        bool isFile() const { return !fileName.isNull(); }
    };

    // "Boundary+%08X%08X" with two random 32-bit numbers.
    explicit MultipartFormData(const QByteArray& boundary = randomBoundary());
    static QByteArray randomBoundary();

    // One form part per pair of the parameters' form expansion; null values
    // are skipped. Field names are written as they are ("a[b]"), not encoded.
    void appendParameters(const QVariantMap& parameters);
    void appendPartWithFormData(const QByteArray& data, const QString& name);
    void appendPartWithFileData(const QByteArray& data, const QString& name,
                                const QString& fileName, const QString& mimeType);

    QByteArray boundary() const { return _boundary; }
    const QList<Part>& parts() const { return _parts; }
    // The form fields as a dictionary of their texts (a field given twice
    // keeps its last text); handy for fakes and logs.
    QVariantMap fields() const;

    // The whole body. With no parts it is empty.
    QByteArray body() const;
    // "multipart/form-data; boundary=<boundary>"
    QByteArray contentType() const;

private:
    QByteArray _boundary;
    QList<Part> _parts;
};
