#include "support/RQMaths.h"

#include "BuildConfig.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <functional>

namespace {
// A text is taken as it is: a leading U+FEFF is a character of the text (a
// remark pasted from elsewhere may start with one), not a byte order mark to
// drop or to add.
constexpr auto kVerbatim =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

// The key unit for byte i; the key text's UTF-16 units, low 8 bits.
using KeyAt = std::function<quint8(qsizetype)>;

QString encipher(const QString& plain, QStringConverter::Encoding encoding, const KeyAt& keyAt)
{
    if (plain.isNull())
        return QString();
    if (plain.isEmpty())
        return QStringLiteral("");
    QStringEncoder encoder(encoding, kVerbatim);
    const QByteArray bytes = encoder.encode(plain);
    // Some encoders substitute what they cannot hold without saying so; a text
    // that does not come back whole was not converted.
    QStringDecoder check(encoding, kVerbatim);
    if (encoder.hasError() || QString(check.decode(bytes)) != plain)
        return QString();
    QByteArray mixed(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        mixed[i] = char(quint8(bytes.at(i)) ^ keyAt(i));
    return QString::fromLatin1(mixed.toHex());
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

QString decipher(const QString& hex, QStringConverter::Encoding encoding, const KeyAt& keyAt)
{
    if (hex.isEmpty())
        return QStringLiteral("");
    const qsizetype count = hex.size() / 2; // an odd final character is ignored
    QByteArray bytes(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i) {
        const int high = hexValue(hex.at(2 * i));
        const int low = hexValue(hex.at(2 * i + 1));
        if (high < 0 || low < 0)
            return QString();
        bytes[i] = char(quint8(high * 16 + low) ^ keyAt(i));
    }
    QStringDecoder decoder(encoding, kVerbatim);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    return text.isNull() ? QStringLiteral("") : text;
}

KeyAt keyTextUnits(const QString& keyString)
{
    return [keyString](qsizetype i) -> quint8 {
        if (keyString.isEmpty())
            return 0;
        return quint8(keyString.at(i % keyString.size()).unicode() & 0xff);
    };
}

KeyAt singleByte(quint8 key)
{
    return [key](qsizetype) { return key; };
}
} // namespace

QString RQMaths::encodeString2(const QString& plain, QStringConverter::Encoding encoding, const QString& keyString)
{
    return encipher(plain, encoding, keyTextUnits(keyString));
}

QString RQMaths::encodeString2(const QString& plain, const QString& keyString)
{
    return encodeString2(plain, QStringConverter::Utf8, keyString);
}

QString RQMaths::decodeString2(const QString& hex, QStringConverter::Encoding encoding, const QString& keyString)
{
    return decipher(hex, encoding, keyTextUnits(keyString));
}

QString RQMaths::decodeString2(const QString& hex, const QString& keyString)
{
    return decodeString2(hex, QStringConverter::Utf8, keyString);
}

QString RQMaths::encodeString(const QString& plain, QStringConverter::Encoding encoding, quint8 secretKey)
{
    return encipher(plain, encoding, singleByte(secretKey));
}

QString RQMaths::encodeString(const QString& plain, QStringConverter::Encoding encoding)
{
    return encodeString(plain, encoding, defaultSecretKey);
}

QString RQMaths::encodeString(const QString& plain)
{
    return encodeString(plain, QStringConverter::Utf8);
}

QString RQMaths::decodeString(const QString& hex, QStringConverter::Encoding encoding, quint8 secretKey)
{
    return decipher(hex, encoding, singleByte(secretKey));
}

QString RQMaths::decodeString(const QString& hex, QStringConverter::Encoding encoding)
{
    return decodeString(hex, encoding, defaultSecretKey);
}

QString RQMaths::decodeString(const QString& hex)
{
    return decodeString(hex, QStringConverter::Utf8);
}

QString RQMaths::keyText()
{
    return QString::fromLatin1(BuildConfig::keyText);
}
