#pragma once

#include "platform/PhotoSource.h"

#include <QImage>
#include <QObject>
#include <QUrl>

class QQuickImageProvider;

// The photo pickers drawn by the window's PhotoPicker (qml/PhotoPicker.qml): a
// camera viewfinder (Qt Multimedia) where the device has a camera, and a file
// dialog for pictures. Requests go out as signals, answers come back through
// the invokables; the picture is always read from a file, so the camera's
// capture and a picked file take the same road.
//
// A picture read is not handed over at once: it waits, cropped as asked, for
// the salesman to look at it (reviewSource) and use it, take or pick another
// one (the same picker opens again), or close the picker.
class QmlPhotoSource : public QObject, public PhotoSource
{
    Q_OBJECT
    // The picture under review as an image URL; empty while there is none.
    Q_PROPERTY(QString reviewSource READ reviewSource NOTIFY reviewChanged)

public:
    explicit QmlPhotoSource(QObject* parent = nullptr);
    ~QmlPhotoSource() override;

    // A video input is present (FIELDBOOK_CAMERA=none hides it, for demos).
    bool hasCamera() const override;
    void captureFromCamera(const QSize& squareCrop, Delivered delivered,
                           Cancelled cancelled = {}) override;
    void pickFromLibrary(const QSize& squareCrop, Delivered delivered,
                         Cancelled cancelled = {}) override;
    void dismiss() override;

    // From the picker: the request's picture is in this file, a path or a
    // "file:" URL (a camera capture is removed once read). A picture goes to
    // review; a file that is not one ends the request as cancelled.
    Q_INVOKABLE void fileChosen(int id, const QString& file);
    // The salesman's answer to the review: the picture is handed over, or
    // dropped and the same picker opens again for another.
    Q_INVOKABLE void usePhoto(int id);
    Q_INVOKABLE void retake(int id);
    // The salesman closed the picker (or the review).
    Q_INVOKABLE void cancelled(int id);
    // Where the camera writes its capture.
    Q_INVOKABLE QString captureLocation() const;
    // Where the file picker opens: the pictures folder, else the home folder.
    Q_INVOKABLE QUrl picturesFolder() const;

    QString reviewSource() const;
    QImage reviewImage() const { return _pending.review; }
    // Serves "image://photoreview/…" from the picture under review; the
    // engine that it is added to owns it.
    QQuickImageProvider* createReviewProvider();

Q_SIGNALS:
    // The camera or the file dialog opens for the request (again, after a
    // retake); the picture of the request is ready for review.
    void cameraRequested(int id);
    void libraryRequested(int id);
    void reviewRequested(int id);
    void dismissRequested();
    void reviewChanged();

private:
    struct Request
    {
        int id = 0;
        bool camera = false;
        QSize crop;
        Delivered delivered;
        Cancelled cancelled;
        QImage review;
    };
    int begin(bool camera, const QSize& crop, Delivered delivered, Cancelled cancelled);
    // Ends the open request as cancelled (deferred).
    void cancelPending();
    // Forgets the open request and answers nothing.
    Request takePending();

    Request _pending;
    int _nextId = 1;
    // Makes every picture under review a new URL, so that none is shown from
    // the cache of an earlier one.
    int _reviewSerial = 0;
};
