#include "support/QuickFind.h"
#include "support/TestSandbox.h"
#include "ui/QmlInterface.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QString writePicture(const QString& path, const QSize& size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

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

TEST(PhotoSourceTest, SquareCropTakesTheCentre)
{
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QPainter(&wide).fillRect(100, 0, 100, 100, Qt::green);
    const QImage square = PhotoSource::squareCrop(wide, 50);
    EXPECT_EQ(square.size(), QSize(50, 50));
    EXPECT_EQ(square.pixelColor(2, 2), QColor(Qt::green));
    EXPECT_EQ(square.pixelColor(47, 47), QColor(Qt::green));
    EXPECT_EQ(PhotoSource::squareCrop(wide, 0).size(), wide.size());
    EXPECT_TRUE(PhotoSource::squareCrop(QImage(), 50).isNull());
}

TEST(PhotoSourceTest, APictureIsLookedAtAndCountsOnlyOnceUsed)
{
    TestSandbox sandbox;
    QmlInterface interface(true);
    interface.buildInterface();
    ASSERT_EQ(PhotoSource::shared(), interface.photoSource());
    QQuickWindow* window = interface.window();
    QQuickItem* picker = findQuickItem(window, "photoPicker");
    QQuickItem* review = findQuickItem(window, "photoReview");
    ASSERT_TRUE(picker && review);
    QmlPhotoSource* source = interface.photoSource();
    const QString red =
        writePicture(QDir(sandbox.root()).filePath("red.png"), QSize(90, 120), Qt::red);
    // The dialog answers with a file URL, as FileDialog.selectedFile does.
    const auto answer = [&](const QString& file) {
        QMetaObject::invokeMethod(picker, "answerFile",
                                  Q_ARG(QVariant, QUrl::fromLocalFile(file).toString()));
        return QTest::qWaitFor([&] { return review->isVisible(); });
    };

    // The picture is shown framed as it will be kept, and nothing is handed
    // over before it is used. (Choosing another is the order journey's.)
    Outcome outcome;
    outcome.ask(*source, false, QSize(64, 64));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
    ASSERT_TRUE(answer(red));
    EXPECT_EQ(source->reviewImage().size(), QSize(64, 64));
    QTest::qWait(1);
    EXPECT_TRUE(outcome.delivered.isEmpty());
    clickItem(window, findQuickItem(window, "photoUse"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.delivered.size() == 1; }));
    EXPECT_EQ(outcome.delivered[0].size(), QSize(64, 64));
    EXPECT_EQ(outcome.delivered[0].pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(outcome.cancelled, 0);
    EXPECT_EQ(picker->property("requestId").toInt(), 0);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_TRUE(QFile::exists(red)); // the salesman's own files stay

    // Cancelling the review hands nothing over.
    outcome.ask(*source, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
    ASSERT_TRUE(answer(red));
    clickItem(window, findQuickItem(window, "photoReviewCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.cancelled == 1; }));
    EXPECT_EQ(outcome.delivered.size(), 1);
}

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

    const QString capture = writePicture(source.captureLocation(), QSize(120, 90), Qt::black);
    source.fileChosen(id - 1, capture); // an answer to the replaced request is ignored
    EXPECT_TRUE(QFile::exists(capture));
    source.fileChosen(id, capture);
    EXPECT_FALSE(QFile::exists(capture)); // the capture is not kept
    source.fileChosen(id, capture);       // under review already
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
