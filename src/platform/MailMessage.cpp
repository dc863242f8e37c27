#include "platform/MailMessage.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

namespace {
const QByteArray kCrlf = QByteArrayLiteral("\r\n");
// Used when the message names no sender: a header every reader accepts, in a
// domain that can never receive mail (the mail client puts its own account).
const QString kStandInSender = QStringLiteral("Field Book <fieldbook@device.invalid>");

bool isPrintableAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// Header values are one line: a line break in a value would start a header
// (or the body) of the reader's choosing.
QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < encoded.size(); i += 76) {
        if (i > 0)
            out += kCrlf;
        out += encoded.mid(i, 76);
    }
    return out;
}

// An RFC 2231 parameter value: attribute characters stay, the rest is %XX.
QByteArray percentEncoded(const QString& value)
{
    static const QByteArray attributeChars = QByteArrayLiteral("!#$&+-.^_`|~");
    QByteArray out;
    for (const char ch : value.toUtf8()) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            attributeChars.contains(char(c)))
            out += char(c);
        else
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

// `; name="value"`, or the RFC 2231 form when the value is not plain ASCII
// or holds characters a quoted string would have to escape.
QByteArray parameter(const char* name, const QString& value)
{
    const QString v = oneLine(value);
    if (isPrintableAscii(v) && !v.contains(QLatin1Char('"')) && !v.contains(QLatin1Char('\\')))
        return QByteArrayLiteral(";") + kCrlf + " " + name + "=\"" + v.toLatin1() + "\"";
    return QByteArrayLiteral(";") + kCrlf + " " + name + "*=UTF-8''" + percentEncoded(v);
}

// A phrase (display name): as it is when it is a plain atom sequence, quoted
// when it holds specials, encoded-words when it is not ASCII.
QByteArray phrase(const QString& name)
{
    if (!isPrintableAscii(name))
        return MailMessage::encodeHeaderText(name);
    static const QRegularExpression atoms(QStringLiteral("^[A-Za-z0-9!#$%&'*+/=?^_`{|}~ -]*$"));
    if (atoms.match(name).hasMatch())
        return name.toLatin1();
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

// "Name <local@domain>" or "local@domain" in header form; empty when the
// address cannot be written in 7 bits (a local part outside ASCII).
QByteArray address(const QString& text)
{
    const QString value = oneLine(text).trimmed();
    static const QRegularExpression named(QStringLiteral("^(.*)<([^<>]*)>\\s*$"));
    QString name;
    QString addr = value;
    if (const auto m = named.match(value); m.hasMatch()) {
        name = m.captured(1).trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) &&
            name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        addr = m.captured(2).trimmed();
    }
    const qsizetype at = addr.lastIndexOf(QLatin1Char('@'));
    if (addr.isEmpty() || at <= 0)
        return QByteArray();
    const QString local = addr.left(at);
    QString domain = addr.mid(at + 1);
    if (!isPrintableAscii(domain))
        domain = QString::fromLatin1(QUrl::toAce(domain));
    if (!isPrintableAscii(local) || domain.isEmpty() || local.contains(QLatin1Char(' ')))
        return QByteArray();
    const QByteArray address = local.toLatin1() + '@' + domain.toLatin1();
    return name.isEmpty() ? address : phrase(name) + " <" + address + ">";
}

QByteArray rfc5322Date(const QDateTime& date)
{
    const QDateTime local = date.isValid() ? date : QDateTime::currentDateTime();
    const int offset = local.offsetFromUtc() / 60;
    const QByteArray zone = QByteArray(offset < 0 ? "-" : "+") +
                            QByteArray::number(qAbs(offset) / 60).rightJustified(2, '0') +
                            QByteArray::number(qAbs(offset) % 60).rightJustified(2, '0');
    return QLocale::c().toString(local, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")).toLatin1() +
           zone;
}

bool isSevenBitText(const QByteArray& text)
{
    qsizetype lineLength = 0;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n') {
            lineLength = 0;
            continue;
        }
        if (c >= 0x80 || c == 0 || c == '\r' || ++lineLength > 998)
            return false;
    }
    return true;
}

QByteArray crlfLines(const QByteArray& text)
{
    QByteArray normal = text;
    normal.replace("\r\n", "\n");
    normal.replace('\r', '\n');
    normal.replace("\n", kCrlf);
    return normal;
}

QByteArray part(const QByteArray& headers, const QByteArray& content)
{
    return headers + kCrlf + content;
}
} // namespace

