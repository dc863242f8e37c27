// Barcodes read out of pictures drawn with ZXing's writer.
#include "platform/BarcodeDecoder.h"
#include "support/BarcodeImages.h"
#include "support/TestSandbox.h"
#include "workflow/ItemListViewController.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

namespace {
using Codes = QList<ScannedCode>;
const QList<Symbology> kAccepted = ItemListViewController::acceptedSymbologies();

// A camera's view of a label: grey paper, the code a little off centre and
// a little turned.
QImage photographed(const QImage& code)
{
    QImage frame(code.width() * 2, code.height() * 3, QImage::Format_RGB32);
    frame.fill(QColor(150, 150, 150));
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(frame.width() * 0.45, frame.height() * 0.55);
    painter.rotate(4);
    painter.drawImage(-code.width() / 2, -code.height() / 2, code);
    return frame;
}
} // namespace

TEST(BarcodeDecoder, ReadsEveryAcceptedKindItsWriterDraws)
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
        // The same code photographed, and with every kind allowed.
        EXPECT_EQ(BarcodeDecoder::decode(photographed(code)), Codes{expected});
    }
}

TEST(BarcodeDecoder, OnlyTheKindsAskedForAreReadTopToBottom)
{
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

TEST(BarcodeDecoder, PictureFiles)
{
    TestSandbox sandbox;
    const QDir root(sandbox.root());
    // A JPEG of a label reads (a PNG is the screen test's); not a picture, no
    // file, a picture without a code: nothing.
    ASSERT_TRUE(
        BarcodeImages::draw(Symbology::Code39, "B200").save(root.filePath("label.jpg"), "JPG", 90));
    EXPECT_EQ(BarcodeDecoder::decodeFile(root.filePath("label.jpg")),
              Codes({{Symbology::Code39, "B200"}}));
    sandbox.writeFile("note.png", "not a picture");
    QImage blank(200, 100, QImage::Format_RGB32);
    blank.fill(Qt::white);
    blank.save(root.filePath("blank.png"));
    for (const char* name : {"note.png", "missing.png", "blank.png"})
        EXPECT_TRUE(BarcodeDecoder::decodeFile(root.filePath(name)).isEmpty()) << name;
}
