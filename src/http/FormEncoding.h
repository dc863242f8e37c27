#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

// One form field: a name and a value. A null value (an invalid QVariant, or
// nullptr as JSON null converts to) is sent as the field name alone.
struct QueryPair
{
    QString field;
    QVariant value;

    bool isNull() const;
    // The value as bytes on the wire: texts and numbers as UTF-8 text, raw
    // data as it is, booleans as "1" or "0".
    QByteArray valueBytes() const;
    // "field=value", both percent-encoded, or the encoded field alone.
    QByteArray encoded() const;
};

// The form encoding of a parameter dictionary, byte for byte as the order
// server's PHP expects it in $_POST:
//   {"a": {"y": 1, "x": [2, 3]}}  ->  a%5Bx%5D%5B%5D=2&a%5Bx%5D%5B%5D=3&a%5By%5D=1
// Dictionary keys are sorted at every level, arrays keep their order, sets
// (QSet<QString>) are sorted.
class FormEncoding
{
public:
    // Expands the parameters into pairs, recursively.
    static QList<QueryPair> pairs(const QVariant& value, const QString& key = QString());
    // The pairs joined with "&".
    static QByteArray encode(const QVariantMap& parameters);

    // Keeps ASCII letters, digits and "-._~/?"; writes every other character
    // as its UTF-8 bytes, each "%XX" in upper-case hexadecimal.
    static QByteArray percentEncode(const QString& text);
    static QByteArray percentEncode(const QByteArray& bytes);
};
