// The item catalogue drawn offscreen: the grid with its pictures, touches,
// search, and barcodes read from picture files and camera frames.
#include "support/BarcodeImages.h"
#include "support/ScreenFixture.h"
#include "workflow/ItemListViewController.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QColor kRed(220, 20, 30);

struct ItemListViewFixture : ScreenFixture
{
    void SetUp() override
    {
        qputenv("FIELDBOOK_CAMERA", "none");
        ASSERT_NO_FATAL_FAILURE(ScreenFixture::SetUp());
        // A100 has its picture on the device; the others show no_image.png.
        QDir().mkpath(sandbox.caches() + "/material");
        ASSERT_TRUE(filled(QSize(120, 120), kRed).save(sandbox.caches() + "/material/A100.jpg"));
        ASSERT_NO_FATAL_FAILURE(logIn());
        NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                                 {{"headerViewButtonTag", 11}});
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("itemCell3") != nullptr; }, 3000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("itemListView")->opacity() == 1.0; }, 2000));
    }
    void TearDown() override
    {
        ScreenFixture::TearDown();
        qunsetenv("FIELDBOOK_CAMERA");
    }
    static QImage filled(QSize size, QColor colour)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    ItemListViewController* items() const { return screen<ItemListViewController>(); }
    int shown() const { return items() ? int(items()->itemListArray().size()) : -1; }
    // The average colour of a cell's picture area as drawn, and how far it is from another.
    QColor drawnColour(const char* cell) const
    {
        settleFrames(window());
        QQuickItem* area = in(item(cell), "pictureArea");
        const QRect r = area->mapRectToScene(QRectF(0, 0, area->width(), area->height())).toRect();
        return window()
            ->grabWindow()
            .copy(r)
            .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .pixelColor(0, 0);
    }
    static int distance(QColor a, QColor b)
    {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
    }
    // Answers a file dialog (the photo picker's or the scanner's) with a picture file.
    void answerFile(QQuickItem* dialog, const QImage& picture, const QString& name)
    {
        const QString file = QDir(sandbox.root()).filePath(name);
        ASSERT_TRUE(picture.save(file));
        QMetaObject::invokeMethod(dialog, "answerFile",
                                  Q_ARG(QVariant, QUrl::fromLocalFile(file).toString()));
    }
};
} // namespace

TEST_F(ItemListViewFixture, TouchesSearchAndPhotosReachTheController)
{
    // Three columns (width − 20) / 3 wide, 10 apart (on whole pixels); height the width + 60.
    QQuickItem* grid = item("itemGrid");
    const qreal w = (grid->width() - 20) / 3;
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        QQuickItem* cell = item(qPrintable(u"itemCell%1"_s.arg(n)));
        ASSERT_NE(cell, nullptr);
        const QPointF at = cell->mapToItem(grid, QPointF(0, 0));
        EXPECT_NEAR(cell->width(), w, 0.5);
        EXPECT_NEAR(cell->height(), w + 60, 0.01);
        EXPECT_NEAR(at.x(), n % 3 * (w + 10), 0.5);
        EXPECT_NEAR(at.y(), n / 3 * (w + 60), 0.01);
    }
    // A100's picture fills its square; B200 shows no_image.png, not red.
    EXPECT_LT(distance(drawnColour("itemCell1"), kRed), 40);
    EXPECT_GT(distance(drawnColour("itemCell2"), kRed), 200);
    EXPECT_EQ(in(item("itemCell2"), "picture")->property("status").toInt(), 1);

    // Typing in the search bar filters the grid.
    clickItem(window(), item("searchField"));
    for (char c : QByteArray("a12"))
        QTest::keyClick(window(), c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == 2; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("searchCancel")->isVisible(); }));
    clickItem(window(), item("searchCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == 4; }));
    EXPECT_TRUE(itemText(item("searchField")).isEmpty());

    // Without a camera a touch opens the picture files. The picture chosen is
    // looked at first: cancelled there it is not kept; used, it becomes the
    // item's and shows in its cell (once the file dialog has faded out).
    QQuickItem* picker = item("photoPicker");
    const QColor blue(20, 60, 220);
    const auto pick = [&](const char* answer) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("itemCell2") != nullptr; }));
        clickItem(window(), item("itemCell2"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
        answerFile(picker, filled(QSize(300, 200), blue), "shelf.png");
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("photoReview")->isVisible(); }));
        clickItem(window(), item(answer));
    };
    ASSERT_NO_FATAL_FAILURE(pick("photoReviewCancel"));
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(sandbox.caches() + "/material/B200.jpg"));
    ASSERT_NO_FATAL_FAILURE(pick("photoUse"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return distance(drawnColour("itemCell2"), blue) < 40; }, 3000));
    // The salesman's own file stays.
    EXPECT_TRUE(QFile::exists(QDir(sandbox.root()).filePath("shelf.png")));
}

TEST_F(ItemListViewFixture, TheBarcodeButtonReadsAPictureFileWithoutACamera)
{
    QQuickItem* layer = item("barcodeScanner");
    ASSERT_NE(layer, nullptr);
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", 50}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return layer->property("fileRequestId").toInt() != 0; }));
    answerFile(layer, BarcodeImages::draw(Symbology::Code128, "B200"), "label.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("scanBar")->isVisible(); }));
    EXPECT_TRUE(itemText(item("scanLabel")).contains("B200"));
    EXPECT_EQ(itemText(in(item("itemCell0"), "skuCodeLabel")), "B200");

    // The bar leads back to the whole catalogue.
    clickItem(window(), in(item("scanBar"), "scanShowAll"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == 4; }));
    EXPECT_FALSE(item("scanBar")->isVisible());
}

TEST_F(ItemListViewFixture, TheCameraLayerReadsFramesAndCanBeClosed)
{
    QmlBarcodeScanner* scanner = interface->barcodeScanner();
    ASSERT_EQ(BarcodeScanner::shared(), scanner);
    QQuickItem* layer = item("barcodeScanner");

    QList<QList<ScannedCode>> deliveries;
    int cancels = 0;
    scanner->start(
        {Symbology::Code128, Symbology::QR},
        [&](const QList<ScannedCode>& codes) { deliveries << codes; }, [&] { ++cancels; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return layer->isVisible(); }));
    // The picture covers the screen below the header, not the header.
    EXPECT_NEAR(layer->mapToScene(QPointF(0, 0)).y(), item("headerBar")->height(), 0.5);
    // Without a camera the viewfinder is not built.
    EXPECT_FALSE(item("barcodeCameraView")->property("active").toBool());

    // Frames are read, never inside the call; a frame without a code of the
    // asked kinds is not delivered.
    scanner->frameArrived(BarcodeImages::draw(Symbology::DataMatrix, "A100"));
    scanner->frameArrived(BarcodeImages::stack({BarcodeImages::draw(Symbology::QR, "NOPE"),
                                                BarcodeImages::draw(Symbology::Code128, "A100")}));
    EXPECT_TRUE(deliveries.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.size() == 1; }));
    EXPECT_EQ(deliveries[0].size(), 2);

    clickItem(window(), item("barcodeCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancels == 1 && !layer->isVisible(); }));
    // Nothing is delivered once stopped.
    scanner->frameArrived(BarcodeImages::draw(Symbology::Code128, "A100"));
    QTest::qWait(50);
    EXPECT_EQ(deliveries.size(), 1);
}
