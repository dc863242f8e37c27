#include "http/FormEncoding.h"

#include <QLocale>
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace {
bool isKept(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == '?';
}

QString nestedKey(const QString& outer, const QString& inner)
{
    return outer.isEmpty() ? inner : QStringLiteral("%1[%2]").arg(outer, inner);
}

void expand(const QVariant& value, const QString& key, QList<QueryPair>& out)
{
    const QMetaType type = value.metaType();
    if (type.id() == QMetaType::QVariantMap) {
        // QMap keeps its keys in ascending order already.
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            expand(it.value(), nestedKey(key, it.key()), out);
    } else if (type.id() == QMetaType::QVariantHash) {
        const QVariantHash hash = value.toHash();
        QStringList keys = hash.keys();
        std::sort(keys.begin(), keys.end());
        for (const QString& inner : keys)
            expand(hash.value(inner), nestedKey(key, inner), out);
    } else if (type.id() == QMetaType::QVariantList || type.id() == QMetaType::QStringList) {
        const QVariantList list = value.toList();
        for (const QVariant& element : list)
            expand(element, key + QStringLiteral("[]"), out);
    } else if (type == QMetaType::fromType<QSet<QString>>()) {
        QStringList elements = value.value<QSet<QString>>().values();
        std::sort(elements.begin(), elements.end());
        for (const QString& element : elements)
            expand(element, key + QStringLiteral("[]"), out);
    } else {
        out.append(QueryPair{key, value});
    }
}
} // namespace

bool QueryPair::isNull() const
{
    return !value.isValid() || value.metaType().id() == QMetaType::Nullptr;
}

QByteArray QueryPair::valueBytes() const
{
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return value.toByteArray();
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return value.toString().toUtf8();
    }
}

QByteArray QueryPair::encoded() const
{
    if (isNull())
        return FormEncoding::percentEncode(field);
    return FormEncoding::percentEncode(field) + '=' + FormEncoding::percentEncode(valueBytes());
}

QList<QueryPair> FormEncoding::pairs(const QVariant& value, const QString& key)
{
    QList<QueryPair> out;
    expand(value, key, out);
    return out;
}

QByteArray FormEncoding::encode(const QVariantMap& parameters)
{
    QByteArrayList parts;
    for (const QueryPair& pair : pairs(parameters))
        parts.append(pair.encoded());
    return parts.join('&');
}

QByteArray FormEncoding::percentEncode(const QString& text)
{
    return percentEncode(text.toUtf8());
}

QByteArray FormEncoding::percentEncode(const QByteArray& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        if (isKept(c)) {
            out.append(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.append('%');
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 0x0f]);
        }
    }
    return out;
}
