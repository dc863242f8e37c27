#include "ui/RQImageProvider.h"

#include "support/RQImage.h"

#include <QUrl>

RQImageProvider::RQImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage RQImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    // Ids may carry a "?n" suffix so that a view can ask again for a picture
    // that has been replaced on disk.
    QString path = QUrl::fromPercentEncoding(id.toUtf8());
    const qsizetype query = path.indexOf(QLatin1Char('?'));
    if (query >= 0)
        path.truncate(query);
    QImage image = RQImage::imageNamed(path);
    if (size)
        *size = image.size();
    if (!image.isNull() && requestedSize.isValid() && requestedSize.width() > 0 && requestedSize.height() > 0)
        image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
