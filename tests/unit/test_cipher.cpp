#include "support/RQMaths.h"

#include <gtest/gtest.h>

namespace {
// An independent statement of the cipher, byte by byte, for cross-checking.
QString reference(const QByteArray& bytes, const QByteArray& key)
{
    QString out;
    for (int i = 0; i < bytes.size(); ++i)
        out += QStringLiteral("%1").arg(quint8(bytes[i]) ^ quint8(key[i % key.size()]), 2, 16, QLatin1Char('0'));
    return out;
}
} // namespace

TEST(Cipher, KnownVectorsAndRoundTrips)
{
    EXPECT_EQ(RQMaths::encodeString2(QStringLiteral("A"), QStringLiteral("B")), QStringLiteral("03"));
    // "é" is two UTF-8 bytes and takes two key positions.
    EXPECT_EQ(RQMaths::encodeString2(QStringLiteral("é"), QStringLiteral("ab")), QStringLiteral("a2cb"));

    const QString key = RQMaths::keyText();
    for (const QString& plain : {QStringLiteral("demo"), QStringLiteral("Łódź – 東京 ✓"),
                                 QStringLiteral("O'Hara & Sons = 100%"),
                                 // A remark pasted with a byte order mark keeps it.
                                 QStringLiteral("\uFEFFRemark")}) {
        const QString hex = RQMaths::encodeString2(plain, key);
        EXPECT_EQ(hex, reference(plain.toUtf8(), key.toLatin1())) << qPrintable(plain);
        EXPECT_EQ(hex.size(), plain.toUtf8().size() * 2);
        EXPECT_EQ(RQMaths::decodeString2(hex, key), plain);
    }
}

TEST(Cipher, KeyWrapsAtItsLengthAndOutputIsLowercase)
{
    const QString key = RQMaths::keyText();
    ASSERT_EQ(key.size(), 244);
    for (QChar c : key)
        ASSERT_TRUE(c.unicode() >= 0x20 && c.unicode() < 0x7f);

    const QString plain(245, QLatin1Char('x'));
    const QString hex = RQMaths::encodeString2(plain, key);
    // Byte 244 is mixed with the key's first character again, like byte 0.
    EXPECT_EQ(hex.mid(244 * 2, 2), hex.mid(0, 2));
    EXPECT_EQ(hex, reference(plain.toUtf8(), key.toLatin1()));
    EXPECT_EQ(hex, hex.toLower());
    // 0xff appears as "ff", never "FF".
    EXPECT_EQ(RQMaths::encodeString2(QString(QChar(0xff)), QStringConverter::Latin1, QStringLiteral("\x01")),
              QStringLiteral("fe"));
}

TEST(Cipher, AbsentEmptyOddAndForeignInput)
{
    const QString key = RQMaths::keyText();
    EXPECT_TRUE(RQMaths::encodeString2(QString(), key).isNull());
    const QString empty = RQMaths::encodeString2(QStringLiteral(""), key);
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());

    // Deciphering nothing gives an empty text (what a never-stored user name reads as).
    EXPECT_FALSE(RQMaths::decodeString2(QString(), key).isNull());
    EXPECT_TRUE(RQMaths::decodeString2(QString(), key).isEmpty());

    const QString hex = RQMaths::encodeString2(QStringLiteral("abc"), key);
    EXPECT_EQ(RQMaths::decodeString2(hex + QLatin1Char('7'), key), QStringLiteral("abc"));
    EXPECT_TRUE(RQMaths::decodeString2(hex.toUpper(), key).isNull());
    EXPECT_TRUE(RQMaths::decodeString2(QStringLiteral("zz"), key).isNull());

    // Bytes that do not form UTF-8 give no text rather than a garbled one.
    EXPECT_TRUE(RQMaths::decodeString2(QStringLiteral("ff"), QStringLiteral("\x01")).isNull());
    // A text the encoding cannot hold is not silently replaced.
    EXPECT_TRUE(RQMaths::encodeString2(QStringLiteral("€"), QStringConverter::Latin1, key).isNull());
}

TEST(Cipher, KeysAreDeterministicAndDistinct)
{
    const QString plain = QStringLiteral("salesman");
    EXPECT_EQ(RQMaths::encodeString2(plain, QStringLiteral("first key")),
              RQMaths::encodeString2(plain, QStringLiteral("first key")));
    EXPECT_NE(RQMaths::encodeString2(plain, QStringLiteral("first key")),
              RQMaths::encodeString2(plain, QStringLiteral("other key")));
}

TEST(Cipher, SingleByteForms)
{
    EXPECT_EQ(RQMaths::encodeString(QStringLiteral("A"), QStringConverter::Utf8, 0x01), QStringLiteral("40"));
    const QString hex = RQMaths::encodeString(QStringLiteral("Grüße"));
    EXPECT_EQ(hex, reference(QStringLiteral("Grüße").toUtf8(), QByteArray(1, char(RQMaths::defaultSecretKey))));
    EXPECT_EQ(RQMaths::decodeString(hex), QStringLiteral("Grüße"));
    EXPECT_TRUE(RQMaths::encodeString(QString()).isNull());
    EXPECT_TRUE(RQMaths::decodeString(QString()).isEmpty());
}
