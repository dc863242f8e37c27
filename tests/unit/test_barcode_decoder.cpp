// Barcodes read out of pictures drawn with ZXing's writer.
#include "platform/BarcodeDecoder.h"
#include "support/BarcodeImages.h"
#include "support/TestSandbox.h"
#include "workflow/ItemListViewController.h"

#include <QDir>
#include <QPainter>
#include <QTransform>
#include <gtest/gtest.h>

namespace {
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
    struct Case
    {
        Symbology kind;
        const char* text;
    };
    // Texts each kind can carry (UPC-E and the EANs: digits with their check digit).
    const Case cases[] = {{Symbology::UPCE, "01234565"},       {Symbology::Code39, "A100"},
                          {Symbology::EAN13, "4006381333931"}, {Symbology::EAN8, "96385074"},
                          {Symbology::Code93, "B200-X"},       {Symbology::Code128, "a120/7"},
                          {Symbology::PDF417, "A121"},         {Symbology::QR, "Café 12"},
                          {Symbology::Aztec, "D100"}};
    const QList<Symbology> accepted = ItemListViewController::acceptedSymbologies();
    for (const Case& c : cases) {
        const QImage code = BarcodeImages::draw(c.kind, QString::fromUtf8(c.text));
        ASSERT_FALSE(code.isNull()) << qPrintable(ScannedCode::nameOf(c.kind));
        const ScannedCode expected{c.kind, QString::fromUtf8(c.text)};
        EXPECT_EQ(BarcodeDecoder::decode(code, accepted), QList<ScannedCode>{expected});
        // The same code photographed, and with every kind allowed.
        EXPECT_EQ(BarcodeDecoder::decode(photographed(code)), QList<ScannedCode>{expected});
    }
}

TEST(BarcodeDecoder, OnlyTheKindsAskedForAreReadTopToBottom)
{
    const QImage matrix = BarcodeImages::draw(Symbology::DataMatrix, "X999", 160, 160);
    const QImage frame =
        BarcodeImages::stack({BarcodeImages::draw(Symbology::Code128, "NOPE1"), matrix,
                              BarcodeImages::draw(Symbology::EAN8, "96385074")});
    const QList<Symbology> accepted = ItemListViewController::acceptedSymbologies();
    EXPECT_EQ(BarcodeDecoder::decode(frame, accepted),
              QList<ScannedCode>({{Symbology::Code128, "NOPE1"}, {Symbology::EAN8, "96385074"}}));
    EXPECT_TRUE(BarcodeDecoder::decode(matrix, accepted).isEmpty());
    // The decoder can read it, when asked.
    EXPECT_EQ(BarcodeDecoder::decode(matrix),
              QList<ScannedCode>({{Symbology::DataMatrix, "X999"}}));
    const QImage itf = BarcodeImages::draw(Symbology::ITF, "123456");
    EXPECT_TRUE(BarcodeDecoder::decode(itf, accepted).isEmpty());
    EXPECT_EQ(BarcodeDecoder::decode(itf, {Symbology::ITF}),
              QList<ScannedCode>({{Symbology::ITF, "123456"}}));
    // Kinds the decoder does not know read nothing, not everything.
    EXPECT_TRUE(BarcodeDecoder::decode(itf, {Symbology::Unknown}).isEmpty());
    EXPECT_TRUE(BarcodeDecoder::decode(QImage(), accepted).isEmpty());
}

TEST(BarcodeDecoder, PictureFiles)
{
    TestSandbox sandbox;
    const QDir root(sandbox.root());
    const QString png = BarcodeImages::save(BarcodeImages::draw(Symbology::Code39, "B200"),
                                            root.filePath("label.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(BarcodeDecoder::decodeFile(png), QList<ScannedCode>({{Symbology::Code39, "B200"}}));
    // A JPEG of the same label reads the same.
    QImage(png).save(root.filePath("label.jpg"), "JPG", 90);
    EXPECT_EQ(BarcodeDecoder::decodeFile(root.filePath("label.jpg")),
              QList<ScannedCode>({{Symbology::Code39, "B200"}}));

    // Not a picture, no file, a picture without a code: nothing.
    sandbox.writeFile("note.png", "not a picture");
    EXPECT_TRUE(BarcodeDecoder::decodeFile(root.filePath("note.png")).isEmpty());
    EXPECT_TRUE(BarcodeDecoder::decodeFile(root.filePath("missing.png")).isEmpty());
    QImage blank(200, 100, QImage::Format_RGB32);
    blank.fill(Qt::white);
    blank.save(root.filePath("blank.png"));
    EXPECT_TRUE(BarcodeDecoder::decodeFile(root.filePath("blank.png")).isEmpty());
}
