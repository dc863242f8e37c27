#pragma once

#include "platform/BarcodeScanner.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QVideoSink;

// The barcode scanner drawn by the window's BarcodeScannerLayer
// (qml/BarcodeScannerLayer.qml): the camera's picture over the screen while a
// scan runs (Qt Multimedia), or a file dialog for a picture of a barcode. The
// view hands over the video sink of its viewfinder; its frames are read with
// BarcodeDecoder on the main thread, a few times a second, and every frame
// that holds codes of the asked kinds is delivered on the next turn of the
// event loop.
class QmlBarcodeScanner : public QObject, public BarcodeScanner
{
    Q_OBJECT
    // A camera scan runs: the layer shows the viewfinder.
    Q_PROPERTY(bool scanning READ isScanning NOTIFY scanningChanged)
    // The viewfinder is built only where there is a camera.
    Q_PROPERTY(bool cameraAvailable READ hasCamera CONSTANT)

public:
    explicit QmlBarcodeScanner(QObject* parent = nullptr);
    ~QmlBarcodeScanner() override;

    // A video input is present (FIELDBOOK_CAMERA=none hides it, for demos).
    bool hasCamera() const override;
    void start(const QList<Symbology>& kinds, Delivered delivered,
               Cancelled cancelled = {}) override;
    void stop() override;
    bool isScanning() const override { return _scanning; }
    void scanImageFile(const QList<Symbology>& kinds, Delivered delivered,
                       Cancelled cancelled = {}) override;

    // From the viewfinder: the sink whose frames are read from now on.
    Q_INVOKABLE void watch(QObject* videoSink);
    // One camera frame: read, and delivered when it holds codes. Frames come
    // from the watched sink; tests hand pictures in directly.
    void frameArrived(const QImage& frame);
    // The salesman closed the viewfinder.
    Q_INVOKABLE void cancel();
    // The camera could not be used; the viewfinder stays dark.
    Q_INVOKABLE void cameraFailed(const QString& message);

    // From the file dialog: the picture the salesman chose (a path or a
    // "file:" URL), or none.
    Q_INVOKABLE void fileChosen(int id, const QString& file);
    Q_INVOKABLE void fileCancelled(int id);
    // Where the file dialog opens: the pictures folder, else the home folder.
    Q_INVOKABLE QUrl picturesFolder() const;

Q_SIGNALS:
    void scanningChanged();
    void fileRequested(int id);
    void fileDismissRequested();

private:
    void sinkFrame();
    void unwatch();
    void deliverLater(const Delivered& delivered, const QList<ScannedCode>& codes);

    bool _scanning = false;
    // Each scan has its own number, so a frame read for an earlier scan is
    // never delivered to a later one.
    int _scanId = 0;
    QList<Symbology> _kinds;
    Delivered _delivered;
    Cancelled _cancelled;
    bool _deliveryPending = false;
    QElapsedTimer _lastRead;
    QPointer<QVideoSink> _sink;
    QMetaObject::Connection _sinkConnection;

    struct FileRequest
    {
        int id = 0;
        QList<Symbology> kinds;
        Delivered delivered;
        Cancelled cancelled;
    };
    FileRequest _file;
    int _nextFileId = 1;
};
