#include "support/QtPrinters.h"
#include "support/RQMaths.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Cipher, KnownVectorsRoundTripsAndTheKeyWrapping)
{
    EXPECT_EQ(RQMaths::encodeString2(u"A"_s, u"B"_s), u"03"_s);
    // "é" is two UTF-8 bytes and takes two key positions.
    EXPECT_EQ(RQMaths::encodeString2(u"é"_s, u"ab"_s), u"a2cb"_s);
    // Lowercase hexadecimal: 0xff appears as "ff", never "FF".
    EXPECT_EQ(RQMaths::encodeString2(QString(QChar(0xff)), QStringConverter::Latin1, u"\x01"_s),
              u"fe"_s);
    EXPECT_EQ(RQMaths::encodeString(u"A"_s, QStringConverter::Utf8, 0x01), u"40"_s);
    EXPECT_EQ(RQMaths::decodeString(RQMaths::encodeString(u"Grüße"_s)), u"Grüße"_s);

    const QString key = RQMaths::keyText();
    ASSERT_EQ(key.size(), 244);
    // A remark pasted with a byte order mark keeps it.
    for (const QString& plain :
         {u"demo"_s, u"Łódź – 東京 ✓"_s, u"O'Hara & Sons = 100%"_s, u"\uFEFFRemark"_s}) {
        const QString hex = RQMaths::encodeString2(plain, key);
        EXPECT_EQ(hex.size(), plain.toUtf8().size() * 2) << qPrintable(plain);
        EXPECT_EQ(RQMaths::decodeString2(hex, key), plain);
    }
    // Byte 244 is mixed with the key's first character again, like byte 0.
    const QString hex = RQMaths::encodeString2(QString(245, u'x'), key);
    EXPECT_EQ(hex.mid(244 * 2, 2), hex.mid(0, 2));
    EXPECT_NE(hex.mid(243 * 2, 2), hex.mid(0, 2));
}

TEST(Cipher, AbsentEmptyOddAndForeignInput)
{
    const QString key = RQMaths::keyText();
    EXPECT_TRUE(RQMaths::encodeString2(QString(), key).isNull());
    EXPECT_TRUE(RQMaths::encodeString(QString()).isNull());
    // An empty text and deciphering nothing (what a never-stored user name
    // reads as) give empty texts, not absent ones.
    for (const QString& empty :
         {RQMaths::encodeString2(u""_s, key), RQMaths::decodeString2(QString(), key),
          RQMaths::decodeString(QString())})
        EXPECT_TRUE(empty.isEmpty() && !empty.isNull());

    const QString hex = RQMaths::encodeString2(u"abc"_s, key);
    EXPECT_EQ(RQMaths::decodeString2(hex + u'7', key), u"abc"_s);
    // Upper case, no hexadecimal, bytes that do not form UTF-8, and a text the
    // encoding cannot hold: no text rather than a garbled one.
    for (const QString& none :
         {RQMaths::decodeString2(hex.toUpper(), key), RQMaths::decodeString2(u"zz"_s, key),
          RQMaths::decodeString2(u"ff"_s, u"\x01"_s),
          RQMaths::encodeString2(u"€"_s, QStringConverter::Latin1, key)})
        EXPECT_TRUE(none.isNull()) << qPrintable(none);
}
