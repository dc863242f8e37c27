// Barcodes read out of pictures drawn with ZXing's writer.
#include "platform/BarcodeDecoder.h"
#include "support/BarcodeImages.h"
#include "workflow/ItemListViewController.h"

#include <gtest/gtest.h>

namespace {
using Codes = QList<ScannedCode>;
const QList<Symbology> kAccepted = ItemListViewController::acceptedSymbologies();
} // namespace

TEST(BarcodeDecoder, ReadsEveryAcceptedKindItsWriterDrawsAndOnlyTheKindsAskedFor)
{
    // Texts each kind can carry (UPC-E and the EANs: digits with their check digit).
    const Codes cases = {{Symbology::UPCE, "01234565"},       {Symbology::Code39, "A100"},
                         {Symbology::EAN13, "4006381333931"}, {Symbology::EAN8, "96385074"},
                         {Symbology::Code93, "B200-X"},       {Symbology::Code128, "a120/7"},
                         {Symbology::PDF417, "A121"},         {Symbology::QR, "Café 12"},
                         {Symbology::Aztec, "D100"}};
    for (const ScannedCode& expected : cases) {
        const QImage code = BarcodeImages::draw(expected.symbology, expected.text);
        ASSERT_FALSE(code.isNull()) << testing::PrintToString(expected);
        EXPECT_EQ(BarcodeDecoder::decode(code, kAccepted), Codes{expected});
    }

    // Only the kinds asked for are read, top to bottom.
    const QImage matrix = BarcodeImages::draw(Symbology::DataMatrix, "X999", 160, 160);
    const QImage frame =
        BarcodeImages::stack({BarcodeImages::draw(Symbology::Code128, "NOPE1"), matrix,
                              BarcodeImages::draw(Symbology::EAN8, "96385074")});
    EXPECT_EQ(BarcodeDecoder::decode(frame, kAccepted),
              Codes({{Symbology::Code128, "NOPE1"}, {Symbology::EAN8, "96385074"}}));
    // The decoder reads the other kinds when asked, and kinds it does not
    // know read nothing, not everything.
    EXPECT_TRUE(BarcodeDecoder::decode(matrix, kAccepted).isEmpty());
    EXPECT_EQ(BarcodeDecoder::decode(matrix), Codes({{Symbology::DataMatrix, "X999"}}));
    const QImage itf = BarcodeImages::draw(Symbology::ITF, "123456");
    EXPECT_TRUE(BarcodeDecoder::decode(itf, kAccepted).isEmpty());
    EXPECT_EQ(BarcodeDecoder::decode(itf, {Symbology::ITF}), Codes({{Symbology::ITF, "123456"}}));
    EXPECT_TRUE(BarcodeDecoder::decode(itf, {Symbology::Unknown}).isEmpty());
    EXPECT_TRUE(BarcodeDecoder::decode(QImage(), kAccepted).isEmpty());
}
