#pragma once

#include "platform/ScannedCode.h"

#include <QImage>
#include <QList>
#include <QString>

// Reads barcodes out of pictures (camera frames, picture files) with ZXing.
// Every call is independent and runs on the caller's thread.
class BarcodeDecoder
{
public:
    // The codes of the given kinds found in the picture, top to bottom; every
    // kind the decoder knows when `kinds` is empty. Kinds it cannot read (and
    // a null picture) give nothing. A Code 39 read for Code39Mod43 alone is
    // reported as Code 39: the two look the same on paper.
    static QList<ScannedCode> decode(const QImage& image, const QList<Symbology>& kinds = {});
    // The same for a picture file; nothing when it cannot be read as a picture.
    static QList<ScannedCode> decodeFile(const QString& path, const QList<Symbology>& kinds = {});
};
