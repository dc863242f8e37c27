#pragma once

#include "platform/ScannedCode.h"

#include <ZXing/BarcodeFormat.h>

// The ZXing format that reads (or writes) a kind of barcode; None for kinds
// ZXing has no format for.
ZXing::BarcodeFormat zxingFormatOf(Symbology kind);
