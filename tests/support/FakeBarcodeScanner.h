#pragma once

#include "platform/BarcodeDecoder.h"
#include "platform/BarcodeScanner.h"

#include <QList>

// Records what a screen asked of the barcode scanner and lets the test hand
// it codes, as the camera or a picture file would. Pictures are read with
// BarcodeDecoder for the kinds the screen asked for, as the real scanner does.
class FakeBarcodeScanner : public BarcodeScanner
{
public:
    bool camera = true;
    bool scanning = false;
    int starts = 0;
    int stops = 0;
    int fileRequests = 0;
    QList<Symbology> kinds; // of the last request
    Delivered delivered;
    Cancelled cancelled;

    bool hasCamera() const override { return camera; }
    void start(const QList<Symbology>& k, Delivered d, Cancelled c = {}) override
    {
        ++starts;
        scanning = true;
        kinds = k;
        delivered = std::move(d);
        cancelled = std::move(c);
    }
    void stop() override
    {
        ++stops;
        scanning = false;
    }
    bool isScanning() const override { return scanning; }
    void scanImageFile(const QList<Symbology>& k, Delivered d, Cancelled c = {}) override
    {
        ++fileRequests;
        kinds = k;
        delivered = std::move(d);
        cancelled = std::move(c);
    }

    // One delivery of codes, as they are.
    void deliver(const QList<ScannedCode>& codes) const
    {
        if (delivered)
            delivered(codes);
    }
    // A camera frame: the codes the decoder reads in it, when there are any.
    void deliverFrame(const QImage& frame) const
    {
        const QList<ScannedCode> codes = BarcodeDecoder::decode(frame, kinds);
        if (!codes.isEmpty())
            deliver(codes);
    }
    // The salesman picked this picture file.
    void chooseFile(const QString& path) const { deliver(BarcodeDecoder::decodeFile(path, kinds)); }
    void cancel()
    {
        scanning = false;
        if (cancelled)
            cancelled();
    }
};
