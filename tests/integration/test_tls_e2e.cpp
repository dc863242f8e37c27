// The order server behind https (tests/support/tls_front.py, certificates made
// by openssl for the test): trusted through the "serverCA" setting, a login, a
// synchronisation and an upload go through; a front whose authority nobody
// named is told as not trusted and never taken for "off line". Plain http is
// what every other end-to-end test runs on.
#include "core/AppManager.h"
#include "http/ServerTrust.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/UploadManager.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct TlsE2E : ::testing::Test
{
    TestSandbox sandbox;
    DemoSession session;
    QTemporaryDir certificates, strangerCertificates;
    std::unique_ptr<TestServer> front, stranger; // the second: an authority not named
    QObject observer;
    QStringList& events = session.events;
    QString message; // of the last failure posted

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(session.start());
        front = TestServer::startTlsFront(*session.server, certificates.path());
        stranger = TestServer::startTlsFront(*session.server, strangerCertificates.path());
        ASSERT_TRUE(front && stranger) << qPrintable(TestServer::lastError());
        for (const char* name : {"updateSuccess", "updateFailed", "loginFailed"}) {
            const QString n = QString::fromLatin1(name);
            NotificationCenter::defaultCenter().addObserver(
                &observer, n, [this, n](const QVariantMap& info) {
                    if (n != "loginFailed") // DemoSession records that one
                        events << n;
                    message = info.value("message").toString();
                });
        }
        UserDefaults::standard().setObject(front->baseUrl(), "host");
    }
    void saveDraft(const QString& number)
    {
        SalesOrder order;
        order.purchaseOrderNo = order.orderNo = number;
        order.soldToCode = order.shipToCode = "100001";
        const QString sku = DataManager::sharedManager()->getItemList().first().skuCode;
        ASSERT_TRUE(DataManager::sharedManager()->saveOrder(order, number,
                                                            {StoreFixtures::line(number, sku, 3)}));
    }
    // Uploads and waits until the queue is idle; the order's uploadStatus then.
    int upload(const QString& number)
    {
        AppManager::uploadSalesOrder(number);
        UploadManager* queue = UploadManager::sharedManager();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !queue->isUploading(); }, 15000));
        QTest::qWait(500); // retries would have run by now
        EXPECT_FALSE(queue->isUploading());
        return DataManager::sharedManager()->getSalesOrder(number)->uploadStatus;
    }
    void waitForEvent()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 15000));
    }
};
} // namespace

TEST_F(TlsE2E, TrustedThroughTheCaSettingAndNeverOffLineWhenUntrusted)
{
    UserDefaults::standard().setObject(certificates.filePath("ca.pem"), ServerTrust::settingKey());
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    AppManager::getUpdateDataFromServer();
    ASSERT_NO_FATAL_FAILURE(waitForEvent());
    ASSERT_EQ(events, QStringList{"updateSuccess"}) << qPrintable(message);
    events.clear();
    saveDraft("Tls.1765000000001");
    EXPECT_EQ(upload("Tls.1765000000001"), 20);
    EXPECT_EQ(session.server->admin({"orders", "--po", "Tls.1765000000001"}).array().size(), 1);
    // Item pictures too came over https (the server's links say https).
    EXPECT_EQ(front->log().count("handshake failed"), 0) << qPrintable(front->log());

    // The same server behind a certificate from an authority nobody named.
    // The accounts stored by the login above would let an off-line login in.
    UserDefaults::standard().setObject(stranger->baseUrl(), "host");
    events.clear();
    AppManager::loginWithUsername("demo", "demo1234");
    ASSERT_NO_FATAL_FAILURE(waitForEvent());
    EXPECT_EQ(events, QStringList{"loginFailed"});
    // ...told with its reason.
    EXPECT_TRUE(message.startsWith("The server's certificate is not trusted: ") &&
                !message.endsWith(": "))
        << qPrintable(message);

    saveDraft("Tls.1765000000002");
    const int failedBefore = stranger->log().count("handshake failed");
    EXPECT_EQ(upload("Tls.1765000000002"), 10);
    // Tried once, not again and again; the order stays a draft.
    EXPECT_EQ(stranger->log().count("handshake failed") - failedBefore, 1)
        << qPrintable(stranger->log());
}
