#pragma once

#include "platform/ScannedCode.h"

#include <QList>
#include <functional>

// Reads barcodes for a screen: with the camera, whose picture then covers the
// screen until the scan stops, or, where there is no camera, from a picture
// file the salesman picks. Only codes of the kinds asked for are reported.
// Answers arrive on the main thread, never inside the call that asked. The
// interface implements this (QmlBarcodeScanner); tests use a fake.
class BarcodeScanner
{
public:
    // The codes of one camera frame or of one picture, in the order they were
    // read; a picture without a readable code delivers an empty list.
    using Delivered = std::function<void(const QList<ScannedCode>& codes)>;
    using Cancelled = std::function<void()>;

    virtual ~BarcodeScanner() = default;

    // True when a camera can be used.
    virtual bool hasCamera() const = 0;
    // Shows the camera's picture and delivers every frame that holds codes,
    // until stop(); `cancelled` when the salesman closes the camera himself.
    // A new scan replaces a running one, which ends without a word.
    virtual void start(const QList<Symbology>& kinds, Delivered delivered,
                       Cancelled cancelled = {}) = 0;
    // Stops the camera and removes its picture; nothing is delivered after.
    virtual void stop() = 0;
    virtual bool isScanning() const = 0;
    // Lets the salesman pick a picture file and delivers its codes once, or
    // `cancelled` when he closes the picker without one.
    virtual void scanImageFile(const QList<Symbology>& kinds, Delivered delivered,
                               Cancelled cancelled = {}) = 0;

    // The scanner of the running interface; null until it sets one.
    static BarcodeScanner* shared();
    static void setShared(BarcodeScanner* scanner);
};
