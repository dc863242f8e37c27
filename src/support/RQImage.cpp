#include "support/RQImage.h"

#include "support/RQFile.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <optional>

namespace {
QString& resourceFolder()
{
    static QString folder;
    return folder;
}
std::optional<qreal>& scaleFactor()
{
    static std::optional<qreal> scale;
    return scale;
}

bool isReadableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}
} // namespace

void RQImage::setResourcePath(const QString& folder)
{
    resourceFolder() = folder;
}

QString RQImage::getResourcePath()
{
    return resourceFolder();
}

qreal RQImage::getSystemScaleFactor()
{
    if (!scaleFactor()) {
        qreal scale = 1.0;
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QGuiApplication::primaryScreen())
            scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        scaleFactor() = scale > 0 ? scale : 1.0;
    }
    return *scaleFactor();
}

void RQImage::setSystemScaleFactor(qreal scale)
{
    scaleFactor() = scale;
}

QString RQImage::resourceFolderFor(bool tabletIdiom, qreal scale)
{
    if (tabletIdiom)
        return scale > 1.0 ? QStringLiteral("1536x2048") : QStringLiteral("768x1024");
    return scale == 3.0 ? QStringLiteral("1242x2208") : QStringLiteral("750x1334");
}

QString RQImage::pathForImageNamed(const QString& relativePath)
{
    if (relativePath.isEmpty())
        return QString();
    const QString cached = RQFile::makeFilePathInCache(relativePath);
    if (isReadableFile(cached))
        return cached;
    const QString bundled =
        RQFile::joinPath(RQFile::makeFilePathInApplication(resourceFolder()), relativePath);
    if (isReadableFile(bundled))
        return bundled;
    return QString();
}

QImage RQImage::imageNamed(const QString& relativePath)
{
    const QString path = pathForImageNamed(relativePath);
    if (path.isNull())
        return QImage();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    QImage image = QImage::fromData(file.readAll());
    if (image.isNull())
        return QImage();
    const qreal scale = getSystemScaleFactor();
    if (scale >= 2.0)
        image.setDevicePixelRatio(scale);
    return image;
}
