// The request encoders against decoders of our own, written from the wire
// formats: every pair and every part comes back (faults/README.md).
#include "FuzzSupport.h"
#include "http/FormEncoding.h"
#include "http/MultipartFormData.h"

#include <QByteArrayList>
#include <QRegularExpression>
#include <QSet>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using FuzzSupport::Input;
using Pairs = QList<std::pair<QByteArray, std::optional<QByteArray>>>;
using Headers = QList<QPair<QByteArray, QByteArray>>;

QVariant value(Input& input, int depth);

QVariantMap dictionary(Input& input, int depth)
{
    QVariantMap map;
    for (int i = 0, count = int(input.below(5)); i < count; ++i)
        map.insert(input.text(24), value(input, depth + 1));
    return map;
}

QVariant value(Input& input, int depth)
{
    QVariantList list;
    QSet<QString> set;
    switch (input.below(depth < 3 ? 10 : 7)) {
    case 0:
        return QVariant(); // absent
    case 1:
        return QVariant::fromValue(nullptr); // JSON null
    case 2:
        return qint64(int32_t(input.below(0xffffffffu)));
    case 3:
        return double(int32_t(input.below(0xffffffffu))) / 8.0;
    case 4:
        return input.flag();
    case 5:
        return input.bytes(64); // raw data
    case 6:
        return input.text(64);
    case 7:
        return dictionary(input, depth);
    case 8:
        for (int i = 0, count = int(input.below(4)); i < count; ++i)
            list.append(value(input, depth + 1));
        return list;
    default:
        for (int i = 0, count = int(input.below(4)); i < count; ++i)
            set.insert(input.text(16));
        return QVariant::fromValue(set);
    }
}

// A form body split at "&" and "=" and strictly percent-decoded: only the
// characters we leave as they are may appear bare, every other byte as "%XX"
// in upper case. A field without "=" has a null value. Fails on anything else.
Pairs parseForm(const QByteArray& encoded)
{
    static const QRegularExpression strict(u"^([A-Za-z0-9._~/?-]|%[0-9A-F]{2})*$"_s);
    auto decode = [](const QByteArray& part) {
        FUZZ_CHECK(strict.match(QString::fromLatin1(part)).hasMatch(), QString::fromLatin1(part));
        return QByteArray::fromPercentEncoding(part);
    };
    Pairs pairs;
    for (const QByteArray& field : encoded.split('&')) {
        const qsizetype equals = field.indexOf('=');
        if (equals < 0)
            pairs.append({decode(field), std::nullopt});
        else
            pairs.append({decode(field.left(equals)), decode(field.mid(equals + 1))});
    }
    return pairs;
}

void checkForm(const QVariantMap& parameters)
{
    const QByteArray encoded = FormEncoding::encode(parameters);
    Pairs expected;
    for (const QueryPair& pair : FormEncoding::pairs(parameters))
        expected.append(
            {pair.field.toUtf8(), pair.isNull() ? std::nullopt : std::optional(pair.valueBytes())});
    // No pairs, no bytes (a lone empty name without a value is no bytes too).
    FUZZ_CHECK(expected.isEmpty() ? encoded.isEmpty() : parseForm(encoded) == expected,
               QString::fromLatin1(encoded));
}

// A flat dictionary of texts, with names that hold no brackets, is read back
// by a form parser as the same dictionary.
void checkFlatRoundTrip(Input& input)
{
    QVariantMap flat;
    for (int i = 0, count = int(input.below(6)); i < count; ++i) {
        const QString name = input.text(16).remove(u'[').remove(u']');
        const QString text = input.text(64);
        if (!name.isEmpty() && QString::fromUtf8(name.toUtf8()) == name &&
            QString::fromUtf8(text.toUtf8()) == text)
            flat.insert(name, text.isNull() ? u""_s : text);
    }
    QVariantMap parsed;
    const QByteArray encoded = FormEncoding::encode(flat);
    for (const auto& [name, content] : encoded.isEmpty() ? Pairs() : parseForm(encoded))
        parsed.insert(QString::fromUtf8(name), QString::fromUtf8(content.value_or("<null>")));
    FUZZ_CHECK(parsed == flat, QString::fromLatin1(encoded));
}

