#include "ui/QmlPhotoSource.h"

#include "platform/Sandbox.h"

#include <QCameraDevice>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcPhotos, "fieldbook.photos")

QmlPhotoSource::QmlPhotoSource(QObject* parent) : QObject(parent) {}

QmlPhotoSource::~QmlPhotoSource()
{
    if (PhotoSource::shared() == this)
        PhotoSource::setShared(nullptr);
}

bool QmlPhotoSource::hasCamera() const
{
    if (qEnvironmentVariable("FIELDBOOK_CAMERA") == QLatin1String("none"))
        return false;
    return !QMediaDevices::videoInputs().isEmpty();
}

int QmlPhotoSource::begin(bool camera, const QSize& crop, Delivered delivered, Cancelled cancelled)
{
    cancelPending();
    _pending = Request{_nextId++, camera, crop, std::move(delivered), std::move(cancelled)};
    return _pending.id;
}

void QmlPhotoSource::cancelPending()
{
    if (_pending.id == 0)
        return;
    Cancelled cancelled = std::move(_pending.cancelled);
    _pending = Request();
    Q_EMIT dismissRequested();
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}

void QmlPhotoSource::captureFromCamera(Delivered delivered, Cancelled cancelled)
{
    Q_EMIT cameraRequested(begin(true, QSize(), std::move(delivered), std::move(cancelled)));
}

void QmlPhotoSource::pickFromLibrary(const QSize& squareCrop, Delivered delivered,
                                     Cancelled cancelled)
{
    Q_EMIT libraryRequested(begin(false, squareCrop, std::move(delivered), std::move(cancelled)));
}

void QmlPhotoSource::dismiss()
{
    cancelPending();
}

QString QmlPhotoSource::captureLocation() const
{
    const QString folder = QDir(Sandbox::cachesDirectory()).filePath(QStringLiteral("capture"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("camera.jpg"));
}

QUrl QmlPhotoSource::picturesFolder() const
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return QUrl::fromLocalFile(pictures);
    return QUrl::fromLocalFile(QDir::homePath());
}

void QmlPhotoSource::fileChosen(int id, const QString& file)
{
    if (id != _pending.id || id == 0)
        return;
    Request request = std::move(_pending);
    _pending = Request();
    const QString path = file.startsWith(QLatin1String("file:")) ? QUrl(file).toLocalFile() : file;
    QImageReader reader(path);
    reader.setAutoTransform(true); // a camera's orientation tag turns the picture upright
    QImage image = reader.read();
    if (request.camera)
        QFile::remove(path);
    if (image.isNull()) {
        qCWarning(lcPhotos) << "Not a picture:" << path << reader.errorString();
        if (request.cancelled)
            QTimer::singleShot(0, this, request.cancelled);
        return;
    }
    if (request.crop.isValid())
        image = PhotoSource::squareCrop(image, request.crop.width());
    if (request.delivered)
        QTimer::singleShot(0, this, [delivered = request.delivered, image]() { delivered(image); });
}

void QmlPhotoSource::cancelled(int id)
{
    if (id != _pending.id || id == 0)
        return;
    Cancelled cancelled = std::move(_pending.cancelled);
    _pending = Request();
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}
