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
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"
#include "workflow/ItemListViewController.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
QImage picture(QColor colour, int side = 48)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(QColor a, QColor b)
{
    return a.isValid() && qAbs(a.red() - b.red()) < 12 && qAbs(a.green() - b.green()) < 12 &&
           qAbs(a.blue() - b.blue()) < 12;
}

QString localized(const char* key)
{
    return Strings::localized(key);
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
    QStringList skus() const
    {
        QStringList list;
        for (const Material& m : screen->itemListArray())
            list << m.skuCode;
        return list;
    }
    int row(const QString& sku) const { return static_cast<int>(skus().indexOf(sku)); }
    // What the grid draws for a row.
    QVariant cell(const QString& sku, int role) const
    {
        return screen->model()->data(screen->model()->index(row(sku)), role);
    }
    QString pictureOf(const QString& sku) const
    {
        return cell(sku, ItemListModel::PictureRole).toString().section('?', 0, 0);
    }
    // Draws every cell, as the grid does when it shows them.
    void drawAll() const
    {
        for (int r = 0; r < screen->model()->count(); ++r)
            screen->model()->data(screen->model()->index(r), ItemListModel::PictureRole);
    }
    QStringList queuedTargets() const
    {
        QStringList list;
        for (const DownloadData& d : DownloadManager::sharedManager()->entries())
            list << d.targetPath;
        return list;
    }
    QStringList notices() const
    {
        QStringList list;
        for (const FakeDialogs::Request& r : dialogs.requests)
            if (r.kind == "notice")
                list << r.message;
        return list;
    }
    QStringList uploadedSkus() const
    {
        QStringList list;
        for (const UploadData& u : UploadManager::sharedManager()->entries())
            if (u.type == 1)
                list << u.skuCode;
        return list;
    }
    QColor cachedColour(const QString& sku) const
    {
        const QImage stored(sandbox.caches() + "/material/" + sku + ".jpg");
        return stored.isNull() ? QColor()
                               : stored.pixelColor(stored.width() / 2, stored.height() / 2);
    }
    // Touches an item without a camera: the library is asked at once.
    void touchForLibrary(const QString& sku)
    {
        photos.camera = false;
        screen->itemClicked(row(sku));
        QCoreApplication::processEvents();
    }
};
} // namespace

// ---- the grid and its pictures

