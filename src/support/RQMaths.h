#pragma once

#include <QString>
#include <QStringConverter>

// The string cipher shared with the order server: each byte of the text, in the
// chosen encoding, is XOR-ed with the key and written as two lowercase
// hexadecimal digits. The key text restarts at its first character after its
// last one, and advances per byte, not per character. The server deciphers the
// same way, so the exact bytes are part of the wire format.
//
// Absent (null) texts give absent results when enciphering; deciphering an
// absent or empty text gives an empty text. Text that cannot be converted to
// the encoding, hexadecimal input with anything but "0"-"9" and "a"-"f", and
// bytes that do not form valid text give absent results.
class RQMaths
{
public:
    static QString encodeString2(const QString& plain, QStringConverter::Encoding encoding, const QString& keyString);
    static QString encodeString2(const QString& plain, const QString& keyString);
    static QString decodeString2(const QString& hex, QStringConverter::Encoding encoding, const QString& keyString);
    static QString decodeString2(const QString& hex, const QString& keyString);

    // The single-byte forms XOR every byte with one key byte.
    static QString encodeString(const QString& plain, QStringConverter::Encoding encoding, quint8 secretKey);
    static QString encodeString(const QString& plain, QStringConverter::Encoding encoding);
    static QString encodeString(const QString& plain);
    static QString decodeString(const QString& hex, QStringConverter::Encoding encoding, quint8 secretKey);
    static QString decodeString(const QString& hex, QStringConverter::Encoding encoding);
    static QString decodeString(const QString& hex);

    // The fixed key text compiled into the application (244 printable ASCII characters).
    static QString keyText();
    static constexpr quint8 defaultSecretKey = 0x5a;
};
