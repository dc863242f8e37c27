#include "support/BarcodeImages.h"

#include "platform/ZXingFormats.h"

#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <stdexcept>

QImage BarcodeImages::draw(Symbology kind, const QString& text, int width, int height)
{
    const ZXing::BarcodeFormat format = zxingFormatOf(kind);
    if (format == ZXing::BarcodeFormat::None)
        return QImage();
    if (kind == Symbology::QR || kind == Symbology::Aztec || kind == Symbology::DataMatrix)
        width = height = qMax(width, height);
    try {
        const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(format).setMargin(12).encode(
            text.toStdString(), width, height);
        QImage image(bits.width(), bits.height(), QImage::Format_Grayscale8);
        for (int y = 0; y < bits.height(); ++y) {
            uchar* line = image.scanLine(y);
            for (int x = 0; x < bits.width(); ++x)
                line[x] = bits.get(x, y) ? 0 : 255;
        }
        return image;
    } catch (const std::exception&) {
        return QImage();
    }
}

QImage BarcodeImages::stack(const QList<QImage>& pictures)
{
    int width = 0;
    int height = 0;
    for (const QImage& picture : pictures) {
        width = qMax(width, picture.width());
        height += picture.height() + 40;
    }
    QImage frame(width + 40, height + 40, QImage::Format_RGB32);
    frame.fill(Qt::white);
    QPainter painter(&frame);
    int y = 40;
    for (const QImage& picture : pictures) {
        painter.drawImage(20, y, picture);
        y += picture.height() + 40;
    }
    return frame;
}
