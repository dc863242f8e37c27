#include "core/AppManager.h"
#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/FakeTransport.h"
#include "support/RQMaths.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/OrderPayload.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
QString plain(const QVariant& hex)
{
    return RQMaths::decodeString2(hex.toString(), RQMaths::keyText());
}

struct UploadFixture : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate owner{kAlice};
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QObject observer;
    QList<QVariantMap> completed;

    void SetUp() override
    {
        UploadManager::releaseManager();
        HttpTransport::setShared(transport);
        Session::setAuthToken("tok-0");
        NotificationCenter::defaultCenter().addObserver(&observer, "uploadComplete",
                                                        [this](const QVariantMap& info) { completed << info; });
    }
    void TearDown() override
    {
        UploadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    // A stored draft with one line, queued for upload.
    void queueOrder(const QString& number)
    {
        ASSERT_TRUE(addOrder(order(number), kAlice));
        ASSERT_TRUE(addOrderLine(line(number, "A100", 5)));
        AppManager::uploadSalesOrder(number);
    }
    // Lets deferred sends run.
    void settle() { QTest::qWait(1); }
    QStringList pendingPurchaseOrders() const
    {
        QStringList list;
        for (const UploadData& e : UploadManager::sharedManager()->entries())
            list << e.orderNo;
        return list;
    }
    int uploadStatus(const QString& number)
    {
        auto stored = DataManager::sharedManager()->getSalesOrder(number);
        return stored ? stored->uploadStatus : -1;
    }
};
} // namespace

TEST_F(UploadFixture, PayloadFieldByField)
{
    SalesOrder o = order("Acme.1735000000123", "C100", "SH101", "2025-03-10 10:00:00");
    o.deliverDate = "2025-03-12 00:00:00";
    o.orderDate = "1999-01-01 00:00:00"; // never sent: the order date is the creation time
    o.deliverAddress = "O'Hara Road 5";
    o.remark = "Ring twice/nBack door";
    o.sapStatus = "OPEN";
    o.type = 2;
    o.vdtype = 1;
    o.paymenttype = 2;
    o.priority = 1;
    const QList<SalesOrderDetails> lines{line(o.purchaseOrderNo, "A100", 5, " ", "CS"),
                                         line(o.purchaseOrderNo, "B200_promoP7", 2, "P7", "EA"),
                                         line(o.purchaseOrderNo, "P7X_promoP7", 1, "P7", "EA")};
    const QVariantMap payload = OrderPayload::build(o.purchaseOrderNo, o, lines);
    // Every occurrence of the promotion code goes from the items, not only the appended one.
    const QVariantMap enciphered{{"purchaseOrderNo", "Acme.1735000000123"}, {"deliveryDate", "2025-03-12 00:00:00"},
                                 {"deliveryAddress", "O'Hara Road 5"}, {"soldToCode", "C100"},
                                 {"shipToCode", "SH101"}, {"sapOrderNo", ""}, {"orderDate", "2025-03-10 10:00:00"},
                                 {"remark", "Ring twice/nBack door"},
                                 {"item", "A100,5,CS, ,B200_promo,2,EA,P7,X_promo,1,EA,P7"}};
    const QVariantMap plainFields{{"sapStatus", "OPEN"}, {"transactionStatus", "20"}, {"uploadStatus", "10"},
                                  {"priority", "1"}, {"type", "2"}, {"vdtype", "1"}, {"paymenttype", "2"}};
    EXPECT_EQ(payload.size(), enciphered.size() + plainFields.size());
    for (auto [field, value] : enciphered.asKeyValueRange()) {
        EXPECT_EQ(plain(payload[field]), value.toString()) << qPrintable(field);
        // Enciphered fields are lowercase hexadecimal on the wire.
        EXPECT_TRUE(QRegularExpression("^[0-9a-f]*$").match(payload[field].toString()).hasMatch());
    }
    for (auto [field, value] : plainFields.asKeyValueRange())
        EXPECT_EQ(payload[field].toString(), value.toString()) << qPrintable(field);
    EXPECT_EQ(OrderPayload::build("X.1", o, {})["item"].toString(), "");
    EXPECT_FALSE(OrderPayload::build("NOT.STORED").has_value());
}

