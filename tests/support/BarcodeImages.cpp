#include "support/BarcodeImages.h"

#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <stdexcept>

namespace {
ZXing::BarcodeFormat formatOf(Symbology kind)
{
    using ZXing::BarcodeFormat;
    switch (kind) {
    case Symbology::UPCA:
        return BarcodeFormat::UPCA;
    case Symbology::UPCE:
        return BarcodeFormat::UPCE;
    case Symbology::EAN8:
        return BarcodeFormat::EAN8;
    case Symbology::EAN13:
        return BarcodeFormat::EAN13;
    case Symbology::Code39:
    case Symbology::Code39Mod43:
        return BarcodeFormat::Code39;
    case Symbology::Code93:
        return BarcodeFormat::Code93;
    case Symbology::Code128:
        return BarcodeFormat::Code128;
    case Symbology::ITF:
        return BarcodeFormat::ITF;
    case Symbology::Codabar:
        return BarcodeFormat::Codabar;
    case Symbology::PDF417:
        return BarcodeFormat::PDF417;
    case Symbology::QR:
        return BarcodeFormat::QRCode;
    case Symbology::Aztec:
        return BarcodeFormat::Aztec;
    case Symbology::DataMatrix:
        return BarcodeFormat::DataMatrix;
    default:
        return BarcodeFormat::None;
    }
}

bool isSquare(Symbology kind)
{
    return kind == Symbology::QR || kind == Symbology::Aztec || kind == Symbology::DataMatrix;
}
} // namespace

QImage BarcodeImages::draw(Symbology kind, const QString& text, int width, int height)
{
    const ZXing::BarcodeFormat format = formatOf(kind);
    if (format == ZXing::BarcodeFormat::None)
        return QImage();
    if (isSquare(kind))
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

QString BarcodeImages::save(const QImage& picture, const QString& path)
{
    return !picture.isNull() && picture.save(path, "PNG") ? path : QString();
}
