// Orders and pictures reach the reference order server: the server holds the
// order with its lines deciphered, the tablet marks it uploaded under the
// server's number, photos follow; a refused order is tried ten times and stays
// a draft.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct UploadE2E : ::testing::Test
{
    TestSandbox sandbox;
    DemoSession session;
    TestServer* server = nullptr;
    QStringList& events = session.events;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(session.logIn());
        server = session.server.get();
    }
    // A draft for a customer and items the server knows, saved as the editor saves.
    QString saveDraft(const QString& number)
    {
        Statement item = DataManager::sharedManager()->executeQuery(
            "SELECT skuCode FROM material WHERE status=20 ORDER BY priority LIMIT 2");
        QStringList skus;
        while (item.step() == Statement::Row)
            skus << item.columnText(0);
        SalesOrder order;
        order.purchaseOrderNo = number;
        order.orderNo = number;
        order.soldToCode = "100001";
        order.shipToCode = "100001";
        order.remark = "Back door, O'Hara's";
        SalesOrderDetails ordinary;
        ordinary.orderNo = number;
        ordinary.skuCode = skus.value(0);
        ordinary.quantity = 5;
        ordinary.uomCode = "CS";
        ordinary.promocode = " ";
        SalesOrderDetails promoted = ordinary;
        promoted.skuCode = skus.value(1) + "_promoP1001";
        promoted.promocode = "P1001";
        promoted.quantity = 2;
        EXPECT_TRUE(DataManager::sharedManager()->saveOrder(order, number, {ordinary, promoted}));
        return skus.join(',');
    }
    QJsonObject serverOrder(const QString& number)
    {
        const QJsonArray orders = server->admin({"orders", "--po", number}).array();
        return orders.isEmpty() ? QJsonObject() : orders.first().toObject();
    }
};
} // namespace

TEST_F(UploadE2E, AnOrderWithItsPhotoIsHeldByTheServerAndMarkedOnTheTablet)
{
    const QStringList skus = saveDraft("Acme.1765000000123").split(',');
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(QColor(20, 120, 200));
    ASSERT_TRUE(photo.save(sandbox.documents() + "/20251206101010.png"));
    ASSERT_TRUE(AppManager::insertorderimage("Acme.1765000000123", "20251206101010.png"));

    AppManager::uploadSalesOrder("Acme.1765000000123");
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("uploadComplete"); }, 15000))
        << qPrintable(server->log());

    const QJsonObject held = serverOrder("Acme.1765000000123");
    ASSERT_FALSE(held.isEmpty());
    EXPECT_EQ(held.value("remark").toString(), "Back door, O'Hara's");
    EXPECT_EQ(held.value("soldToCode").toString(), "100001");
    const QJsonArray lines = held.value("lines").toArray();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].toObject().value("skuCode").toString(), skus[0]);
    EXPECT_EQ(lines[0].toObject().value("quantity").toString(), "5");
    EXPECT_EQ(lines[1].toObject().value("skuCode").toString(), skus[1]);
    EXPECT_EQ(lines[1].toObject().value("PromotionCode").toString(), "P1001");

    const auto local = DataManager::sharedManager()->getSalesOrder("Acme.1765000000123");
    ASSERT_TRUE(local);
    EXPECT_EQ(local->uploadStatus, 20);
    EXPECT_EQ(local->orderNo, held.value("orderNo").toString());
    // The lines are still found under the device's number.
    EXPECT_EQ(DataManager::sharedManager()->getSalesOrderDetail("Acme.1765000000123").size(), 2);

    // The photo follows on its own.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return serverOrder("Acme.1765000000123").value("photos").toArray().size() == 1; },
        10000));

    // Uploading the same order again gives no second order on the server.
    events.clear();
    AppManager::uploadSalesOrder("Acme.1765000000123");
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("uploadComplete"); }, 15000));
    EXPECT_EQ(server->admin({"orders", "--po", "Acme.1765000000123"}).array().size(), 1);
}

TEST_F(UploadE2E, AnItemPictureReplacesTheOneTheServerServes)
{
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(QColor(250, 10, 10));
    const QString sku = DataManager::sharedManager()->getItemList().first().skuCode;
    AppManager::savePhotoToApplication(picture, sku);
    UploadManager* queue = UploadManager::sharedManager();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue->entries().isEmpty() && !queue->isUploading(); },
                                15000));

    QNetworkAccessManager network;
    QNetworkReply* reply =
        network.get(QNetworkRequest(QUrl(server->url("../__files__/material/" + sku + ".jpg"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 10000));
    const QImage served = QImage::fromData(reply->readAll());
    reply->deleteLater();
    ASSERT_FALSE(served.isNull());
    const QColor centre = served.pixelColor(served.width() / 2, served.height() / 2);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
}
