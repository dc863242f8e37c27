#pragma once

#include <QImage>
#include <QSize>
#include <functional>

// Where photos come from: the device's camera, or a picture the salesman picks
// from his files. Either way the salesman looks at the picture before it
// counts: he uses it, or takes (picks) another one, or closes the picker. One
// picker at a time; a new request replaces an open one, whose request then
// ends as cancelled. Answers arrive on the main thread, after the picker has
// closed: `delivered` with the picture the salesman chose to use, or
// `cancelled` when he closed the picker without one (nothing is handed over
// then). The interface implements this (QmlPhotoSource); tests use a fake.
class PhotoSource
{
public:
    using Delivered = std::function<void(const QImage& image)>;
    using Cancelled = std::function<void()>;

    virtual ~PhotoSource() = default;

    // True when a camera can be used.
    virtual bool hasCamera() const = 0;
    // Takes one photo with the camera, or lets the salesman pick a picture.
    // With a valid `squareCrop` the picture is cut to the largest centred
    // square and scaled to that size (the crop area is fixed; the salesman
    // does not move it) before he looks at it.
    virtual void captureFromCamera(const QSize& squareCrop, Delivered delivered,
                                   Cancelled cancelled = {}) = 0;
    virtual void pickFromLibrary(const QSize& squareCrop, Delivered delivered,
                                 Cancelled cancelled = {}) = 0;
    // Closes an open picker; its request ends as cancelled.
    virtual void dismiss() = 0;

    // The largest centred square of the image, scaled to size × size; the
    // image itself when it is null or the size is not positive.
    static QImage squareCrop(const QImage& image, int size);

    // The photo source of the running interface; null until it sets one.
    static PhotoSource* shared();
    static void setShared(PhotoSource* source);
};
