#pragma once

#include <QQuickImageProvider>

// Serves "image://rq/<relative path>" to the views: the cache first, then the
// application's resource folder for this screen.
class RQImageProvider : public QQuickImageProvider
{
public:
    RQImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};
