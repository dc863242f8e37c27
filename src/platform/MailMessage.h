#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// One attached file of a mail.
struct MailAttachment
{
    QByteArray data;
    QString mimeType; // "type/subtype"; text types are declared UTF-8
    QString fileName;
};

// A mail as the application composes it, and its Internet message form: one
// MIME message (multipart/mixed) with a text/plain body and the attachments,
// lines ended by CRLF, every header 7-bit (RFC 5322, 2045-2047, 2231), so that
// any mail client or library reads it.
struct MailMessage
{
    QString from;   // an address, optionally "Name <address>"; empty: a stand-in
    QStringList to; // addresses; none: the mail client asks for one
    QString subject;
    QString body; // plain text, lines ended by "\n"
    QList<MailAttachment> attachments;

    // The message as bytes. `date` goes into the Date header; `boundary`
    // separates the parts (empty: a random one that occurs in no part).
    QByteArray toMime(const QDateTime& date, const QByteArray& boundary = QByteArray()) const;

    // Header value helpers, exposed for tests.
    // Printable ASCII stays as it is; anything else becomes RFC 2047
    // encoded-words (UTF-8, base64) no longer than 75 characters each,
    // separated by CRLF SP so the header folds. Line breaks never survive.
    static QByteArray encodeHeaderText(const QString& text);
    // Quoted-printable body text (RFC 2045 6.7), CRLF line ends, lines of at
    // most 76 characters.
    static QByteArray quotedPrintable(const QByteArray& utf8);
};
