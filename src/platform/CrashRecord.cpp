#include "platform/CrashRecord.h"

namespace {
std::optional<CrashRecord> reject(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

bool isDecimal(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 19)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "0x" and one to sixteen hex digits.
std::optional<quint64> parseAddress(const QByteArray& text)
{
    if (!text.startsWith("0x") || text.size() < 3 || text.size() > 18)
        return std::nullopt;
    quint64 value = 0;
    for (char c : text.mid(2)) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | quint64(digit);
    }
    return value;
}

bool isSignalName(const QByteArray& text)
{
    if (text.size() < 4 || !text.startsWith("SIG"))
        return false;
    for (char c : text.mid(3)) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

bool isCode(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    }
    return true;
}
} // namespace

QByteArray CrashRecord::firstLine()
{
    return QByteArrayLiteral("Field Book crash report 1");
}

std::optional<CrashRecord> CrashRecord::parse(const QByteArray& data, QString* error)
{
    QList<QByteArray> lines = data.split('\n');
    // The last line ends with "\n": its empty remainder is not a line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.first() != firstLine())
        return reject(error, QStringLiteral("not a crash report"));

    CrashRecord record;
    bool haveTime = false, haveSignal = false, haveCode = false, haveAddress = false;
    enum { Header, Frames, Images, End } section = Header;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (section == End)
            return reject(error, QStringLiteral("text after the end of the report"));
        if (line == "end") {
            section = End;
            continue;
        }
        if (line == "frames:" && section == Header) {
            section = Frames;
            continue;
        }
        if (line == "images:" && section != Images) {
            section = Images;
            continue;
        }
        if (section == Frames) {
            // "  <index> 0x<address>"
            const QList<QByteArray> parts = line.trimmed().split(' ');
            const std::optional<quint64> frame =
                parts.size() == 2 ? parseAddress(parts.at(1)) : std::nullopt;
            if (!line.startsWith("  ") || !frame || !isDecimal(parts.at(0)) ||
                parts.at(0).toLongLong() != record.frames.size())
                return reject(error, QStringLiteral("malformed frame line %1").arg(i + 1));
            record.frames.append(*frame);
            continue;
        }
        if (section == Images)
            continue; // read by people, not by us
        const qsizetype colon = line.indexOf(": ");
        if (colon <= 0)
            return reject(error, QStringLiteral("malformed line %1").arg(i + 1));
        const QByteArray key = line.left(colon);
        const QByteArray value = line.mid(colon + 2);
        if (key == "time") {
            if (!isDecimal(value))
                return reject(error, QStringLiteral("malformed time"));
            record.crashTime = QDateTime::fromSecsSinceEpoch(value.toLongLong()).toUTC();
            haveTime = true;
        } else if (key == "signal") {
            if (!isSignalName(value))
                return reject(error, QStringLiteral("malformed signal"));
            record.signalName = QString::fromLatin1(value);
            haveSignal = true;
        } else if (key == "code") {
            if (!isCode(value))
                return reject(error, QStringLiteral("malformed signal code"));
            record.signalCode = QString::fromLatin1(value);
            haveCode = true;
        } else if (key == "address") {
            const std::optional<quint64> address = parseAddress(value);
            if (!address)
                return reject(error, QStringLiteral("malformed address"));
            record.address = *address;
            haveAddress = true;
        } else if (key == "exception") {
            record.exception = value;
        }
    }
    if (!haveTime || !haveSignal || !haveCode || !haveAddress)
        return reject(error, QStringLiteral("the report lacks its time, signal, code or address"));
    record.complete = section == End;
    return record;
}
