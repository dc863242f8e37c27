#include "ui/QmlPhotoSource.h"

#include "platform/Sandbox.h"

#include <QCameraDevice>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QPointer>
#include <QQuickImageProvider>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

Q_LOGGING_CATEGORY(lcPhotos, "fieldbook.photos")

namespace {
// The picture under review, scaled to what the view asks for. Called on the
// main thread (the review's Image loads synchronously).
class ReviewProvider : public QQuickImageProvider
{
public:
    explicit ReviewProvider(QmlPhotoSource* source)
        : QQuickImageProvider(QQuickImageProvider::Image), _source(source)
    {}
    QImage requestImage(const QString&, QSize* size, const QSize& requestedSize) override
    {
        QImage image = _source ? _source->reviewImage() : QImage();
        if (size)
            *size = image.size();
        if (!image.isNull() && requestedSize.width() > 0 && requestedSize.height() > 0)
            image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image;
    }

private:
    QPointer<QmlPhotoSource> _source;
};
} // namespace

QmlPhotoSource::QmlPhotoSource(QObject* parent) : QObject(parent) {}

QmlPhotoSource::~QmlPhotoSource()
{
    if (PhotoSource::shared() == this)
        PhotoSource::setShared(nullptr);
}

QQuickImageProvider* QmlPhotoSource::createReviewProvider()
{
    return new ReviewProvider(this);
}

bool QmlPhotoSource::hasCamera() const
{
    if (qEnvironmentVariable("FIELDBOOK_CAMERA") == QLatin1String("none"))
        return false;
    return !QMediaDevices::videoInputs().isEmpty();
}

QString QmlPhotoSource::reviewSource() const
{
    if (_pending.review.isNull())
        return QString();
    return QStringLiteral("image://photoreview/%1").arg(_reviewSerial);
}

int QmlPhotoSource::begin(bool camera, const QSize& crop, Delivered delivered, Cancelled cancelled)
{
    cancelPending();
    _pending = Request{_nextId++, camera, crop, std::move(delivered), std::move(cancelled), {}};
    return _pending.id;
}

QmlPhotoSource::Request QmlPhotoSource::takePending()
{
    Request request = std::move(_pending);
    _pending = Request();
    if (!request.review.isNull())
        Q_EMIT reviewChanged();
    return request;
}

void QmlPhotoSource::cancelPending()
{
    if (_pending.id == 0)
        return;
    Cancelled cancelled = takePending().cancelled;
    Q_EMIT dismissRequested();
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}

void QmlPhotoSource::captureFromCamera(const QSize& squareCrop, Delivered delivered,
                                       Cancelled cancelled)
{
    Q_EMIT cameraRequested(begin(true, squareCrop, std::move(delivered), std::move(cancelled)));
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
    if (id != _pending.id || id == 0 || !_pending.review.isNull())
        return;
    const QString path = file.startsWith(QLatin1String("file:")) ? QUrl(file).toLocalFile() : file;
    QImageReader reader(path);
    reader.setAutoTransform(true); // a camera's orientation tag turns the picture upright
    QImage image = reader.read();
    if (_pending.camera)
        QFile::remove(path);
    if (image.isNull()) {
        qCWarning(lcPhotos) << "Not a picture:" << path << reader.errorString();
        Cancelled cancelled = takePending().cancelled;
        if (cancelled)
            QTimer::singleShot(0, this, cancelled);
        return;
    }
    if (_pending.crop.isValid())
        image = PhotoSource::squareCrop(image, _pending.crop.width());
    _pending.review = image;
    ++_reviewSerial;
    Q_EMIT reviewChanged();
    Q_EMIT reviewRequested(id);
}

void QmlPhotoSource::usePhoto(int id)
{
    if (id != _pending.id || id == 0 || _pending.review.isNull())
        return;
    Request request = takePending();
    if (request.delivered)
        QTimer::singleShot(0, this, [delivered = request.delivered, image = request.review]() {
            delivered(image);
        });
}

void QmlPhotoSource::retake(int id)
{
    if (id != _pending.id || id == 0 || _pending.review.isNull())
        return;
    _pending.review = QImage();
    Q_EMIT reviewChanged();
    if (_pending.camera)
        Q_EMIT cameraRequested(id);
    else
        Q_EMIT libraryRequested(id);
}

void QmlPhotoSource::cancelled(int id)
{
    if (id != _pending.id || id == 0)
        return;
    Cancelled cancelled = takePending().cancelled;
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}
