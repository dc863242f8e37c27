// The item catalogue drawn offscreen: the grid with its pictures, touches,
// search, and barcodes read from picture files and camera frames.
#include "support/BarcodeImages.h"
#include "support/ScreenFixture.h"
#include "workflow/ItemListViewController.h"

#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
// The share of an item's pixels on screen close to a colour.
double shareOf(QQuickWindow* window, QQuickItem* item, QColor colour)
{
    settleFrames(window);
    const QImage frame = window->grabWindow();
    const QRect area =
        item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).toRect() & frame.rect();
    int close = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = frame.pixelColor(x, y);
            close += qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) +
                         qAbs(c.blue() - colour.blue()) <
                     60;
        }
    return area.isEmpty() ? 0 : double(close) / (area.width() * area.height());
}

struct ItemListViewFixture : ScreenFixture
{
    void SetUp() override
    {
        qputenv("FIELDBOOK_CAMERA", "none");
        ASSERT_NO_FATAL_FAILURE(ScreenFixture::SetUp());
        // A100 has its picture on the device; the others show no_image.png.
        QDir().mkpath(sandbox.caches() + "/material");
        QImage red(120, 120, QImage::Format_RGB32);
        red.fill(QColor(220, 20, 30));
        ASSERT_TRUE(red.save(sandbox.caches() + "/material/A100.jpg", "JPG"));

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
    ItemListViewController* items() const { return screen<ItemListViewController>(); }
    int shown() const { return items() ? int(items()->itemListArray().size()) : -1; }
};
} // namespace

TEST_F(ItemListViewFixture, TheGridShowsThreeColumnsWithPicturesAndLabels)
{
    ASSERT_NE(items(), nullptr);
    QQuickItem* grid = item("itemGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->property("count").toInt(), 4);
    EXPECT_EQ(itemText(in(item("itemCell1"), "skuCodeLabel")), "A100");
    EXPECT_EQ(itemText(in(item("itemCell1"), "descriptionLabel")), "Item A100");

    // Three columns (width − 20) / 3 wide, 10 apart; height the width + 60.
    const qreal w = (grid->width() - 20) / 3;
    for (int column = 0; column < 3; ++column) {
        QQuickItem* cell = item(qPrintable(QStringLiteral("itemCell%1").arg(column)));
        ASSERT_NE(cell, nullptr);
        // (on whole pixels)
        EXPECT_NEAR(cell->width(), w, 0.5);
        EXPECT_NEAR(cell->height(), w + 60, 0.01);
        EXPECT_NEAR(cell->mapToItem(grid, QPointF(0, 0)).x(), column * (w + 10), 0.5);
    }
    EXPECT_NEAR(item("itemCell3")->mapToItem(grid, QPointF(0, 0)).y(), w + 60, 0.01);
    EXPECT_NEAR(item("itemCell3")->mapToItem(grid, QPointF(0, 0)).x(), 0, 0.01);

    // A100's picture fills its square; B200 (no picture) does not show red.
    EXPECT_GT(shareOf(window(), in(item("itemCell1"), "pictureArea"), QColor(220, 20, 30)), 0.8);
    EXPECT_LT(shareOf(window(), in(item("itemCell2"), "pictureArea"), QColor(220, 20, 30)), 0.01);
    EXPECT_EQ(in(item("itemCell2"), "picture")->property("status").toInt(),
              1); // Image.Ready: no_image.png
    EXPECT_FALSE(item("emptyLabel")->isVisible());
}

TEST_F(ItemListViewFixture, TouchesSearchAndPhotosReachTheController)
{
    // Typing in the search bar filters the grid.
    QQuickItem* search = item("searchField");
    clickItem(window(), search);
    for (char c : QByteArray("a12"))
        QTest::keyClick(window(), c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == 2; }));
    EXPECT_EQ(items()->searchText(), "a12");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("searchCancel")->isVisible(); }));
    clickItem(window(), item("searchCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown() == 4; }));
    EXPECT_TRUE(itemText(search).isEmpty());

    // Without a camera a touch opens the picture files; the picture chosen
    // becomes the item's and shows in its cell.
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("itemCell2") != nullptr; }));
    clickItem(window(), item("itemCell2"));
    QQuickItem* picker = item("photoPicker");
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker->property("requestId").toInt() != 0; }));
    QImage blue(300, 200, QImage::Format_RGB32);
    blue.fill(QColor(20, 60, 220));
    const QString file = QDir(sandbox.root()).filePath("shelf.png");
    ASSERT_TRUE(blue.save(file));
    QMetaObject::invokeMethod(picker, "answerFile",
                              Q_ARG(QVariant, QUrl::fromLocalFile(file).toString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("photoReview")->isVisible(); }));
    clickItem(window(), item("photoUse"));
    // (once the file dialog has faded out)
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return shareOf(window(), in(item("itemCell2"), "pictureArea"), QColor(20, 60, 220)) >
                   0.8;
        },
        3000));
}

TEST_F(ItemListViewFixture, TheBarcodeButtonReadsAPictureFileWithoutACamera)
{
    QQuickItem* layer = item("barcodeScanner");
    ASSERT_NE(layer, nullptr);
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", 50}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return layer->property("fileRequestId").toInt() != 0; }));
    EXPECT_TRUE(items()->barcodeScanning());
    const QString file = BarcodeImages::save(BarcodeImages::draw(Symbology::Code128, "B200"),
                                             QDir(sandbox.root()).filePath("label.png"));
    ASSERT_FALSE(file.isNull());
    QMetaObject::invokeMethod(layer, "answerFile",
                              Q_ARG(QVariant, QUrl::fromLocalFile(file).toString()));
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
    EXPECT_FALSE(layer->isVisible());

    QList<QList<ScannedCode>> deliveries;
    int cancels = 0;
    scanner->start(
        {Symbology::Code128, Symbology::QR},
        [&](const QList<ScannedCode>& codes) { deliveries << codes; }, [&] { ++cancels; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return layer->isVisible(); }));
    // The picture covers the screen below the header, not the header.
    const QRectF area = layer->mapRectToScene(QRectF(0, 0, layer->width(), layer->height()));
    EXPECT_NEAR(area.top(), item("headerBar")->height(), 0.5);
    // Without a camera the viewfinder is not built.
    EXPECT_FALSE(item("barcodeCameraView")->property("active").toBool());

    // Frames are read; a frame without a code of the asked kinds is not delivered.
    scanner->frameArrived(BarcodeImages::draw(Symbology::DataMatrix, "A100"));
    scanner->frameArrived(BarcodeImages::stack({BarcodeImages::draw(Symbology::QR, "NOPE"),
                                                BarcodeImages::draw(Symbology::Code128, "A100")}));
    EXPECT_TRUE(deliveries.isEmpty()); // never inside the call
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveries.size() == 1; }));
    EXPECT_EQ(deliveries[0].size(), 2);

    clickItem(window(), item("barcodeCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancels == 1; }));
    EXPECT_FALSE(scanner->isScanning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !layer->isVisible(); }));
    // Nothing is delivered once stopped.
    scanner->frameArrived(BarcodeImages::draw(Symbology::Code128, "A100"));
    QTest::qWait(50);
    EXPECT_EQ(deliveries.size(), 1);
}