QByteArray MailMessage::encodeHeaderText(const QString& text)
{
    const QString line = oneLine(text);
    if (isPrintableAscii(line) && !line.contains(QLatin1String("=?")))
        return line.toLatin1();
    // At most 45 bytes per word: 60 base64 characters inside "=?UTF-8?B?" and
    // "?=" make 72. A character's bytes never straddle two words.
    QList<QByteArray> words;
    QByteArray chunk;
    const QList<uint> codePoints = line.toUcs4();
    for (const uint cp : codePoints) {
        const char32_t c = char32_t(cp);
        const QByteArray bytes = QString::fromUcs4(&c, 1).toUtf8();
        if (chunk.size() + bytes.size() > 45) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words << chunk;
    QByteArray out;
    for (const QByteArray& word : words) {
        if (!out.isEmpty())
            out += kCrlf + " ";
        out += "=?UTF-8?B?" + word.toBase64() + "?=";
    }
    return out;
}

QByteArray MailMessage::quotedPrintable(const QByteArray& utf8)
{
    QByteArray text = utf8;
    text.replace("\r\n", "\n");
    const QList<QByteArray> lines = text.split('\n');
    QByteArray out;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray& line = lines[n];
        QByteArray encodedLine;
        qsizetype column = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i == line.size() - 1;
            QByteArray token;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                token = QByteArray(1, char(c));
            else
                token = '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            // A soft break leaves room for its own "=" within 76 columns.
            if (column + token.size() > 75) {
                encodedLine += "=" + kCrlf;
                column = 0;
            }
            encodedLine += token;
            column += token.size();
        }
        out += encodedLine;
        if (n < lines.size() - 1)
            out += kCrlf;
    }
    return out;
}

QByteArray MailMessage::toMime(const QDateTime& date, const QByteArray& boundary) const
{
    // The body and the attachments, each with its own headers.
    QList<QByteArray> parts;
    const QByteArray bodyUtf8 = body.toUtf8();
    if (isSevenBitText(bodyUtf8)) {
        parts << part(QByteArrayLiteral("Content-Type: text/plain; charset=UTF-8\r\n"
                                        "Content-Transfer-Encoding: 7bit\r\n"),
                      crlfLines(bodyUtf8));
    } else {
        parts << part(QByteArrayLiteral("Content-Type: text/plain; charset=UTF-8\r\n"
                                        "Content-Transfer-Encoding: quoted-printable\r\n"),
                      quotedPrintable(bodyUtf8));
    }
    for (const MailAttachment& attachment : attachments) {
        QByteArray type = attachment.mimeType.isEmpty()
                              ? QByteArrayLiteral("application/octet-stream")
                              : oneLine(attachment.mimeType).toLatin1();
        if (type.startsWith("text/"))
            type += "; charset=UTF-8";
        QByteArray headers = "Content-Type: " + type;
        if (!attachment.fileName.isEmpty())
            headers += parameter("name", attachment.fileName);
        headers += kCrlf + "Content-Disposition: attachment";
        if (!attachment.fileName.isEmpty())
            headers += parameter("filename", attachment.fileName);
        // Base64 keeps the bytes exactly as they are: tabs, line feeds, UTF-8.
        headers += kCrlf + "Content-Transfer-Encoding: base64" + kCrlf;
        parts << part(headers, base64Lines(attachment.data));
    }

    QByteArray separator = boundary;
    auto occursInParts = [&parts](const QByteArray& candidate) {
        for (const QByteArray& p : parts) {
            if (p.contains(candidate))
                return true;
        }
        return false;
    };
    while (separator.isEmpty() || occursInParts(separator)) {
        separator = "=_FieldBook_" +
                    QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
                    QByteArray::number(QRandomGenerator::global()->generate(), 16);
    }

    QByteArray sender = address(from);
    if (sender.isEmpty())
        sender = address(kStandInSender);
    QList<QByteArray> recipients;
    for (const QString& r : to) {
        const QByteArray a = address(r);
        if (!a.isEmpty())
            recipients << a;
    }
    const QByteArray senderDomain = sender.mid(sender.lastIndexOf('@') + 1).replace(">", "");

    QByteArray out;
    out += "MIME-Version: 1.0" + kCrlf;
    out += "Date: " + rfc5322Date(date) + kCrlf;
    out += "From: " + sender + kCrlf;
    if (!recipients.isEmpty())
        out += "To: " + recipients.join("," + kCrlf + " ") + kCrlf;
    out += "Subject: " + encodeHeaderText(subject) + kCrlf;
    out += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + "@" +
           senderDomain + ">" + kCrlf;
    // Mail clients that know it open the message as a draft to send.
    out += "X-Unsent: 1" + kCrlf;
    out += "Content-Type: multipart/mixed;" + kCrlf + " boundary=\"" + separator + "\"" + kCrlf;
    out += kCrlf;
    out += "This is a message in MIME format." + kCrlf;
    for (const QByteArray& p : parts) {
        out += kCrlf + "--" + separator + kCrlf;
        out += p;
    }
    out += kCrlf + "--" + separator + "--" + kCrlf;
    return out;
}
