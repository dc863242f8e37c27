#include "platform/ScannedCode.h"

QString ScannedCode::nameOf(Symbology symbology)
{
    switch (symbology) {
    case Symbology::UPCA:
        return QStringLiteral("UPC-A");
    case Symbology::UPCE:
        return QStringLiteral("UPC-E");
    case Symbology::EAN8:
        return QStringLiteral("EAN-8");
    case Symbology::EAN13:
        return QStringLiteral("EAN-13");
    case Symbology::Code39:
        return QStringLiteral("Code 39");
    case Symbology::Code39Mod43:
        return QStringLiteral("Code 39 mod 43");
    case Symbology::Code93:
        return QStringLiteral("Code 93");
    case Symbology::Code128:
        return QStringLiteral("Code 128");
    case Symbology::ITF:
        return QStringLiteral("ITF");
    case Symbology::Codabar:
        return QStringLiteral("Codabar");
    case Symbology::DataBar:
        return QStringLiteral("DataBar");
    case Symbology::DataBarExpanded:
        return QStringLiteral("DataBar Expanded");
    case Symbology::PDF417:
        return QStringLiteral("PDF417");
    case Symbology::QR:
        return QStringLiteral("QR Code");
    case Symbology::MicroQR:
        return QStringLiteral("Micro QR Code");
    case Symbology::Aztec:
        return QStringLiteral("Aztec");
    case Symbology::DataMatrix:
        return QStringLiteral("Data Matrix");
    case Symbology::MaxiCode:
        return QStringLiteral("MaxiCode");
    case Symbology::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}