// A body split at its "--boundary" lines, as a server's form parser does:
// each part's headers and bytes. Fails on a body of any other shape.
QList<std::pair<Headers, QByteArray>> parseMultipart(const QByteArray& body,
                                                     const QByteArray& boundary)
{
    const QByteArray first = "--" + boundary + "\r\n";
    const QByteArray last = "\r\n--" + boundary + "--\r\n";
    FUZZ_CHECK(body.startsWith(first) && body.endsWith(last), QString::fromLatin1(body.left(400)));
    const QByteArray inner = body.mid(first.size(), body.size() - first.size() - last.size());
    const QByteArray between = "\r\n--" + boundary + "\r\n";
    QList<std::pair<Headers, QByteArray>> parts;
    for (qsizetype from = 0, next = 0; next >= 0; from = next + between.size()) {
        next = inner.indexOf(between, from);
        const QByteArray chunk = inner.mid(from, next < 0 ? -1 : next - from);
        // No headers at all, or headers up to the first empty line.
        const qsizetype split = chunk.startsWith("\r\n") ? -2 : chunk.indexOf("\r\n\r\n");
        FUZZ_CHECK(split != -1, QString::fromLatin1(chunk.left(400)));
        Headers headers;
        for (const QByteArray& line :
             split < 0 ? QByteArrayList() : chunk.left(split).split('\n')) {
            const QByteArray header = line.endsWith('\r') ? line.chopped(1) : line;
            const qsizetype colon = header.indexOf(": ");
            FUZZ_CHECK(colon > 0, QString::fromLatin1(header));
            headers.append({header.left(colon), header.mid(colon + 2)});
        }
        parts.append({headers, chunk.mid(split + 4)});
    }
    return parts;
}

QString safeName(QString name)
{
    // The names of our own files: never quotes or line breaks.
    return name.replace(u'"', u'_').replace(u'\r', u'_').replace(u'\n', u'_');
}

void checkMultipart(Input& input, const QVariantMap& parameters)
{
    MultipartFormData form;
    form.appendParameters(parameters);
    // The form fields are exactly the pairs that are not null; the files follow.
    qsizetype fields = 0;
    for (const QueryPair& pair : FormEncoding::pairs(parameters))
        fields += pair.isNull() ? 0 : 1;
    FUZZ_CHECK(fields == form.parts().size(), QString::number(fields));
    for (int i = 0, files = int(input.below(3)); i < files; ++i)
        form.appendPartWithFileData(input.bytes(2048), safeName(input.text(16)),
                                    safeName(input.text(24)),
                                    input.flag() ? u"image/jpeg"_s : safeName(input.text(12)));
    FUZZ_CHECK(form.contentType() == "multipart/form-data; boundary=" + form.boundary(), QString());
    // Every part comes back with its headers, its name first, and its bytes.
    // A field name may hold a line break, which no header can carry; and a
    // part holding the boundary would end early, with 64 random bits in the
    // boundary not a case the encoder has to meet.
    QList<std::pair<Headers, QByteArray>> sent;
    for (const MultipartFormData::Part& part : form.parts()) {
        QByteArray disposition = "form-data; name=\"" + part.name.toUtf8() + "\"";
        if (part.isFile())
            disposition += "; filename=\"" + part.fileName.toUtf8() + "\"";
        FUZZ_CHECK(part.headers.value(0).second == disposition, QString::fromUtf8(disposition));
        if (part.name.contains(u'\n'))
            return;
        sent.append({part.headers, part.body});
    }
    const QByteArray body = form.body();
    FUZZ_CHECK(!sent.isEmpty() || body.isEmpty(), u"no parts but a body"_s);
    if (body.count(form.boundary()) == sent.size() + 1)
        FUZZ_CHECK(parseMultipart(body, form.boundary()) == sent, QString::fromLatin1(body));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const QVariantMap parameters = dictionary(input, 0);
    checkForm(parameters);
    checkFlatRoundTrip(input);
    checkMultipart(input, parameters);
    return 0;
}
