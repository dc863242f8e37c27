// The server stored an order but the tablet never handled the answer: the
// answer was lost on the way (the reference server's "lose" mode answers 502
// after storing), or the application was killed while the server held the
// request. The order stays a draft on the tablet; uploading it again gives
// one order on the server, under the number it had from the first time, and
// the tablet takes that number over.
#include "FaultSupport.h"
#include "support/TestServer.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

struct LostAnswer : ::testing::Test
{
    TestSandbox sandbox;
    std::optional<FakeStoreDelegate> delegate{u"demo"_s};
    std::unique_ptr<TestServer> server = TestServer::startOrderServer();
    Faults::Notifications events{"loginSuccess", "loginFailed", "uploadComplete"};

    void SetUp() override
    {
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        Faults::pointAt(server->baseUrl());
    }
    void TearDown() override { Faults::releaseNetwork(); }
    void arm(const QStringList& fault)
    {
        ASSERT_FALSE(server->admin(QStringList{u"fault"_s, u"updateOrder"_s} + fault).isNull());
    }
    void login()
    {
        EXPECT_EQ(
            events.after([] { AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s); }, 20000),
            u"loginSuccess:"_s);
    }
    // The order numbers the server holds under this purchase order number.
    QStringList serverNumbers(const QString& number) const
    {
        QStringList numbers;
        for (const QJsonValue& order : server->admin({u"orders"_s, u"--po"_s, number}).array())
            numbers << order.toObject().value(u"orderNo"_s).toString();
        return numbers;
    }
    // Uploads the draft again (logged in anew after a start): one order on the server, with the
    // number it had from the first time, and the tablet takes it over.
    void expectUploadedOnce(const QString& number, const QStringList& onServer, bool start)
    {
        ASSERT_EQ(onServer.size(), 1);
        ASSERT_FALSE(onServer.first().isEmpty());
        EXPECT_EQ(Faults::uploadStatus(number), 10) << "the tablet never heard of it";
        if (start)
            login();
        UploadManager::releaseManager();
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(events.waitFor(u"uploadComplete"_s));
        EXPECT_EQ(serverNumbers(number), onServer);
        const auto stored = DataManager::sharedManager()->getSalesOrder(number);
        ASSERT_TRUE(stored);
        EXPECT_EQ(u"%1 %2 %3"_s.arg(stored->uploadStatus)
                      .arg(stored->orderNo)
                      .arg(DataManager::sharedManager()->getSalesOrderDetail(number).size()),
                  u"20 %1 2"_s.arg(onServer.first()));
    }
};

} // namespace

TEST_F(LostAnswer, EveryAnswerLostThenUploadedAgain)
{
    const QString number = u"Acme.1765000000200"_s;
    login();
    Faults::saveDemoDraft(number);
    // Every try of the queue is carried out by the server and its answer lost.
    arm({u"lose"_s, u"10"_s});
    AppManager::uploadSalesOrder(number);
    ASSERT_TRUE(Faults::waitUntilUploadsRest());
    EXPECT_FALSE(events.names.contains(u"uploadComplete"_s));
    expectUploadedOnce(number, serverNumbers(number), false); // ten tries, one order
}

TEST_F(LostAnswer, KilledWhileTheServerHeldTheRequest)
{
    const QString number = u"Acme.1765000000300"_s;
    Faults::saveDemoDraft(number);
    DataManager::releaseManager();
    delegate.reset();

    // The server sits on the order for two seconds, then stores it; the
    // application is killed in between.
    arm({u"stall"_s, u"1"_s, u"--seconds"_s, u"2"_s});
    Faults::Child child;
    ASSERT_TRUE(child.start(
        {u"upload"_s, sandbox.root(), server->baseUrl(), u"demo"_s, u"demo1234"_s, number}));
    ASSERT_TRUE(child.waitForLine(u"sent"_s, 20s)) << qPrintable(child.output());
    child.poll(std::chrono::milliseconds(300 + Faults::random().bounded(1200)));
    ASSERT_FALSE(child.kill().contains(u"done"_s)) << "killed too late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverNumbers(number).size() == 1; }, 15000))
        << qPrintable(server->log());

    // The next start: still a draft. Log in, upload again.
    delegate.emplace(u"demo"_s);
    expectUploadedOnce(number, serverNumbers(number), true);
}
