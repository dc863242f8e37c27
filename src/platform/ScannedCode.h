#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// The kinds of machine-readable codes a barcode scanner tells apart.
enum class Symbology {
    Unknown,
    UPCA,
    UPCE,
    EAN8,
    EAN13,
    Code39,
    Code39Mod43, // Code 39 with its modulo-43 check character
    Code93,
    Code128,
    ITF,
    Codabar,
    DataBar,
    DataBarExpanded,
    PDF417,
    QR,
    MicroQR,
    Aztec,
    DataMatrix,
    MaxiCode,
};

// One code read by a scanner: its kind and the text it carries.
struct ScannedCode
{
    Symbology symbology = Symbology::Unknown;
    QString text;

    bool operator==(const ScannedCode&) const = default;

    // "EAN-13", "QR Code", ...: for logs and test messages.
    static QString nameOf(Symbology symbology);
};

Q_DECLARE_METATYPE(ScannedCode)