TEST_F(ItemListFixture, PicturesAreLookedUpInOrderAndMissingOnesAreFetchedOnce)
{
    cachePicture("/material/A100.jpg", Qt::red);
    cachePicture("/materialImage/A100.jpg", Qt::blue);
    cachePicture("/materialImage/A120.jpg", Qt::green);
    // A download the server answered with an error page is no picture.
    sandbox.writeFile("Library/Caches/material/A121.jpg", "<html>502 Bad Gateway</html>");
    reopen();
    // Inactive D100 and X999 (whose brand is unknown) are not offered.
    EXPECT_EQ(skus(), QStringList({"A120", "A100", "B200", "A121"}));
    EXPECT_EQ(cell("A100", ItemListModel::DescriptionRole).toString(), "Item A100");
    EXPECT_EQ(pictureOf("A100"), "image://rq/material/A100.jpg");
    EXPECT_EQ(pictureOf("A120"), "image://rq/materialImage/A120.jpg");
    EXPECT_EQ(pictureOf("B200"), "image://rq/no_image.png");
    EXPECT_EQ(pictureOf("A121"), "image://rq/no_image.png");
    EXPECT_TRUE(cell("A100", ItemListModel::HasPictureRole).toBool());
    EXPECT_FALSE(cell("B200", ItemListModel::HasPictureRole).toBool());

    // Requests go out once the drawing is over, one per missing picture
    // however often the cells are drawn.
    drawAll();
    drawAll();
    EXPECT_TRUE(queuedTargets().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(queuedTargets(), QStringList({"/material/B200.jpg", "/material/A121.jpg"}));
    EXPECT_EQ(DownloadManager::sharedManager()->entries().first().sourcePath,
              "http://shop.example/__files__/material/B200.jpg");
    screen->reloadCollection();
    drawAll();
    QCoreApplication::processEvents();
    EXPECT_EQ(screen->model()->requestedPictures(), QStringList({"B200", "A121"}));
    EXPECT_EQ(transport->calls().size(), 1); // one download at a time

    // B200 arrives and the grid is redrawn. Every picture name changes, also
    // where the path stays, so that the view takes no picture from its cache.
    const QString a100Before = cell("A100", ItemListModel::PictureRole).toString();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture(Qt::yellow).save(&buffer, "JPG");
    NotificationCenter::defaultCenter().addObserver(
        &observer, "downloadComplete", [&](const QVariantMap&) { screen->reloadCollection(); });
    transport->finishDownload(jpeg);
    EXPECT_EQ(pictureOf("B200"), "image://rq/material/B200.jpg");
    EXPECT_TRUE(cell("B200", ItemListModel::HasPictureRole).toBool());
    const QString a100After = cell("A100", ItemListModel::PictureRole).toString();
    EXPECT_EQ(a100After.section('?', 0, 0), a100Before.section('?', 0, 0));
    EXPECT_NE(a100After, a100Before);
    // The A121 entry keeps its place; nothing is asked again.
    QCoreApplication::processEvents();
    EXPECT_EQ(queuedTargets(), QStringList({"/material/A121.jpg"}));
}

// ---- search

TEST_F(ItemListFixture, SearchFindsCodeOrDescriptionIgnoringCase)
{
    // Typing before the search began still searches the whole catalogue.
    screen->setSearchText("A12");
    EXPECT_EQ(skus(), QStringList({"A120", "A121"}));
    screen->searchCancel();
    screen->searchCancel(); // without a search: nothing changes
    EXPECT_EQ(skus().size(), 4);

    Material cola = item("C300", "1", "6");
    cola.description = "Cola 12 x 330 ml";
    ASSERT_TRUE(addMaterial(cola));
    screen->searchBegin();
    EXPECT_TRUE(screen->searching());
    const std::pair<const char*, QStringList> cases[] = {
        {"12", {"A120", "A121", "C300"}}, // by code, and C300 by its description
        {"cOLA", {"C300"}},
        {"b2", {"B200"}},
        {"nothing like it", {}}};
    for (const auto& [text, found] : cases) {
        screen->setSearchText(text);
        EXPECT_EQ(skus(), found) << text;
    }
    // An item stored meanwhile is not in the catalogue fetched when the
    // search began; clearing the text shows that catalogue whole.
    ASSERT_TRUE(addMaterial(item("E500", "1", "7")));
    screen->setSearchText("");
    EXPECT_EQ(skus(), QStringList({"A120", "A100", "B200", "A121", "C300"}));
    screen->setSearchText("a10");
    screen->searchButtonClicked();
    EXPECT_EQ(skus(), QStringList({"A100"}));
    screen->searchCancel();
    EXPECT_FALSE(screen->searching());
    EXPECT_TRUE(screen->searchText().isEmpty());
    EXPECT_EQ(skus().size(), 5);
    // The next search reads the catalogue again.
    screen->searchBegin();
    screen->setSearchText("E5");
    EXPECT_EQ(skus(), QStringList({"E500"}));
}

// ---- photographing an item

TEST_F(ItemListFixture, TouchingAnItemOffersCameraAndLibrary)
{
    screen->itemClicked(row("B200"));
    // Offered once the touch is over.
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    QCoreApplication::processEvents();
    FakeDialogs::Request* sheet = dialogs.last("actionSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->buttons, QStringList({localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA"),
                                           localized("ITEMLISTVIEW_ACTIONSHEET_GALLERY"),
                                           localized("ITEMLISTVIEW_ACTIONSHEET_CANCEL")}));
    ASSERT_TRUE(dialogs.choose(localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA")));
    for (const char* choice :
         {"ITEMLISTVIEW_ACTIONSHEET_GALLERY", "ITEMLISTVIEW_ACTIONSHEET_CANCEL"}) {
        screen->itemClicked(row("A100"));
        QCoreApplication::processEvents();
        ASSERT_TRUE(dialogs.choose(localized(choice))) << choice;
    }
    EXPECT_EQ(photoRequests, QList<int>({1, 2}));
    // After the cancel a photo has no item to go to.
    screen->processCapturedImage(picture(Qt::red));
    EXPECT_FALSE(QFile::exists(sandbox.caches() + "/material/A100.jpg"));

    // Without a camera the library opens at once; out of range touches do nothing.
    dialogs.clear();
    touchForLibrary("A121");
    screen->itemClicked(99);
    screen->itemClicked(-1);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    EXPECT_EQ(photoRequests, QList<int>({1, 2, 2}));
}

TEST_F(ItemListFixture, APhotoIsStoredUnderTheTouchedItemAndQueuedForUpload)
{
    cachePicture("/material/A100.jpg", Qt::red);
    cachePicture("/material/A120.jpg", Qt::green);
    reopen();
    drawAll();
    QCoreApplication::processEvents();
    // B200's picture is being fetched, A121's waits behind it.
    ASSERT_EQ(queuedTargets(), QStringList({"/material/B200.jpg", "/material/A121.jpg"}));
    const QString before = cell("A121", ItemListModel::PictureRole).toString();

    touchForLibrary("A121");
    screen->processCapturedImage(picture(QColor(200, 30, 40)));
    EXPECT_TRUE(near(cachedColour("A121"), QColor(200, 30, 40)));
    EXPECT_EQ(uploadedSkus(), QStringList({"A121"}));
    EXPECT_EQ(UploadManager::sharedManager()->entries().first().sourcePath, "/material/A121.jpg");
    // The cell shows it at once, under a new name.
    EXPECT_EQ(pictureOf("A121"), "image://rq/material/A121.jpg");
    EXPECT_NE(cell("A121", ItemListModel::PictureRole).toString(), before);
    // The server's older picture must not replace it: the waiting download
    // is dropped (the one in flight is left to finish).
    EXPECT_EQ(queuedTargets(), QStringList({"/material/B200.jpg"}));

    // The item is forgotten: a second photo without a touch is not stored.
    screen->processCapturedImage(picture(Qt::blue));
    EXPECT_TRUE(near(cachedColour("A121"), QColor(200, 30, 40)));
    EXPECT_EQ(uploadedSkus().size(), 1);
}

TEST_F(ItemListFixture, APictureThatCannotBeStoredIsToldAndNothingIsQueued)
{
    // A full or unwritable storage: here the pictures folder cannot be made.
    ASSERT_TRUE(QDir().mkpath(sandbox.caches()));
    QFile blocker(sandbox.caches() + "/material");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString before = cell("A100", ItemListModel::PictureRole).toString();
    touchForLibrary("A100");
    screen->processCapturedImage(picture(Qt::red));
    ASSERT_EQ(dialogs.count("alert"), 1);
    EXPECT_EQ(dialogs.last("alert")->message, localized("ITEMLISTVIEW_PHOTO_SAVE_FAILED"));
    // The cell keeps its picture name: nothing new to draw.
    EXPECT_EQ(cell("A100", ItemListModel::PictureRole).toString(), before);

    // A scanned code that cannot name a file: told, and no item is made for it.
    for (const QString code : {"AB/12", "AB\\12"}) {
        SCOPED_TRACE(qPrintable(code));
        screen->startBarcodeScanning();
        scanner.deliver({{Symbology::Code39, code}});
        screen->startBarcodeScanning();
        screen->processCapturedImage(picture(Qt::green));
        EXPECT_EQ(dialogs.last("alert")->message,
                  localized("ITEMLISTVIEW_PHOTO_BAD_CODE").arg(code));
        EXPECT_EQ(countRows("material", "skuCode = ?", {code}), 0);
        EXPECT_FALSE(screen->barcodeScanning());
    }
    EXPECT_EQ(dialogs.count("alert"), 3);
    EXPECT_TRUE(uploadedSkus().isEmpty());
}

// ---- barcodes

TEST_F(ItemListFixture, AScanShowsTheItemWhoseCodeMatchesExactlyAndWarnsOfOthers)
{
    const QString noItem = localized("ITEMLISTVIEW_BARCODESCANNER_NOTHISMATERIAL");
    screen->startBarcodeScanning();
    EXPECT_TRUE(screen->barcodeScanning());
    ASSERT_EQ(scanner.starts, 1);
    EXPECT_EQ(scanner.kinds, ItemListViewController::acceptedSymbologies());
    // Touches are ignored while scanning.
    screen->itemClicked(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    EXPECT_TRUE(photoRequests.isEmpty());
    // A kind the catalogue does not read: scanning goes on.
    scanner.deliver({{Symbology::ITF, "A100"}});
    EXPECT_TRUE(screen->barcodeScanning());
    EXPECT_TRUE(scanner.scanning);

    // Codes match SKU codes exactly; an item the catalogue does not offer
    // (inactive D100) is shown all the same.
    struct Case
    {
        QList<ScannedCode> codes;
        QStringList shown;
        int warnings;
    };
    const Case cases[] = {
        {{{Symbology::QR, "a100"}}, {"A120", "A100", "B200", "A121"}, 1},
        {{{Symbology::Code39, "A10"}}, {"A120", "A100", "B200", "A121"}, 2},
        {{{Symbology::Code39, "D100"}}, {"D100"}, 2},
        // One delivery holding a code of no item above that of A100.
        {{{Symbology::EAN13, "4006381333931"}, {Symbology::Code128, "A100"}}, {"A100"}, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.codes.first().text));
        screen->startBarcodeScanning();
        scanner.deliver(c.codes);
        EXPECT_EQ(skus(), c.shown);
        EXPECT_EQ(notices().size(), c.warnings);
        EXPECT_FALSE(scanner.scanning);
        EXPECT_FALSE(screen->barcodeScanning());
    }
    EXPECT_EQ(notices().last(), noItem);
    EXPECT_EQ(screen->scannedCode(), "A100");
    EXPECT_EQ(screen->barcodeDetectionString(), "A100");
    // A delivery after the scan ended changes nothing.
    scanner.deliver({{Symbology::Code39, "B200"}});
    EXPECT_EQ(skus(), QStringList({"A100"}));

    // The item shown takes touches now; a search shows the catalogue again.
    screen->itemClicked(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.count("actionSheet"), 1);
    screen->searchBegin();
    screen->setSearchText("");
    EXPECT_EQ(skus().size(), 4);
    EXPECT_TRUE(screen->scannedCode().isEmpty());

    // Closing the camera ends the scan; leaving the screen stops the camera.
    screen->startBarcodeScanning();
    scanner.cancel();
    EXPECT_FALSE(screen->barcodeScanning());
    screen->startBarcodeScanning();
    const int stops = scanner.stops;
    screen.reset();
    EXPECT_EQ(scanner.stops, stops + 1);
    // A frame read before the camera stopped reaches no one.
    scanner.deliver({{Symbology::Code128, "A100"}});
}

TEST_F(ItemListFixture, WithoutACameraAPictureFileIsReadOnce)
{
    scanner.camera = false;
    screen->startBarcodeScanning();
    EXPECT_EQ(scanner.starts, 0);
    ASSERT_EQ(scanner.fileRequests, 1);
    EXPECT_TRUE(screen->barcodeScanning());
    scanner.deliver({{Symbology::EAN8, "96385074"}});
    EXPECT_EQ(notices(), QStringList({localized("ITEMLISTVIEW_BARCODESCANNER_NOTHISMATERIAL")}));
    EXPECT_FALSE(screen->barcodeScanning());

    // A picture without a code the catalogue reads ends the scan with a word.
    screen->startBarcodeScanning();
    scanner.deliver({});
    EXPECT_EQ(notices().last(), localized("ITEMLISTVIEW_BARCODESCANNER_NOCODE"));
    EXPECT_FALSE(screen->barcodeScanning());
    EXPECT_EQ(skus().size(), 4);

    // Closing the picker ends the scan as closing the camera does (above).
    screen->startBarcodeScanning();
    scanner.deliver({{Symbology::Code93, "B200"}});
    EXPECT_EQ(skus(), QStringList({"B200"}));
    EXPECT_EQ(notices().size(), 2);
}

TEST_F(ItemListFixture, APhotoWhileScanningIsStoredUnderTheScannedCodeAndCreatesTheItem)
{
    const QString code = u"4006381333931"_s;
    screen->startBarcodeScanning();
    scanner.deliver({{Symbology::EAN13, code}});
    ASSERT_FALSE(screen->barcodeScanning());
    ASSERT_EQ(countRows("material", "skuCode = ?", {code}), 0);

    screen->startBarcodeScanning();
    screen->processCapturedImage(picture(QColor(10, 160, 90)));
    EXPECT_EQ(countRows("material", "skuCode = ?", {code}), 1);
    EXPECT_TRUE(near(cachedColour(code), QColor(10, 160, 90)));
    EXPECT_EQ(uploadedSkus(), QStringList({code}));
    EXPECT_FALSE(screen->barcodeScanning());
    EXPECT_FALSE(scanner.scanning);
    EXPECT_EQ(skus().size(), 4); // the whole catalogue again

    // For a known item the record stays as it is.
    screen->startBarcodeScanning();
    scanner.deliver({{Symbology::Code128, "A120"}});
    screen->startBarcodeScanning();
    screen->processCapturedImage(picture(Qt::white));
    EXPECT_EQ(AppManager::getMaterial("A120")->description, "Item A120");
    EXPECT_EQ(uploadedSkus(), QStringList({code, "A120"}));
}
