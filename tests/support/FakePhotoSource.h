#pragma once

#include "platform/PhotoSource.h"

#include <QList>

// Records what the root screen asked of the photo pickers and lets the test
// answer as the salesman would: a picture he chose to use, or cancel.
class FakePhotoSource : public PhotoSource
{
public:
    struct Request
    {
        bool camera = false;
        QSize crop;
        Delivered delivered;
        Cancelled cancelled;
    };

    bool camera = true;
    QList<Request> requests;

    bool hasCamera() const override { return camera; }
    void captureFromCamera(const QSize& squareCrop, Delivered delivered,
                           Cancelled cancelled = {}) override
    {
        requests << Request{true, squareCrop, std::move(delivered), std::move(cancelled)};
    }
    void pickFromLibrary(const QSize& squareCrop, Delivered delivered,
                         Cancelled cancelled = {}) override
    {
        requests << Request{false, squareCrop, std::move(delivered), std::move(cancelled)};
    }
    void dismiss() override {}

    // Answers the last request with the picture (cropped as the real pickers do).
    void deliver(const QImage& image)
    {
        const Request& r = requests.last();
        if (r.delivered)
            r.delivered(r.crop.isValid() ? squareCrop(image, r.crop.width()) : image);
    }
};
