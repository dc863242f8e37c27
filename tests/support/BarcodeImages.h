#pragma once

#include "platform/ScannedCode.h"

#include <QImage>
#include <QList>
#include <QString>
#include <ostream>

// Barcode pictures drawn with ZXing's writer, for the scanner tests: black
// bars on white with a quiet zone, as a printed label would be.
namespace BarcodeImages {

// One code of the kind carrying the text; a null image when the writer
// refuses the text for that kind (a test then fails on it).
QImage draw(Symbology kind, const QString& text, int width = 360, int height = 120);
// The pictures stacked top to bottom on white, 40 points apart: a frame
// holding several codes.
QImage stack(const QList<QImage>& pictures);

} // namespace BarcodeImages

// How test failures print a code.
inline void PrintTo(const ScannedCode& code, std::ostream* out)
{
    *out << qPrintable(ScannedCode::nameOf(code.symbology)) << " '" << qPrintable(code.text) << "'";
}
