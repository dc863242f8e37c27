#include "core/AppManager.h"
#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/FakeTransport.h"
#include "support/ListTexts.h"
#include "support/RQMaths.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/OrderPayload.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
QString plain(const QVariant& hex)
{
    return RQMaths::decodeString2(hex.toString(), RQMaths::keyText());
}

struct UploadFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeStoreDelegate owner{kAlice};
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QObject observer;
    QStringList completed; // purchase order numbers of "uploadComplete"

    void SetUp() override
    {
        UploadManager::releaseManager();
        HttpTransport::setShared(transport);
        Session::setAuthToken("tok-0");
        NotificationCenter::defaultCenter().addObserver(
            &observer, "uploadComplete",
            [this](const QVariantMap& info) { completed << plain(info.value("purchaseOrderNo")); });
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
    // Answers the pending call and lets deferred sends run.
    void answer(const QVariantMap& json)
    {
        transport->answer(json);
        QTest::qWait(1);
    }
    static QString queued()
    {
        return texts(UploadManager::sharedManager()->entries(),
                     [](const UploadData& e) { return e.orderNo; })
            .join(u' ');
    }
    // The stored order's number and upload status.
    static QString stored(const QString& number)
    {
        const auto order = DataManager::sharedManager()->getSalesOrder(number);
        return order ? order->orderNo + u':' + QString::number(order->uploadStatus) : QString();
    }
};
} // namespace

// An upload is accepted only with an explicit status 0.
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
    const QStringList enciphered{"purchaseOrderNo", "deliveryDate", "deliveryAddress",
                                 "soldToCode",      "shipToCode",   "sapOrderNo",
                                 "orderDate",       "remark",       "item"};
    QStringList fields;
    // Enciphered fields are lowercase hexadecimal on the wire (other text reads as none).
    for (auto [field, value] : payload.asKeyValueRange())
        fields << field + u'=' + (enciphered.contains(field) ? plain(value) : value.toString());
    // Every occurrence of the promotion code goes from the items, not only the appended one.
    EXPECT_EQ(fields.join(u'|'),
              "deliveryAddress=O'Hara Road 5|deliveryDate=2025-03-12 00:00:00|"
              "item=A100,5,CS, ,B200_promo,2,EA,P7,X_promo,1,EA,P7|orderDate=2025-03-10 10:00:00|"
              "paymenttype=2|priority=1|purchaseOrderNo=Acme.1735000000123|"
              "remark=Ring twice/nBack door|sapOrderNo=|sapStatus=OPEN|shipToCode=SH101|"
              "soldToCode=C100|transactionStatus=20|type=2|uploadStatus=10|vdtype=1");
    EXPECT_EQ(OrderPayload::build("X.1", o, {})["item"].toString(), "");
    EXPECT_FALSE(OrderPayload::build("NOT.STORED").has_value());
}

TEST_F(UploadFixture, ARefusedOrderAlternatesWithTheNextAndIsDroppedAfterTen)
{
    queueOrder("PO.1");
    queueOrder("PO.2");
    answer({{"status", 5}, {"message", "busy"}});
    EXPECT_EQ(queued(), "PO.2 PO.1");
    // An answer without a status is no acceptance either.
    answer({{"result", QVariantList{QVariantMap{{"orderNo", "1"}}}}});
    EXPECT_EQ(queued(), "PO.1 PO.2");

    // Eight more refusals make ten in a row: the head is given up.
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(transport->pendingCount(), 1) << i;
        answer({{"status", "2"}});
    }
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
    EXPECT_EQ(transport->pendingCount(), 0); // resting until the next addition
    EXPECT_EQ(stored("PO.1") + u' ' + stored("PO.2"), "PO.1:10 PO.2:10");
    EXPECT_TRUE(completed.isEmpty());

    // An order that cannot reach the server is tried ten times too, but kept.
    queueOrder("PO.3");
    for (int i = 0; i < 10; ++i)
        transport->fail(HttpError::NotConnectedToInternet);
    EXPECT_EQ(transport->pendingCount(), 0);
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 2);
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

    // What the server makes of the picture: CatalogueE2E.
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().parameters.value("skuCode").toString(), "A100");
    answer({});
    // B200's file is missing: dropped, nothing sent, the queue is empty.
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(transport->pendingCount(), 0);
}
