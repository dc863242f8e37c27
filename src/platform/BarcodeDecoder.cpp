// Results carry UTF-8 text; set before any ZXing header is read.
#define ZX_USE_UTF8 1

#include "platform/BarcodeDecoder.h"
#include "platform/ZXingFormats.h"

#include <QImageReader>

#include <ZXing/ReadBarcode.h>

ZXing::BarcodeFormat zxingFormatOf(Symbology kind)
{
    switch (kind) {
    case Symbology::UPCA:
        return ZXing::BarcodeFormat::UPCA;
    case Symbology::UPCE:
        return ZXing::BarcodeFormat::UPCE;
    case Symbology::EAN8:
        return ZXing::BarcodeFormat::EAN8;
    case Symbology::EAN13:
        return ZXing::BarcodeFormat::EAN13;
    case Symbology::Code39:
    case Symbology::Code39Mod43:
        return ZXing::BarcodeFormat::Code39;
    case Symbology::Code93:
        return ZXing::BarcodeFormat::Code93;
    case Symbology::Code128:
        return ZXing::BarcodeFormat::Code128;
    case Symbology::ITF:
        return ZXing::BarcodeFormat::ITF;
    case Symbology::Codabar:
        return ZXing::BarcodeFormat::Codabar;
    case Symbology::DataBar:
        return ZXing::BarcodeFormat::DataBar;
    case Symbology::DataBarExpanded:
        return ZXing::BarcodeFormat::DataBarExpanded;
    case Symbology::PDF417:
        return ZXing::BarcodeFormat::PDF417;
    case Symbology::QR:
        return ZXing::BarcodeFormat::QRCode;
    case Symbology::MicroQR:
        return ZXing::BarcodeFormat::MicroQRCode;
    case Symbology::Aztec:
        return ZXing::BarcodeFormat::Aztec;
    case Symbology::DataMatrix:
        return ZXing::BarcodeFormat::DataMatrix;
    case Symbology::MaxiCode:
        return ZXing::BarcodeFormat::MaxiCode;
    case Symbology::Unknown:
        break;
    }
    return ZXing::BarcodeFormat::None;
}

namespace {
using ZXing::BarcodeFormat;

Symbology kindOf(BarcodeFormat format)
{
    switch (format) {
    case BarcodeFormat::UPCA:
        return Symbology::UPCA;
    case BarcodeFormat::UPCE:
        return Symbology::UPCE;
    case BarcodeFormat::EAN8:
        return Symbology::EAN8;
    case BarcodeFormat::EAN13:
        return Symbology::EAN13;
    case BarcodeFormat::Code39:
        return Symbology::Code39;
    case BarcodeFormat::Code93:
        return Symbology::Code93;
    case BarcodeFormat::Code128:
        return Symbology::Code128;
    case BarcodeFormat::ITF:
        return Symbology::ITF;
    case BarcodeFormat::Codabar:
        return Symbology::Codabar;
    case BarcodeFormat::DataBar:
        return Symbology::DataBar;
    case BarcodeFormat::DataBarExpanded:
        return Symbology::DataBarExpanded;
    case BarcodeFormat::PDF417:
        return Symbology::PDF417;
    case BarcodeFormat::QRCode:
        return Symbology::QR;
    case BarcodeFormat::MicroQRCode:
        return Symbology::MicroQR;
    case BarcodeFormat::Aztec:
        return Symbology::Aztec;
    case BarcodeFormat::DataMatrix:
        return Symbology::DataMatrix;
    case BarcodeFormat::MaxiCode:
        return Symbology::MaxiCode;
    default:
        break;
    }
    return Symbology::Unknown;
}
} // namespace

QList<ScannedCode> BarcodeDecoder::decode(const QImage& image, const QList<Symbology>& kinds)
{
    if (image.isNull())
        return {};
    ZXing::BarcodeFormats formats;
    for (Symbology kind : kinds)
        formats |= zxingFormatOf(kind);
    // ZXing reads an empty set as "every format": asked for kinds it does not
    // know, it must read nothing instead.
    if (!kinds.isEmpty() && formats.empty())
        return {};

    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(formats).setTryHarder(true).setTryRotate(true);

    QList<ScannedCode> codes;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        if (!formats.empty() && !formats.testFlag(result.format()))
            continue;
        codes.append({kindOf(result.format()), QString::fromStdString(result.text())});
    }
    return codes;
}

QList<ScannedCode> BarcodeDecoder::decodeFile(const QString& path, const QList<Symbology>& kinds)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return decode(reader.read(), kinds);
}
