#include "platform/PhotoSource.h"

namespace {
PhotoSource* g_shared = nullptr;
}

PhotoSource* PhotoSource::shared()
{
    return g_shared;
}

void PhotoSource::setShared(PhotoSource* source)
{
    g_shared = source;
}

QImage PhotoSource::squareCrop(const QImage& image, int size)
{
    if (image.isNull() || size <= 0)
        return image;
    const int side = qMin(image.width(), image.height());
    const QRect square((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    return image.copy(square).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
