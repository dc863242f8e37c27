#include "platform/BarcodeScanner.h"

namespace {
BarcodeScanner* g_shared = nullptr;
}

BarcodeScanner* BarcodeScanner::shared()
{
    return g_shared;
}

void BarcodeScanner::setShared(BarcodeScanner* scanner)
{
    g_shared = scanner;
}
