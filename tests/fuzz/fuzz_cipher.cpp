// The string cipher: deciphering anything never crashes; what UTF-8 (or
// Latin-1) can hold comes back whole; what it cannot is not enciphered.
#include "FuzzSupport.h"
#include "support/RQMaths.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::Input input(data, size);
    const QString key = input.byte() % 3 == 0 ? RQMaths::keyText() : input.text(300);
    const QString plain = input.text(4096);
    const QString hex = input.text(4096);

    // Arbitrary input to the deciphering side.
    const QString deciphered = RQMaths::decodeString2(hex, key);
    (void)RQMaths::decodeString2(hex, QStringConverter::Latin1, key);
    (void)RQMaths::decodeString(hex);
    if (hex.isEmpty())
        FUZZ_CHECK(deciphered == QLatin1String("") && !deciphered.isNull(), QString());

    // Round trips. A leading U+FEFF is a character of the text like any other.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const bool utf8Safe = !plain.isNull() && QString(utf8.decode(plain.toUtf8())) == plain;
    const QString enciphered = RQMaths::encodeString2(plain, key);
    static const QRegularExpression lowerHex(u"^([0-9a-f]{2})*$"_s);
    if (!utf8Safe) {
        FUZZ_CHECK(enciphered.isNull(), u"a null text or one UTF-8 cannot hold was enciphered"_s);
    } else {
        FUZZ_CHECK(lowerHex.match(enciphered).hasMatch() && !enciphered.isNull() &&
                       enciphered.size() == plain.toUtf8().size() * 2,
                   enciphered);
        FUZZ_CHECK(RQMaths::decodeString2(enciphered, key) == plain, plain);
        FUZZ_CHECK(RQMaths::decodeString(RQMaths::encodeString(plain)) == plain, plain);
    }
    const bool latin1Safe = !plain.isNull() && QString::fromLatin1(plain.toLatin1()) == plain;
    const QString latin = RQMaths::encodeString2(plain, QStringConverter::Latin1, key);
    if (latin1Safe)
        FUZZ_CHECK(RQMaths::decodeString2(latin, QStringConverter::Latin1, key) == plain, plain);
    else if (!plain.isNull())
        FUZZ_CHECK(latin.isNull(), u"a text Latin-1 cannot hold was enciphered as Latin-1"_s);
    return 0;
}
