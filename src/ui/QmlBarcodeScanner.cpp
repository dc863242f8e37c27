#include "ui/QmlBarcodeScanner.h"

#include "platform/BarcodeDecoder.h"

#include <QCameraDevice>
#include <QDir>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QStandardPaths>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

Q_LOGGING_CATEGORY(lcScanner, "fieldbook.scanner")

namespace {
// Reading a frame takes a good part of a frame's time; a few reads a second
// find a code as soon as the salesman holds it still.
constexpr qint64 kReadInterval = 150; // milliseconds
// Frames are read at this width at most: codes stay legible, reads stay short.
constexpr int kReadWidth = 1280;
} // namespace

QmlBarcodeScanner::QmlBarcodeScanner(QObject* parent) : QObject(parent) {}

QmlBarcodeScanner::~QmlBarcodeScanner()
{
    unwatch();
    if (BarcodeScanner::shared() == this)
        BarcodeScanner::setShared(nullptr);
}

bool QmlBarcodeScanner::hasCamera() const
{
    if (qEnvironmentVariable("FIELDBOOK_CAMERA") == QLatin1String("none"))
        return false;
    return !QMediaDevices::videoInputs().isEmpty();
}

void QmlBarcodeScanner::start(const QList<Symbology>& kinds, Delivered delivered,
                              Cancelled cancelled)
{
    ++_scanId;
    _kinds = kinds;
    _delivered = std::move(delivered);
    _cancelled = std::move(cancelled);
    _deliveryPending = false;
    _lastRead.invalidate();
    if (!hasCamera())
        cameraFailed(QStringLiteral("no camera to scan with"));
    if (!_scanning) {
        _scanning = true;
        Q_EMIT scanningChanged();
    }
}

void QmlBarcodeScanner::stop()
{
    ++_scanId;
    _delivered = nullptr;
    _cancelled = nullptr;
    unwatch();
    if (_scanning) {
        _scanning = false;
        Q_EMIT scanningChanged();
    }
}

void QmlBarcodeScanner::cancel()
{
    if (!_scanning)
        return;
    Cancelled cancelled = std::move(_cancelled);
    stop();
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}

void QmlBarcodeScanner::cameraFailed(const QString& message)
{
    qCWarning(lcScanner).noquote() << QStringLiteral("Error: %1").arg(message);
}

void QmlBarcodeScanner::watch(QObject* videoSink)
{
    unwatch();
    _sink = qobject_cast<QVideoSink*>(videoSink);
    if (!_sink)
        return;
    // The sink may be fed on the camera's thread; its frames are read here,
    // on the main thread, and only the latest one counts.
    _sinkConnection = connect(_sink, &QVideoSink::videoFrameChanged, this,
                              &QmlBarcodeScanner::sinkFrame, Qt::QueuedConnection);
}

void QmlBarcodeScanner::unwatch()
{
    if (_sinkConnection)
        disconnect(_sinkConnection);
    _sinkConnection = {};
    _sink = nullptr;
}

void QmlBarcodeScanner::sinkFrame()
{
    if (!_scanning || !_sink || _deliveryPending)
        return;
    if (_lastRead.isValid() && _lastRead.elapsed() < kReadInterval)
        return;
    _lastRead.start();
    QImage image = _sink->videoFrame().toImage();
    if (image.width() > kReadWidth)
        image = image.scaledToWidth(kReadWidth, Qt::FastTransformation);
    frameArrived(image);
}

void QmlBarcodeScanner::frameArrived(const QImage& frame)
{
    if (!_scanning || _deliveryPending)
        return;
    const QList<ScannedCode> codes = BarcodeDecoder::decode(frame, _kinds);
    if (codes.isEmpty())
        return;
    _deliveryPending = true;
    const int scan = _scanId;
    QTimer::singleShot(0, this, [this, scan, codes]() {
        _deliveryPending = false;
        if (!_scanning || scan != _scanId || !_delivered)
            return;
        const Delivered delivered = _delivered; // the delivery may stop this scan
        delivered(codes);
    });
}

void QmlBarcodeScanner::scanImageFile(const QList<Symbology>& kinds, Delivered delivered,
                                      Cancelled cancelled)
{
    if (_file.id != 0) {
        Cancelled previous = std::move(_file.cancelled);
        _file = FileRequest();
        Q_EMIT fileDismissRequested();
        if (previous)
            QTimer::singleShot(0, this, previous);
    }
    _file = FileRequest{_nextFileId++, kinds, std::move(delivered), std::move(cancelled)};
    Q_EMIT fileRequested(_file.id);
}

void QmlBarcodeScanner::fileChosen(int id, const QString& file)
{
    if (id == 0 || id != _file.id)
        return;
    FileRequest request = std::exchange(_file, FileRequest());
    const QString path = file.startsWith(QLatin1String("file:")) ? QUrl(file).toLocalFile() : file;
    const QList<ScannedCode> codes = BarcodeDecoder::decodeFile(path, request.kinds);
    if (codes.isEmpty())
        qCInfo(lcScanner) << "No barcode in" << path;
    deliverLater(request.delivered, codes);
}

void QmlBarcodeScanner::fileCancelled(int id)
{
    if (id == 0 || id != _file.id)
        return;
    Cancelled cancelled = std::exchange(_file, FileRequest()).cancelled;
    if (cancelled)
        QTimer::singleShot(0, this, cancelled);
}

void QmlBarcodeScanner::deliverLater(const Delivered& delivered, const QList<ScannedCode>& codes)
{
    if (delivered)
        QTimer::singleShot(0, this, [delivered, codes]() { delivered(codes); });
}

QUrl QmlBarcodeScanner::picturesFolder() const
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return QUrl::fromLocalFile(pictures);
    return QUrl::fromLocalFile(QDir::homePath());
}
