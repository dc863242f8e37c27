// The item catalogue against the reference order server: a new salesman's
// login fetches the pictures it names; he photographs an item, whose picture
// then reaches the server. (Which pictures the grid asks for is the item
// list's unit test.)
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/DemoSession.h"
#include "support/FakeDialogs.h"
#include "support/FakePhotoSource.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/UploadManager.h"
#include "workflow/ItemListViewController.h"
#include "workflow/ViewController.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

TEST(CatalogueE2E, APhotographedItemsPictureReachesTheServer)
{
    TestSandbox sandbox;
    DemoSession session;
    ASSERT_NO_FATAL_FAILURE(session.start());
    FakeDialogs dialogs;
    FakePhotoSource photos;
    ViewController root;
    root.setDialogs(&dialogs);
    root.setPhotoSource(&photos);
    root.setViewSize(640, 480);
    // A first login; the pictures it names are fetched.
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return DownloadManager::sharedManager()->entries().isEmpty(); }, 60000));

    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", 11}});
    auto* items = qobject_cast<ItemListViewController*>(root.currentScreen());
    ASSERT_NE(items, nullptr);
    ASSERT_GT(items->model()->count(), 100);

    // An item is photographed with the root's camera; the centre of the
    // photo, cut to a square as wide as the screen, goes to the server.
    const QString wanted = items->itemListArray().at(5).skuCode;
    items->itemClicked(5);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialogs.choose(Strings::localized("ITEMLISTVIEW_ACTIONSHEET_CAMERA")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !photos.requests.isEmpty(); }, 1000));
    QImage photo(320, 240, QImage::Format_RGB32);
    photo.fill(Qt::red);
    QPainter(&photo).fillRect(40, 0, 240, 240, QColor(30, 200, 60));
    photos.deliver(photo);
    UploadManager* uploads = UploadManager::sharedManager();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return uploads->entries().isEmpty() && !uploads->isUploading(); }, 15000))
        << qPrintable(session.server->log());

    // As the server stored it.
    const QImage served(session.server->dataDirectory() + "/files/material/" + wanted + ".jpg");
    EXPECT_EQ(served.size(), QSize(640, 640));
    const QColor edge = served.pixelColor(2, 320);
    EXPECT_TRUE(edge.red() < 60 && edge.green() > 170) << qPrintable(edge.name());
}
