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
QString writePicture(const QString& path, const QSize& size, QColor left, QColor right)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(left);
    QPainter(&image).fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(),
                              right);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

struct Outcome
{
    QList<QImage> delivered;
    int cancelled = 0;
    PhotoSource::Delivered onDelivered()
    {
        return [this](const QImage& i) { delivered << i; };
    }
    PhotoSource::Cancelled onCancelled()
    {
        return [this]() { ++cancelled; };
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
    ASSERT_NE(picker, nullptr);
    QmlPhotoSource* source = interface.photoSource();
    QSignalSpy library(source, &QmlPhotoSource::libraryRequested);
    const QString blue = writePicture(QDir(sandbox.root()).filePath("wide.png"), QSize(400, 200),
                                      Qt::blue, Qt::yellow);
    const QString red =
        writePicture(QDir(sandbox.root()).filePath("red.png"), QSize(90, 120), Qt::red, Qt::red);

    Outcome outcome;
    source->pickFromLibrary(QSize(64, 64), outcome.onDelivered(), outcome.onCancelled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
    // The dialog answers with a file URL, as FileDialog.selectedFile does. The
    // picture is shown framed as it will be kept, and nothing is handed over.
    QMetaObject::invokeMethod(picker, "answerFile",
                              Q_ARG(QVariant, QUrl::fromLocalFile(blue).toString()));
    QQuickItem* review = findQuickItem(window, "photoReview");
    ASSERT_TRUE(QTest::qWaitFor([&] { return review->isVisible(); }));
    EXPECT_EQ(source->reviewImage().size(), QSize(64, 64));
    EXPECT_EQ(itemText(findQuickItem(window, "photoRetake")), "Choose another");
    QTest::qWait(1);
    EXPECT_TRUE(outcome.delivered.isEmpty());

    // Another one: the file dialog opens again for the same request.
    clickItem(window, findQuickItem(window, "photoRetake"));
    ASSERT_EQ(library.count(), 2);
    EXPECT_FALSE(review->isVisible());
    EXPECT_TRUE(source->reviewSource().isEmpty());
    QMetaObject::invokeMethod(picker, "answerFile",
                              Q_ARG(QVariant, QUrl::fromLocalFile(red).toString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return review->isVisible(); }));
    clickItem(window, findQuickItem(window, "photoUse"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.delivered.size() == 1; }));
    EXPECT_EQ(outcome.delivered[0].size(), QSize(64, 64));
    EXPECT_EQ(outcome.delivered[0].pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(outcome.cancelled, 0);
    EXPECT_EQ(picker->property("requestId").toInt(), 0);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_TRUE(QFile::exists(blue)); // the salesman's own files stay

    // Cancelling the review hands nothing over.
    source->pickFromLibrary(QSize(), outcome.onDelivered(), outcome.onCancelled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
    QMetaObject::invokeMethod(picker, "answerFile", Q_ARG(QVariant, blue));
    ASSERT_TRUE(QTest::qWaitFor([&] { return review->isVisible(); }));
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
    source.captureFromCamera(QSize(), first.onDelivered(), first.onCancelled());
    // A second request replaces the first, which ends as cancelled.
    QSignalSpy camera(&source, &QmlPhotoSource::cameraRequested);
    source.captureFromCamera(QSize(), second.onDelivered(), second.onCancelled());
    ASSERT_EQ(camera.count(), 1);
    const int id = camera.at(0).at(0).toInt();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.cancelled == 1; }));

    const QString capture =
        writePicture(source.captureLocation(), QSize(120, 90), Qt::black, Qt::white);
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

    Outcome third;
    QSignalSpy library(&source, &QmlPhotoSource::libraryRequested);
    source.pickFromLibrary(QSize(10, 10), third.onDelivered(), third.onCancelled());
    const QString notAPicture = QDir(sandbox.root()).filePath("notes.txt");
    QFile text(notAPicture);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    source.fileChosen(library.at(0).at(0).toInt(), notAPicture);
    ASSERT_TRUE(QTest::qWaitFor([&] { return third.cancelled == 1; }));
    EXPECT_TRUE(third.delivered.isEmpty());
}
