// The item catalogue against the reference order server: a new salesman
// browses it while missing pictures arrive and photographs an item, whose
// picture then reaches the server.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/DemoSession.h"
#include "support/FakeDialogs.h"
#include "support/FakePhotoSource.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"
#include "workflow/ItemListViewController.h"
#include "workflow/ViewController.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void tag(int value)
{
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", value}});
}

QStringList queuedTargets()
{
    QStringList targets;
    for (const DownloadData& d : DownloadManager::sharedManager()->entries())
        targets << d.targetPath;
    return targets;
}
} // namespace

TEST(CatalogueE2E, PicturesArriveABarcodeFindsAnItemAndAPhotoReachesTheServer)
{
    TestSandbox sandbox;
    DemoSession session;
    ASSERT_NO_FATAL_FAILURE(session.start());
    TestServer* server = session.server.get();
    FakeDialogs dialogs;
    FakePhotoSource photos;
    ViewController root;
    root.setDialogs(&dialogs);
    root.setPhotoSource(&photos);
    root.setViewSize(640, 480);
    QObject observer;
    int pictureArrivals = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, "downloadComplete",
                                                    [&](const QVariantMap&) { ++pictureArrivals; });

    // A first login; the pictures it names are fetched.
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return DownloadManager::sharedManager()->entries().isEmpty(); }, 60000));

    // Three pictures are lost on the device (a cleared cache, say).
    tag(11);
    auto* items = qobject_cast<ItemListViewController*>(root.currentScreen());
    ASSERT_NE(items, nullptr);
    ItemListModel* grid = items->model();
    ASSERT_GT(grid->count(), 100);
    QStringList lost;
    for (int row : {0, 3, 7}) {
        const QString sku = items->itemListArray().at(row).skuCode;
        ASSERT_TRUE(QFile::remove(sandbox.caches() + "/material/" + sku + ".jpg"))
            << qPrintable(sku);
        lost << "/material/" + sku + ".jpg";
    }
    tag(10);
    tag(11); // the catalogue again, as a salesman would open it
    items = qobject_cast<ItemListViewController*>(root.currentScreen());
    ASSERT_NE(items, nullptr);
    grid = items->model();

    // Drawing the grid asks for exactly the missing pictures, once each.
    const int arrivalsBefore = pictureArrivals;
    for (int pass = 0; pass < 2; ++pass)
        for (int row = 0; row < grid->count(); ++row)
            grid->data(grid->index(row), ItemListModel::PictureRole);
    for (int row : {0, 3, 7})
        EXPECT_FALSE(grid->data(grid->index(row), ItemListModel::HasPictureRole).toBool());
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->requestedPictures().size(), 3);
    EXPECT_EQ(queuedTargets().size() + (pictureArrivals - arrivalsBefore), 3);
    for (const QString& target : queuedTargets())
        EXPECT_TRUE(lost.contains(target)) << qPrintable(target);

    // They arrive, and the redrawn grid shows them.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictureArrivals - arrivalsBefore == 3; }, 15000));
    for (int row : {0, 3, 7})
        EXPECT_TRUE(grid->data(grid->index(row), ItemListModel::HasPictureRole).toBool()) << row;

    // An item is photographed with the root's camera, cut to a square as
    // wide as the screen; its picture goes to the server.
    const Material wanted = items->itemListArray().at(5);
    items->itemClicked(5);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialogs.choose(Strings::localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !photos.requests.isEmpty(); }, 1000));
    EXPECT_TRUE(photos.requests.last().camera);
    EXPECT_EQ(photos.requests.last().crop, QSize(640, 640));
    QImage photo(320, 240, QImage::Format_RGB32);
    photo.fill(QColor(30, 200, 60));
    photos.deliver(photo);
    UploadManager* uploads = UploadManager::sharedManager();
    ASSERT_FALSE(uploads->entries().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return uploads->entries().isEmpty() && !uploads->isUploading(); }, 15000))
        << qPrintable(server->log());

    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(
        QNetworkRequest(QUrl(server->url("../__files__/material/" + wanted.skuCode + ".jpg"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 10000));
    const QImage served = QImage::fromData(reply->readAll());
    reply->deleteLater();
    ASSERT_FALSE(served.isNull());
    EXPECT_EQ(served.size(), QSize(640, 640));
    const QColor centre = served.pixelColor(served.width() / 2, served.height() / 2);
    EXPECT_LT(centre.red(), 60);
    EXPECT_GT(centre.green(), 170);
}
