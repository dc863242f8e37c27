// A salesman's first minutes against the reference order server behind https
// (tests/support/tls_front.py, certificates made by openssl for the test),
// trusted through the "serverCA" setting: the login fills the database,
// promotions follow, an update brings what changed and an upload goes
// through. A front whose authority nobody named is told as not trusted and
// never taken for "off line". Plain http is what every other end-to-end test
// runs on; refusals and logging in off line are the unit tests' (LoginFixture).
#include "core/AppManager.h"
#include "http/ServerTrust.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/Session.h"
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
    QStringList& events = session.events;
    QString& message = session.message; // of the last event posted

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(session.start());
        front = TestServer::startTlsFront(*session.server, certificates.path());
        stranger = TestServer::startTlsFront(*session.server, strangerCertificates.path());
        ASSERT_TRUE(front && stranger) << qPrintable(TestServer::lastError());
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
    static QString first(const QString& sql)
    {
        Statement s = DataManager::sharedManager()->executeQuery(sql);
        return s.step() == Statement::Row ? s.columnText(0) : QString();
    }
    void waitForEvent()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 15000));
    }
};
} // namespace

TEST_F(TlsE2E, LoginUpdateAndUploadThroughTheCaSettingAndNeverOffLineWhenUntrusted)
{
    UserDefaults::standard().setObject(certificates.filePath("ca.pem"), ServerTrust::settingKey());
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    EXPECT_EQ(UserDefaults::standard().stringForKey("salesmanCode"), "S001");
    const QString filled = "SELECT (SELECT COUNT(*) FROM material) || ' ' || "
                           "(SELECT COUNT(*) > 0 FROM brand) || (SELECT COUNT(*) > 0 FROM "
                           "customerSoldTo) || (SELECT COUNT(*) > 0 FROM routing_shipTo) || "
                           "(SELECT COUNT(*) > 0 FROM salesOrder WHERE so_salesman = 'demo') || "
                           "(SELECT COUNT(*) > 0 FROM salesman WHERE status = 20) || "
                           "(SELECT COUNT(*) > 0 FROM promote_db)";
    EXPECT_TRUE(QTest::qWaitFor([&] { return first(filled) == "200 111111"; }, 10000))
        << qPrintable(first(filled));

    // A change on the server: the update brings it (that it brings nothing
    // else is the server's own protocol test).
    const QString sku = first("SELECT skuCode FROM material ORDER BY priority LIMIT 1");
    const QString stamp = Session::storedTimeStamp();
    ASSERT_FALSE(session.server->admin({"touch-material", sku, "Renamed on the server"}).isNull())
        << qPrintable(TestServer::lastError());
    AppManager::getUpdateDataFromServer();
    ASSERT_NO_FATAL_FAILURE(waitForEvent());
    ASSERT_EQ(events, QStringList{"updateSuccess"}) << qPrintable(message);
    EXPECT_EQ(first("SELECT description FROM material WHERE skuCode = '" + sku + "'"),
              "Renamed on the server");
    EXPECT_NE(Session::storedTimeStamp(), stamp);
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
