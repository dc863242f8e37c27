#pragma once

#include "platform/BarcodeScanner.h"

#include <QList>

// Records what a screen asked of the barcode scanner and lets the test hand
// it codes, as the camera or a picture file would once decoded.
class FakeBarcodeScanner : public BarcodeScanner
{
public:
    bool camera = true;
    bool scanning = false;
    int stops = 0;
    int fileRequests = 0;
    Delivered delivered;
    Cancelled cancelled;

    bool hasCamera() const override { return camera; }
    void start(const QList<Symbology>&, Delivered d, Cancelled c = {}) override
    {
        scanning = true;
        delivered = std::move(d);
        cancelled = std::move(c);
    }
    void stop() override
    {
        ++stops;
        scanning = false;
    }
    bool isScanning() const override { return scanning; }
    void scanImageFile(const QList<Symbology>&, Delivered d, Cancelled c = {}) override
    {
        ++fileRequests;
        delivered = std::move(d);
        cancelled = std::move(c);
    }

    // One delivery of codes, as they are.
    void deliver(const QList<ScannedCode>& codes) const
    {
        if (delivered)
            delivered(codes);
    }
    void cancel()
    {
        scanning = false;
        if (cancelled)
            cancelled();
    }
};
