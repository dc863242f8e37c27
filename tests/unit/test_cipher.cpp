#include "support/RQMaths.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Cipher, KnownVectorsKeyWrappingAndForeignInput)
{
    EXPECT_EQ(RQMaths::encodeString2(u"A"_s, u"B"_s), u"03"_s);
    // "é" is two UTF-8 bytes and takes two key positions.
    EXPECT_EQ(RQMaths::encodeString2(u"é"_s, u"ab"_s), u"a2cb"_s);
    // Lowercase hexadecimal: 0xff appears as "ff", never "FF".
    EXPECT_EQ(RQMaths::encodeString2(QString(QChar(0xff)), QStringConverter::Latin1, u"\x01"_s),
              u"fe"_s);
    EXPECT_EQ(RQMaths::encodeString(u"A"_s, QStringConverter::Utf8, 0x01), u"40"_s);

    const QString key = RQMaths::keyText();
    ASSERT_EQ(key.size(), 244);
    // Byte 244 is mixed with the key's first character again, like byte 0.
    const QString hex = RQMaths::encodeString2(QString(245, u'x'), key);
    EXPECT_EQ(hex.mid(244 * 2, 2), hex.mid(0, 2));
    EXPECT_NE(hex.mid(243 * 2, 2), hex.mid(0, 2));

    // Round trips, absent and empty texts: the cipher fuzz target. A remark
    // pasted with a byte order mark keeps it.
    const QString bom = u"\uFEFFRemark"_s;
    EXPECT_EQ(RQMaths::decodeString2(RQMaths::encodeString2(bom, key), key), bom);
    const QString abc = RQMaths::encodeString2(u"abc"_s, key);
    EXPECT_EQ(RQMaths::decodeString2(abc + u'7', key), u"abc"_s);
    // Upper case, no hexadecimal, bytes that do not form UTF-8, and a text the
    // encoding cannot hold: no text rather than a garbled one.
    for (const QString& none :
         {RQMaths::decodeString2(abc.toUpper(), key), RQMaths::decodeString2(u"zz"_s, key),
          RQMaths::decodeString2(u"ff"_s, u"\x01"_s),
          RQMaths::encodeString2(u"€"_s, QStringConverter::Latin1, key)})
        EXPECT_TRUE(none.isNull()) << qPrintable(none);
}
