// The request encoders against decoders of our own, written from the wire
// formats: form bytes split back into their pairs and percent-decoded give
// exactly the pairs of the parameters; multipart bodies split at their
// boundary give back every part with its headers and its bytes. A flat
// dictionary of texts comes back as itself.
#include "FuzzSupport.h"
#include "http/FormEncoding.h"
#include "http/MultipartFormData.h"

#include <QByteArrayList>
#include <QSet>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

namespace {

using FuzzSupport::Input;

QVariant value(Input& input, int depth);

QVariantMap dictionary(Input& input, int depth)
{
    QVariantMap map;
    const int count = int(input.below(5));
    for (int i = 0; i < count; ++i)
        map.insert(input.text(24), value(input, depth + 1));
    return map;
}

QVariant value(Input& input, int depth)
{
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
    case 8: {
        QVariantList list;
        const int count = int(input.below(4));
        for (int i = 0; i < count; ++i)
            list.append(value(input, depth + 1));
        return list;
    }
    default: {
        QSet<QString> set;
        const int count = int(input.below(4));
        for (int i = 0; i < count; ++i)
            set.insert(input.text(16));
        return QVariant::fromValue(set);
    }
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower case is not what we send
}

// Strict percent-decoding: only the characters we leave as they are may
// appear bare, every other byte as "%XX" in upper case.
bool percentDecode(const QByteArray& encoded, QByteArray& decoded)
{
    static const QByteArray bare = QByteArrayLiteral("-._~/?");
    decoded.clear();
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded.at(i);
        if (c == '%') {
            if (i + 2 >= encoded.size())
                return false;
            const int high = hexDigit(encoded.at(i + 1));
            const int low = hexDigit(encoded.at(i + 2));
            if (high < 0 || low < 0)
                return false;
            decoded.append(char(high * 16 + low));
            i += 2;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || bare.contains(c)) {
            decoded.append(c);
        } else {
            return false;
        }
    }
    return true;
}

void checkForm(const QVariantMap& parameters)
{
    const QList<QueryPair> pairs = FormEncoding::pairs(parameters);
    const QByteArray encoded = FormEncoding::encode(parameters);
    if (pairs.isEmpty()) {
        FUZZ_CHECK(encoded.isEmpty(), QString::fromLatin1(encoded));
        return;
    }
    const QByteArrayList fields = encoded.split('&');
    FUZZ_CHECK(fields.size() == pairs.size(), QString::fromLatin1(encoded));
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QByteArray& field = fields.at(i);
        const qsizetype equals = field.indexOf('=');
        QByteArray name;
        QByteArray content;
        FUZZ_CHECK(percentDecode(equals < 0 ? field : field.left(equals), name), QString::fromLatin1(field));
        FUZZ_CHECK(name == pairs.at(i).field.toUtf8(), QString::fromLatin1(field));
        if (pairs.at(i).isNull()) {
            FUZZ_CHECK(equals < 0, QStringLiteral("a null value was sent with a value"));
        } else {
            FUZZ_CHECK(equals >= 0, QStringLiteral("a value went missing"));
            FUZZ_CHECK(percentDecode(field.mid(equals + 1), content), QString::fromLatin1(field));
            FUZZ_CHECK(content == pairs.at(i).valueBytes(), QString::fromLatin1(field));
        }
    }
}

// A flat dictionary of texts, with names that hold no brackets, is read back
// by a form parser as the same dictionary.
void checkFlatRoundTrip(Input& input)
{
    QVariantMap flat;
    const int count = int(input.below(6));
    for (int i = 0; i < count; ++i) {
        QString name = input.text(16);
        name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        if (name.isEmpty() || QString::fromUtf8(name.toUtf8()) != name)
            continue;
        QString text = input.text(64);
        if (QString::fromUtf8(text.toUtf8()) != text)
            continue;
        flat.insert(name, text.isNull() ? QStringLiteral("") : text);
    }
    QVariantMap parsed;
    const QByteArray encoded = FormEncoding::encode(flat);
    for (const QByteArray& field : encoded.split('&')) {
        if (field.isEmpty())
            continue;
        const qsizetype equals = field.indexOf('=');
        QByteArray name;
        QByteArray content;
        FUZZ_CHECK(percentDecode(field.left(equals), name) && percentDecode(field.mid(equals + 1), content),
                   QString::fromLatin1(field));
        parsed.insert(QString::fromUtf8(name), QString::fromUtf8(content));
    }
    FUZZ_CHECK(parsed == flat, QString::fromLatin1(encoded));
}

