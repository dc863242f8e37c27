// The item catalogue: pictures and their downloads, search, photographing an
// item, and barcode lookup. Reading codes out of pictures is the decoder's
// test; here the scanner hands over codes as read.
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "support/FakeBarcodeScanner.h"
#include "support/FakeDialogs.h"
#include "support/FakePhotoSource.h"
#include "support/FakeTransport.h"
#include "support/ListTexts.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"
#include "workflow/ItemListViewController.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
QImage picture(QColor colour)
{
    QImage image(48, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct ItemListFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    FakePhotoSource photos;
    FakeBarcodeScanner scanner;
    QObject observer;
    QList<int> photoRequests; // "itemListClicked" sources, in order
    std::unique_ptr<ItemListViewController> screen;
    std::unique_ptr<QAbstractItemModelTester> tester;

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        UserDefaults::standard().setObject(u"http://shop.example/api/"_s, u"host"_s);
        NotificationCenter::defaultCenter().addObserver(
            &observer, "itemListClicked", [this](const QVariantMap& info) {
                photoRequests << info.value("itemListViewPopupTag").toInt();
            });
        reopen();
    }
    void TearDown() override
    {
        tester.reset();
        screen.reset();
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    // A fresh screen (for pictures cached after SetUp), its model checked by
    // Qt's model tester.
    void reopen()
    {
        tester.reset();
        screen = std::make_unique<ItemListViewController>();
        screen->setDialogs(&dialogs);
        screen->setPhotoSource(&photos);
        screen->setBarcodeScanner(&scanner);
        tester = std::make_unique<QAbstractItemModelTester>(
            screen->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    // A picture file below the caches directory ("/material/A100.jpg").
    void cachePicture(const QString& relative, QColor colour)
    {
        const QString path = sandbox.caches() + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(picture(colour).save(path, "JPG"));
    }
    QStringList skus() const { return skuCodes(screen->itemListArray()); }
    int row(const QString& sku) const { return static_cast<int>(skus().indexOf(sku)); }
    QVariant cell(const QString& sku, int role = ItemListModel::PictureRole) const
    {
        return screen->model()->data(screen->model()->index(row(sku)), role);
    }
    // What the grid draws for each item: "A100 image://rq/material/A100.jpg own"
    // ("own" when it is the item's picture, not the stand-in).
    QStringList drawn() const
    {
        QStringList cells;
        for (const QString& sku : skus())
            cells << sku + ' ' + cell(sku).toString().section('?', 0, 0) +
                         (cell(sku, ItemListModel::HasPictureRole).toBool() ? " own" : "");
        return cells;
    }
    // Draws every cell, as the grid does when it shows them.
    void drawAll() const
    {
        for (int r = 0; r < screen->model()->count(); ++r)
            screen->model()->data(screen->model()->index(r), ItemListModel::PictureRole);
    }
    QStringList queuedTargets() const
    {
        return texts(DownloadManager::sharedManager()->entries(),
                     [](const DownloadData& d) { return d.targetPath; });
    }
    // The pictures queued for upload: "A121 1 /material/A121.jpg" (type 1: an item's).
    QStringList uploads() const
    {
        return texts(UploadManager::sharedManager()->entries(), [](const UploadData& u) {
            return u"%1 %2 %3"_s.arg(u.skuCode).arg(u.type).arg(u.sourcePath);
        });
    }
    // Whether the stored picture of an item is (close to) the colour.
    bool storedAs(const QString& sku, QColor colour) const
    {
        const QImage stored(sandbox.caches() + "/material/" + sku + ".jpg");
        const QColor c = stored.isNull() ? QColor() : stored.pixelColor(24, 24);
        return c.isValid() && qAbs(c.red() - colour.red()) < 12 &&
               qAbs(c.green() - colour.green()) < 12 && qAbs(c.blue() - colour.blue()) < 12;
    }
    // Touches an item without a camera: the library is asked at once.
    void touchForLibrary(const QString& sku)
    {
        photos.camera = false;
        screen->itemClicked(row(sku));
        QCoreApplication::processEvents();
    }
    // Scans a code, then takes a photo while scanning: it goes under the code.
    void photographScanned(const ScannedCode& code, QColor colour)
    {
        screen->startBarcodeScanning();
        scanner.deliver({code});
        screen->startBarcodeScanning();
        screen->processCapturedImage(picture(colour));
    }
    static QString localized(const char* key) { return Strings::localized(key); }
};
} // namespace

TEST_F(ItemListFixture, PicturesAreLookedUpInOrderAndRenamedOnEveryReload)
{
    cachePicture("/material/A100.jpg", Qt::red);
    cachePicture("/materialImage/A100.jpg", Qt::blue);
    cachePicture("/materialImage/A120.jpg", Qt::green);
    // A download the server answered with an error page is no picture.
    sandbox.writeFile("Library/Caches/material/A121.jpg", "<html>502 Bad Gateway</html>");
    reopen();
    // Inactive D100 and X999 (whose brand is unknown) are not offered.
    EXPECT_EQ(drawn(),
              QStringList({"A120 image://rq/materialImage/A120.jpg own",
                           "A100 image://rq/material/A100.jpg own", "B200 image://rq/no_image.png",
                           "A121 image://rq/no_image.png"}));
    // Every picture name changes, also where the path stays, so that the view
    // takes no picture from its cache after a download.
    const QString a100Before = cell("A100").toString();
    screen->reloadCollection();
    EXPECT_NE(cell("A100").toString(), a100Before);
}

TEST_F(ItemListFixture, TypingBeginsASearchAndTheSearchButtonRunsIt)
{
    screen->setSearchText("item b");
    screen->searchButtonClicked();
    EXPECT_EQ(skus(), QStringList({"B200"}));
    screen->setSearchText("");
    EXPECT_EQ(skus().size(), 4);
    screen->setSearchText("A12");
    screen->searchCancel();
    screen->searchCancel(); // without a search: nothing changes
    EXPECT_EQ(skus().size(), 4);
}

TEST_F(ItemListFixture, ATouchedItemsPhotoIsStoredShownAndQueuedForUpload)
{
    cachePicture("/material/A100.jpg", Qt::red);
    cachePicture("/material/A120.jpg", Qt::green);
    reopen();
    drawAll();
    QCoreApplication::processEvents();
    // B200's picture is being fetched, A121's waits behind it.
    ASSERT_EQ(queuedTargets(), QStringList({"/material/B200.jpg", "/material/A121.jpg"}));

    // A touch offers camera and library once it is over.
    screen->itemClicked(row("B200"));
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialogs.choose(localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA")));
    for (const char* choice :
         {"ITEMLISTVIEW_ACTIONSHEET_GALLERY", "ITEMLISTVIEW_ACTIONSHEET_CANCEL"}) {
        screen->itemClicked(row("A100"));
        QCoreApplication::processEvents();
        ASSERT_TRUE(dialogs.choose(localized(choice))) << choice;
    }
    EXPECT_EQ(photoRequests, QList<int>({1, 2}));
    // After the cancel a photo has no item to go to.
    screen->processCapturedImage(picture(Qt::blue));
    EXPECT_TRUE(uploads().isEmpty());

    // Without a camera the library opens at once; out of range touches do nothing.
    dialogs.clear();
    const QString before = cell("A121").toString();
    touchForLibrary("A121");
    screen->itemClicked(99);
    screen->itemClicked(-1);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    EXPECT_EQ(photoRequests, QList<int>({1, 2, 2}));

    screen->processCapturedImage(picture(QColor(200, 30, 40)));
    EXPECT_TRUE(storedAs("A121", QColor(200, 30, 40)));
    EXPECT_EQ(uploads(), QStringList({"A121 1 /material/A121.jpg"}));
    // The cell shows it at once, under a new name.
    EXPECT_EQ(drawn().last(), "A121 image://rq/material/A121.jpg own");
    EXPECT_NE(cell("A121").toString(), before);
    // The server's older picture must not replace it: the waiting download
    // is dropped (the one in flight is left to finish).
    EXPECT_EQ(queuedTargets(), QStringList({"/material/B200.jpg"}));
    // The item is forgotten: a second photo without a touch is not stored.
    screen->processCapturedImage(picture(Qt::blue));
    EXPECT_TRUE(storedAs("A121", QColor(200, 30, 40)));
}

TEST_F(ItemListFixture, APictureThatCannotBeStoredIsToldAndNothingIsQueued)
{
    // A full or unwritable storage: here the pictures folder cannot be made.
    ASSERT_TRUE(QDir().mkpath(sandbox.caches()));
    QFile blocker(sandbox.caches() + "/material");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString before = cell("A100").toString();
    touchForLibrary("A100");
    screen->processCapturedImage(picture(Qt::red));
    ASSERT_EQ(dialogs.count("alert"), 1);
    EXPECT_EQ(dialogs.last("alert")->message, localized("ITEMLISTVIEW_PHOTO_SAVE_FAILED"));
    // The cell keeps its picture name: nothing new to draw.
    EXPECT_EQ(cell("A100").toString(), before);

    // A scanned code that cannot name a file: told, and no item is made for it.
    for (const QString code : {"AB/12", "AB\\12"}) {
        SCOPED_TRACE(qPrintable(code));
        photographScanned({Symbology::Code39, code}, Qt::green);
        EXPECT_EQ(dialogs.last("alert")->message,
                  localized("ITEMLISTVIEW_PHOTO_BAD_CODE").arg(code));
        EXPECT_EQ(countRows("material", "skuCode = ?", {code}), 0);
        EXPECT_FALSE(screen->barcodeScanning());
    }
    EXPECT_EQ(dialogs.count("alert"), 3);
    EXPECT_TRUE(uploads().isEmpty());
}

TEST_F(ItemListFixture, AScanShowsTheItemWhoseCodeMatchesExactlyAndWarnsOfOthers)
{
    screen->startBarcodeScanning();
    // Touches are ignored while scanning.
    screen->itemClicked(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    EXPECT_TRUE(photoRequests.isEmpty());
    // A kind the catalogue does not read: scanning goes on.
    scanner.deliver({{Symbology::ITF, "A100"}});
    EXPECT_TRUE(screen->barcodeScanning() && scanner.scanning);

    // Codes match SKU codes exactly; an item the catalogue does not offer
    // (inactive D100) is shown all the same.
    const std::tuple<QList<ScannedCode>, QStringList, int> cases[] = {
        {{{Symbology::QR, "a100"}}, {"A120", "A100", "B200", "A121"}, 1},
        {{{Symbology::Code39, "D100"}}, {"D100"}, 1},
        // One delivery holding a code of no item above that of A100.
        {{{Symbology::EAN13, "4006381333931"}, {Symbology::Code128, "A100"}}, {"A100"}, 2}};
    for (const auto& [codes, shown, warnings] : cases) {
        SCOPED_TRACE(qPrintable(codes.first().text));
        screen->startBarcodeScanning();
        scanner.deliver(codes);
        EXPECT_EQ(skus(), shown);
        EXPECT_EQ(dialogs.count("notice"), warnings);
        EXPECT_FALSE(scanner.scanning || screen->barcodeScanning());
    }
    EXPECT_EQ(dialogs.last("notice")->message,
              localized("ITEMLISTVIEW_BARCODESCANNER_NOTHISMATERIAL"));
    // A delivery after the scan ended changes nothing.
    scanner.deliver({{Symbology::Code39, "B200"}});
    EXPECT_EQ(skus(), QStringList({"A100"}));

    // Closing the camera ends the scan.
    screen->startBarcodeScanning();
    scanner.cancel();
    EXPECT_FALSE(screen->barcodeScanning());

    // Without a camera one picture file is read; one without a code the
    // catalogue reads ends the scan with a word.
    scanner.camera = false;
    screen->startBarcodeScanning();
    ASSERT_EQ(scanner.fileRequests, 1);
    scanner.deliver({});
    EXPECT_EQ(dialogs.last("notice")->message, localized("ITEMLISTVIEW_BARCODESCANNER_NOCODE"));
    EXPECT_FALSE(screen->barcodeScanning());
    EXPECT_EQ(skus(), QStringList({"A100"})); // the list stays as it was

    // Leaving the screen stops the camera.
    scanner.camera = true;
    screen->startBarcodeScanning();
    const int stops = scanner.stops;
    screen.reset();
    EXPECT_EQ(scanner.stops, stops + 1);
    // A frame read before the camera stopped reaches no one.
    scanner.deliver({{Symbology::Code128, "A100"}});
}

TEST_F(ItemListFixture, APhotoWhileScanningIsStoredUnderTheScannedCodeAndCreatesTheItem)
{
    // The item record is made only once its picture is stored (a failed
    // picture leaves none: above).
    const QString code = u"4006381333931"_s;
    screen->startBarcodeScanning();
    scanner.deliver({{Symbology::EAN13, code}});
    ASSERT_FALSE(screen->barcodeScanning());
    ASSERT_EQ(countRows("material", "skuCode = ?", {code}), 0);

    screen->startBarcodeScanning();
    screen->processCapturedImage(picture(QColor(10, 160, 90)));
    EXPECT_EQ(countRows("material", "skuCode = ?", {code}), 1);
    EXPECT_TRUE(storedAs(code, QColor(10, 160, 90)));
    EXPECT_EQ(uploads(), QStringList({code + " 1 /material/" + code + ".jpg"}));
    EXPECT_FALSE(screen->barcodeScanning() || scanner.scanning);
    EXPECT_EQ(skus().size(), 4); // the whole catalogue again

    // For a known item the record stays as it is.
    photographScanned({Symbology::Code128, "A120"}, Qt::white);
    EXPECT_EQ(AppManager::getMaterial("A120")->description, "Item A120");
    EXPECT_EQ(uploads().size(), 2);
}
