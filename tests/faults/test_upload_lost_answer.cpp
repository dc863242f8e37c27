// The server stored an order but the tablet never handled the answer: the
// answer was lost on the way (the reference server's "lose" mode answers 502
// after storing), or the application was killed while the server held the
// request. The order stays a draft on the tablet; uploading it again gives
// one order on the server, under the number it had from the first time, and
// the tablet takes that number over.
#include "FaultSupport.h"
#include "core/AppManager.h"
#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace StoreFixtures;
using namespace std::chrono_literals;

namespace {

struct LostAnswer : ::testing::Test {
    TestSandbox sandbox;
    std::unique_ptr<FakeStoreDelegate> delegate = std::make_unique<FakeStoreDelegate>(u"demo"_s);
    std::unique_ptr<TestServer> server;
    Faults::Notifications events{"loginSuccess", "loginFailed", "uploadComplete"};

    void SetUp() override
    {
        server = TestServer::startOrderServer();
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        UserDefaults::standard().setObject(server->baseUrl(), u"host"_s);
        UserDefaults::standard().synchronize();
    }
    void TearDown() override
    {
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        // Downloads the login started must not land after the sandbox is gone.
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    void login()
    {
        events.after([] { AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s); }, 20000);
        ASSERT_EQ(events.names, QStringList{u"loginSuccess"_s});
        events.clear();
    }
    QJsonArray serverOrders(const QString& number) const
    {
        return server->admin({u"orders"_s, u"--po"_s, number}).array();
    }
    QString localNumber(const QString& number) const
    {
        const auto stored = DataManager::sharedManager()->getSalesOrder(number);
        return stored ? stored->orderNo : QString();
    }
};

} // namespace

TEST_F(LostAnswer, EveryAnswerLostThenUploadedAgain)
{
    login();
    const QString number = u"Acme.1765000000200"_s;
    Faults::saveDemoDraft(number);
    // Every try of the queue is carried out by the server and its answer lost.
    ASSERT_FALSE(server->admin({u"fault"_s, u"updateOrder"_s, u"lose"_s, u"10"_s}).isNull());
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return !UploadManager::sharedManager()->isUploading() && UploadManager::sharedManager()->errorTry() == 0; }, 30000));
    EXPECT_FALSE(events.names.contains(u"uploadComplete"_s));
    EXPECT_EQ(Faults::uploadStatus(number), 10) << "the tablet never heard of it";
    const QJsonArray stored = serverOrders(number);
    ASSERT_EQ(stored.size(), 1) << "ten tries, one order";
    const QString serverNumber = stored.first().toObject().value(u"orderNo"_s).toString();
    ASSERT_FALSE(serverNumber.isEmpty());

    // The salesman uploads it again.
    UploadManager::releaseManager();
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(events.waitFor(u"uploadComplete"_s));
    EXPECT_EQ(serverOrders(number).size(), 1);
    EXPECT_EQ(Faults::uploadStatus(number), 20);
    EXPECT_EQ(localNumber(number), serverNumber);
    EXPECT_EQ(DataManager::sharedManager()->getSalesOrderDetail(number).size(), 2);
}

TEST_F(LostAnswer, KilledWhileTheServerHeldTheRequest)
{
    const QString number = u"Acme.1765000000300"_s;
    Faults::saveDemoDraft(number);
    DataManager::releaseManager();
    delegate.reset();

    // The server sits on the order for two seconds, then stores it; the
    // application is killed in between.
    ASSERT_FALSE(server->admin({u"fault"_s, u"updateOrder"_s, u"stall"_s, u"1"_s, u"--seconds"_s, u"2"_s}).isNull());
    Faults::Child child;
    ASSERT_TRUE(child.start({u"upload"_s, sandbox.root(), server->baseUrl(), u"demo"_s, u"demo1234"_s, number}));
    ASSERT_TRUE(child.waitForLine(u"sent"_s, 20s)) << qPrintable(child.lines().join('\n') + child.errors());
    child.poll(std::chrono::milliseconds(300 + Faults::random().bounded(1200)));
    const QStringList said = child.kill();
    ASSERT_FALSE(said.contains(u"done"_s)) << "killed too late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverOrders(number).size() == 1; }, 15000)) << qPrintable(server->log());
    const QString serverNumber = serverOrders(number).first().toObject().value(u"orderNo"_s).toString();

    // The next start: still a draft. Log in, upload again.
    delegate = std::make_unique<FakeStoreDelegate>(u"demo"_s);
    EXPECT_EQ(Faults::uploadStatus(number), 10);
    login();
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(events.waitFor(u"uploadComplete"_s));
    EXPECT_EQ(serverOrders(number).size(), 1);
    EXPECT_EQ(Faults::uploadStatus(number), 20);
    EXPECT_EQ(localNumber(number), serverNumber);
}