struct ParsedPart {
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

// Splits a body at "--boundary" lines, as a server's form parser does.
bool parseMultipart(const QByteArray& body, const QByteArray& boundary, QList<ParsedPart>& parts)
{
    const QByteArray first = "--" + boundary + "\r\n";
    const QByteArray between = "\r\n--" + boundary + "\r\n";
    const QByteArray last = "\r\n--" + boundary + "--\r\n";
    if (!body.startsWith(first) || !body.endsWith(last))
        return false;
    QByteArray inner = body.mid(first.size(), body.size() - first.size() - last.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype next = inner.indexOf(between, from);
        const QByteArray chunk = inner.mid(from, next < 0 ? -1 : next - from);
        const qsizetype split = chunk.indexOf("\r\n\r\n");
        ParsedPart part;
        QByteArray head;
        if (chunk.startsWith("\r\n")) {
            part.body = chunk.mid(2); // no headers at all
        } else {
            if (split < 0)
                return false;
            head = chunk.left(split);
            part.body = chunk.mid(split + 4);
            for (const QByteArray& line : head.split('\n')) {
                QByteArray l = line;
                if (l.endsWith('\r'))
                    l.chop(1);
                const qsizetype colon = l.indexOf(": ");
                if (colon < 0)
                    return false;
                part.headers.append({l.left(colon), l.mid(colon + 2)});
            }
        }
        parts.append(part);
        if (next < 0)
            break;
        from = next + between.size();
    }
    return true;
}

QString safeName(QString name)
{
    // The names of our own fields and files: never quotes or line breaks.
    return name.replace(QLatin1Char('"'), QLatin1Char('_')).replace(QLatin1Char('\r'), QLatin1Char('_')).replace(QLatin1Char('\n'), QLatin1Char('_'));
}

void checkMultipart(Input& input, const QVariantMap& parameters)
{
    QVariantMap named;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        named.insert(safeName(it.key()), it.value());
    MultipartFormData form;
    form.appendParameters(named);
    const int files = int(input.below(3));
    for (int i = 0; i < files; ++i)
        form.appendPartWithFileData(input.bytes(2048), safeName(input.text(16)), safeName(input.text(24)),
                                    input.flag() ? QStringLiteral("image/jpeg") : safeName(input.text(12)));
    const QByteArray body = form.body();
    if (form.parts().isEmpty()) {
        FUZZ_CHECK(body.isEmpty(), QStringLiteral("no parts but a body"));
        return;
    }
    // A part holding the boundary would end early; with 64 random bits in the
    // boundary that is not a case the encoder has to meet.
    for (const MultipartFormData::Part& part : form.parts()) {
        if (part.body.contains(form.boundary()))
            return;
        for (const auto& header : part.headers) {
            if (header.second.contains(form.boundary()) || header.second.contains('\n'))
                return;
        }
    }
    FUZZ_CHECK(form.contentType() == "multipart/form-data; boundary=" + form.boundary(), QString());
    QList<ParsedPart> parsed;
    FUZZ_CHECK(parseMultipart(body, form.boundary(), parsed), QString::fromLatin1(body.left(400)));
    FUZZ_CHECK(parsed.size() == form.parts().size(), QString::number(parsed.size()));
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        const MultipartFormData::Part& sent = form.parts().at(i);
        FUZZ_CHECK(parsed.at(i).body == sent.body, QString::number(i));
        FUZZ_CHECK(parsed.at(i).headers == sent.headers, QString::number(i));
        const QByteArray disposition = parsed.at(i).headers.value(0).second;
        const QByteArray expected = "form-data; name=\"" + sent.name.toUtf8() + "\"";
        FUZZ_CHECK(disposition.startsWith(expected), QString::fromUtf8(disposition));
        if (sent.isFile())
            FUZZ_CHECK(disposition == expected + "; filename=\"" + sent.fileName.toUtf8() + "\"", QString::fromUtf8(disposition));
    }
    // The form fields are exactly the pairs that are not null.
    int fields = 0;
    for (const QueryPair& pair : FormEncoding::pairs(named))
        fields += pair.isNull() ? 0 : 1;
    FUZZ_CHECK(fields == form.parts().size() - files, QString::number(fields));
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
