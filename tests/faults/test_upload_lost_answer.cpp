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

using namespace StoreFixtures;
using namespace std::chrono_literals;

namespace {

struct LostAnswer : ::testing::Test {
    TestSandbox sandbox;
    std::unique_ptr<FakeStoreDelegate> delegate = std::make_unique<FakeStoreDelegate>(QStringLiteral("demo"));
    std::unique_ptr<TestServer> server;
    QObject observer;
    QStringList events;

    void SetUp() override
    {
        server = TestServer::startOrderServer();
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        UserDefaults::standard().setObject(server->baseUrl(), QStringLiteral("host"));
        UserDefaults::standard().synchronize();
        for (const char* name : {"loginSuccess", "loginFailed", "uploadComplete"}) {
            const QString n = QString::fromLatin1(name);
            NotificationCenter::defaultCenter().addObserver(&observer, n, [this, n](const QVariantMap&) { events << n; });
        }
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
        events.clear();
        AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return !events.isEmpty(); }, 20000));
        ASSERT_EQ(events, QStringList{QStringLiteral("loginSuccess")});
        events.clear();
    }
    void saveDraft(const QString& number)
    {
        SalesOrder draft = order(number, QStringLiteral("100001"), QStringLiteral("100001"));
        draft.remark = QStringLiteral("ring twice");
        ASSERT_TRUE(DataManager::sharedManager()->saveOrder(
            draft, QString(), {line(number, QStringLiteral("AQ10001"), 3), line(number, QStringLiteral("AQ10004"), 1)}));
    }
    QJsonArray serverOrders(const QString& number) const
    {
        return server->admin({QStringLiteral("orders"), QStringLiteral("--po"), number}).array();
    }
    QString localNumber(const QString& number) const
    {
        const auto stored = DataManager::sharedManager()->getSalesOrder(number);
        return stored ? stored->orderNo : QString();
    }
    int localStatus(const QString& number) const
    {
        const auto stored = DataManager::sharedManager()->getSalesOrder(number);
        return stored ? stored->uploadStatus : -1;
    }
};

} // namespace

TEST_F(LostAnswer, EveryAnswerLostThenUploadedAgain)
{
    login();
    const QString number = QStringLiteral("Acme.1765000000200");
    saveDraft(number);
    // Every try of the queue is carried out by the server and its answer lost.
    ASSERT_FALSE(server->admin({QStringLiteral("fault"), QStringLiteral("updateOrder"), QStringLiteral("lose"), QStringLiteral("10")}).isNull());
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return !UploadManager::sharedManager()->isUploading() && UploadManager::sharedManager()->errorTry() == 0; }, 30000));
    EXPECT_FALSE(events.contains(QStringLiteral("uploadComplete")));
    EXPECT_EQ(localStatus(number), 10) << "the tablet never heard of it";
    const QJsonArray stored = serverOrders(number);
    ASSERT_EQ(stored.size(), 1) << "ten tries, one order";
    const QString serverNumber = stored.first().toObject().value(QStringLiteral("orderNo")).toString();
    ASSERT_FALSE(serverNumber.isEmpty());

    // The salesman uploads it again.
    UploadManager::releaseManager();
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.contains(QStringLiteral("uploadComplete")); }, 15000));
    EXPECT_EQ(serverOrders(number).size(), 1);
    EXPECT_EQ(localStatus(number), 20);
    EXPECT_EQ(localNumber(number), serverNumber);
    EXPECT_EQ(DataManager::sharedManager()->getSalesOrderDetail(number).size(), 2);
}

TEST_F(LostAnswer, KilledWhileTheServerHeldTheRequest)
{
    const QString number = QStringLiteral("Acme.1765000000300");
    saveDraft(number);
    DataManager::releaseManager();
    delegate.reset();

    // The server sits on the order for two seconds, then stores it; the
    // application is killed in between.
    ASSERT_FALSE(server->admin({QStringLiteral("fault"), QStringLiteral("updateOrder"), QStringLiteral("stall"), QStringLiteral("1"),
                                QStringLiteral("--seconds"), QStringLiteral("2")})
                     .isNull());
    Faults::Child child;
    ASSERT_TRUE(child.start({QStringLiteral("upload"), sandbox.root(), server->baseUrl(), QStringLiteral("demo"),
                             QStringLiteral("demo1234"), number}));
    ASSERT_TRUE(child.waitForLine(QStringLiteral("sent"), 20s)) << qPrintable(child.lines().join('\n') + child.errors());
    child.poll(std::chrono::milliseconds(300 + Faults::random().bounded(1200)));
    const QStringList said = child.kill();
    ASSERT_FALSE(said.contains(QStringLiteral("done"))) << "killed too late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverOrders(number).size() == 1; }, 15000)) << qPrintable(server->log());
    const QString serverNumber = serverOrders(number).first().toObject().value(QStringLiteral("orderNo")).toString();

    // The next start: still a draft. Log in, upload again.
    delegate = std::make_unique<FakeStoreDelegate>(QStringLiteral("demo"));
    EXPECT_EQ(localStatus(number), 10);
    login();
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.contains(QStringLiteral("uploadComplete")); }, 15000));
    EXPECT_EQ(serverOrders(number).size(), 1);
    EXPECT_EQ(localStatus(number), 20);
    EXPECT_EQ(localNumber(number), serverNumber);
}
