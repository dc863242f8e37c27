#pragma once

#include "platform/PhotoSource.h"

#include <QObject>
#include <QUrl>

// The photo pickers drawn by the window's PhotoPicker (qml/PhotoPicker.qml): a
// camera viewfinder (Qt Multimedia) where the device has a camera, and a file
// dialog for pictures. Requests go out as signals, answers come back through
// the invokables; the picture is always read from a file, so the camera's
// capture and a picked file take the same road.
class QmlPhotoSource : public QObject, public PhotoSource
{
    Q_OBJECT

public:
    explicit QmlPhotoSource(QObject* parent = nullptr);
    ~QmlPhotoSource() override;

    // A video input is present (FIELDBOOK_CAMERA=none hides it, for demos).
    bool hasCamera() const override;
    void captureFromCamera(Delivered delivered, Cancelled cancelled = {}) override;
    void pickFromLibrary(const QSize& squareCrop, Delivered delivered,
                         Cancelled cancelled = {}) override;
    void dismiss() override;

    // From the picker: the request's picture is in this file, a path or a
    // "file:" URL (a camera capture is removed once read), or the salesman
    // closed the picker.
    Q_INVOKABLE void fileChosen(int id, const QString& file);
    Q_INVOKABLE void cancelled(int id);
    // Where the camera writes its capture.
    Q_INVOKABLE QString captureLocation() const;
    // Where the file picker opens: the pictures folder, else the home folder.
    Q_INVOKABLE QUrl picturesFolder() const;

Q_SIGNALS:
    void cameraRequested(int id);
    void libraryRequested(int id);
    void dismissRequested();

private:
    struct Request
    {
        int id = 0;
        bool camera = false;
        QSize crop;
        Delivered delivered;
        Cancelled cancelled;
    };
    int begin(bool camera, const QSize& crop, Delivered delivered, Cancelled cancelled);
    // Ends the open request as cancelled (deferred).
    void cancelPending();

    Request _pending;
    int _nextId = 1;
};