TEST_F(UploadFixture, OrdersGoOneAfterTheOtherAndAnAcceptedOneIsMarked)
{
    ASSERT_TRUE(addOrderImage("PO.1", "20250310100000.png"));
    QImage photo(16, 16, QImage::Format_RGB32);
    photo.fill(Qt::red);
    ASSERT_TRUE(photo.save(sandbox.documents() + "/20250310100000.png"));
    queueOrder("PO.1");
    queueOrder("PO.2");
    ASSERT_EQ(transport->pendingCount(), 1); // the second waits for the first
    const FakeTransport::Call& first = transport->pending();
    EXPECT_TRUE(first.url.endsWith("/api/updateOrder.php"));
    EXPECT_EQ(first.parameters.value("authToken").toString(), "tok-0");
    EXPECT_EQ(plain(first.parameters.value("purchaseOrderNo")), "PO.1");
    EXPECT_TRUE(first.files().isEmpty());

    transport->answer(QVariantMap{
        {"status", 0}, {"authToken", "tok-1"}, {"result", QVariantList{QVariantMap{{"orderNo", "4711"}}}}});
    // What the server holds of it, photo included, is judged end to end
    // (UploadE2E); here the order of the requests and the token.
    ASSERT_GE(transport->calls().size(), 2);
    const FakeTransport::Call& photoCall = transport->calls().at(1);
    EXPECT_TRUE(photoCall.url.endsWith("/api/uploadorderimg.php"));
    EXPECT_EQ(photoCall.parameters.value("orderno").toString(), "PO.1");
    EXPECT_EQ(uploadStatus("PO.1"), 20);
    EXPECT_EQ(DataManager::sharedManager()->getSalesOrder("PO.1")->orderNo, "4711");
    ASSERT_EQ(completed.size(), 1);
    EXPECT_EQ(plain(completed.first().value("purchaseOrderNo")), "PO.1");
    EXPECT_EQ(Session::authToken(), "tok-1");

    settle();
    // The photo request is answered by nobody: the queue does not wait for it.
    const FakeTransport::Call* next = nullptr;
    for (const FakeTransport::Call& c : transport->calls())
        if (c.url.endsWith("updateOrder.php"))
            next = &c;
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(plain(next->parameters.value("purchaseOrderNo")), "PO.2");
    EXPECT_EQ(next->parameters.value("authToken").toString(), "tok-1");
}

TEST_F(UploadFixture, ARefusedOrderAlternatesWithTheNextAndIsDroppedAfterTen)
{
    queueOrder("PO.1");
    queueOrder("PO.2");
    transport->answer(QVariantMap{{"status", 5}, {"message", "busy"}});
    settle();
    EXPECT_EQ(pendingPurchaseOrders(), QStringList({"PO.2", "PO.1"}));
    // An answer without a status is no acceptance either.
    transport->answer(QVariantMap{{"result", QVariantList{QVariantMap{{"orderNo", "1"}}}}});
    settle();
    EXPECT_EQ(pendingPurchaseOrders(), QStringList({"PO.1", "PO.2"}));
    EXPECT_EQ(uploadStatus("PO.2"), 10);

    // Eight more refusals make ten in a row: the head is given up.
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(transport->pendingCount(), 1) << i;
        transport->answer(QVariantMap{{"status", "2"}});
        settle();
    }
    EXPECT_EQ(UploadManager::sharedManager()->errorTry(), 0);
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
    EXPECT_EQ(transport->pendingCount(), 0); // resting until the next addition
    EXPECT_EQ(uploadStatus("PO.1"), 10);
    EXPECT_EQ(uploadStatus("PO.2"), 10);
    EXPECT_TRUE(completed.isEmpty());
}

TEST_F(UploadFixture, AnOrderThatCannotBeSentRestsAtTheHead)
{
    queueOrder("PO.1");
    int tries = 0;
    while (transport->pendingCount() > 0 && tries < 20) {
        transport->fail(HttpError::NotConnectedToInternet);
        settle();
        ++tries;
    }
    EXPECT_EQ(tries, 10);
    EXPECT_EQ(pendingPurchaseOrders(), QStringList({"PO.1"}));
    queueOrder("PO.2");
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(plain(transport->pending().parameters.value("purchaseOrderNo")), "PO.1");
}

TEST_F(UploadFixture, NothingIsSentWithoutASessionTokenAndAcceptedWithoutANumberKeepsTheDevicesNumber)
{
    Session::setAuthToken(QString());
    queueOrder("PO.1");
    EXPECT_EQ(transport->calls().size(), 0);
    EXPECT_EQ(pendingPurchaseOrders(), QStringList({"PO.1"}));
    Session::setAuthToken("tok-late");
    settle();
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().parameters.value("authToken").toString(), "tok-late");
    // An answer without a token does not end the session.
    transport->answer(QVariantMap{{"status", "0"}});
    EXPECT_EQ(Session::authToken(), "tok-late");
    EXPECT_EQ(uploadStatus("PO.1"), 20);
    EXPECT_EQ(DataManager::sharedManager()->getSalesOrder("PO.1")->orderNo, "PO.1");
    EXPECT_EQ(completed.size(), 1);
}

TEST_F(UploadFixture, ItemPicturesAreQueuedOnceAndUnreadableOnesDropped)
{
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    AppManager::savePhotoToApplication(picture, "A100");
    UploadManager* queue = UploadManager::sharedManager();
    queue->addUpload("A100", "/material/A100.jpg"); // the same picture again
    queue->addUpload("B200", "/material/B200.jpg"); // never written
    queue->addUpload("C300", "");
    EXPECT_EQ(queue->entries().size(), 2);

    // What the server makes of the picture: UploadE2E.
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().parameters.value("skuCode").toString(), "A100");
    ASSERT_EQ(transport->pending().files().size(), 1);
    EXPECT_FALSE(QImage::fromData(transport->pending().files().first().body).isNull());
    transport->answer(QVariantMap{{"authToken", "tok-3"}});
    settle();
    // B200's file is missing: dropped, nothing sent, the queue is empty.
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(transport->pendingCount(), 0);
    EXPECT_EQ(Session::authToken(), "tok-3");
}
