// The photo pickers behind the screens: a request at a time, answered once.
// (Choosing, looking at and using a picture on screen is the item list's.)
#include "support/TestSandbox.h"
#include "ui/QmlPhotoSource.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// What a request ended with: the pictures handed over and the cancels.
struct Outcome
{
    QList<QImage> delivered;
    int cancelled = 0;
    void ask(PhotoSource& source, bool camera, QSize crop = QSize())
    {
        auto onDelivered = [this](const QImage& i) { delivered << i; };
        auto onCancelled = [this] { ++cancelled; };
        if (camera)
            source.captureFromCamera(crop, onDelivered, onCancelled);
        else
            source.pickFromLibrary(crop, onDelivered, onCancelled);
    }
};
} // namespace

TEST(PhotoSourceTest, CapturesAreReadOnceAndBadFilesCancel)
{
    TestSandbox sandbox;
    QmlPhotoSource source;
    Outcome first;
    Outcome second;
    first.ask(source, true);
    // A second request replaces the first, which ends as cancelled.
    QSignalSpy camera(&source, &QmlPhotoSource::cameraRequested);
    second.ask(source, true);
    ASSERT_EQ(camera.count(), 1);
    const int id = camera.at(0).at(0).toInt();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.cancelled == 1; }));

    const QString capture = source.captureLocation();
    QImage photo(120, 90, QImage::Format_RGB32);
    photo.fill(Qt::black);
    ASSERT_TRUE(photo.save(capture, "PNG"));
    source.fileChosen(id - 1, capture); // an answer to the replaced request is ignored
    EXPECT_TRUE(QFile::exists(capture));
    source.fileChosen(id, capture);
    EXPECT_FALSE(QFile::exists(capture)); // the capture is not kept
    source.fileChosen(id, capture);       // under review already
    QTest::qWait(1);
    EXPECT_TRUE(second.delivered.isEmpty()); // nothing before it is used
    source.usePhoto(id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.delivered.size() == 1; }));
    EXPECT_EQ(second.delivered[0].size(), QSize(120, 90)); // no crop asked for
    source.usePhoto(id);                                   // answered already
    QTest::qWait(1);
    EXPECT_EQ(second.delivered.size(), 1);

    // A file that is no picture ends the request as cancelled.
    Outcome third;
    QSignalSpy library(&source, &QmlPhotoSource::libraryRequested);
    third.ask(source, false, QSize(10, 10));
    sandbox.writeFile("notes.txt", "not a picture");
    source.fileChosen(library.at(0).at(0).toInt(), QDir(sandbox.root()).filePath("notes.txt"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return third.cancelled == 1; }));
    EXPECT_TRUE(third.delivered.isEmpty());
}
