// The network as it really fails, against servers the tests start on
// 127.0.0.1, through the real HTTP client (the matrix in faults/README.md).
#include "FaultSupport.h"
#include "http/HttpClient.h"
#include "support/ListTexts.h"
#include "support/RQMaths.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpServer>
#include <QTimer>

using namespace StoreFixtures;
using namespace Faults;

namespace {

const auto login = [] { AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s); };

// A draft of two lines for the demo data's customer and items (the reference
// server's), and the upload status of a stored order (-1: not there).
void saveDemoDraft(const QString& number)
{
    ASSERT_TRUE(DataManager::sharedManager()->saveOrder(
        order(number, u"100001"_s, u"100001"_s), QString(),
        {line(number, u"AQ10001"_s, 3), line(number, u"AQ10004"_s, 1)}));
}

int uploadStatus(const QString& number)
{
    const auto stored = DataManager::sharedManager()->getSalesOrder(number);
    return stored ? stored->uploadStatus : -1;
}

// The upload queue has tried and rests: nothing in flight, its failure count
// back at 0.
bool waitUntilUploadsRest()
{
    UploadManager* uploads = UploadManager::sharedManager();
    return QTest::qWaitFor([uploads] { return !uploads->isUploading() && !uploads->errorTry(); },
                           30000);
}

struct OfflineFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeStoreDelegate delegate{u"demo"_s};
    std::shared_ptr<HttpClient> client = std::make_shared<HttpClient>();
    Notifications events{"loginSuccess", "loginFailed", "updateSuccess", "updateFailed"};

    void SetUp() override
    {
        client->setTimeout(250ms);
        HttpTransport::setShared(client);
        // The account an earlier on-line login brought down.
        const QString key = RQMaths::keyText();
        ASSERT_TRUE(DataManager::sharedManager()->updateSalesman(
            {QVariantMap{{"salesmanCode", "S001"},
                         {"username", RQMaths::encodeString2(u"demo"_s, key)},
                         {"password", RQMaths::encodeString2(u"demo1234"_s, key)},
                         {"status", "20"}}}));
        Session::storeTimeStamp(u"00000000000007"_s);
    }
    void TearDown() override { releaseNetwork(); }
    // An update that fails with this message and keeps the time stamp, and an
    // order sent meanwhile that stays queued and a draft.
    void expectUpdateAndUploadFail(const QString& message, const QString& number)
    {
        EXPECT_EQ(events.after(AppManager::getUpdateDataFromServer), u"updateFailed:"_s + message);
        EXPECT_EQ(Session::storedTimeStamp(), u"00000000000007"_s);
        saveDemoDraft(number);
        Session::setAuthToken(u"held-token"_s);
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(waitUntilUploadsRest());
        EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
        EXPECT_EQ(uploadStatus(number), 10);
    }
};

} // namespace

TEST_F(OfflineFixture, ServerDownTakesTheOfflinePathAndTheQueuesKeepTheirEntries)
{
    const QString down = u"http://127.0.0.1:%1"_s.arg(TestServer::freePort());
    pointAt(down + u"/api/"_s);

    EXPECT_EQ(events.after(login), u"loginSuccess:"_s);
    EXPECT_EQ(events.last.value(u"status"_s).toString(), u"1"_s);
    expectUpdateAndUploadFail(u"Unknown error..."_s, u"Acme.1001"_s);

    DownloadManager* downloads = DownloadManager::sharedManager();
    downloads->addDownload(down + u"/__files__/material/A.jpg"_s, u"/material/A.jpg"_s);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !downloads->isDownloading() && downloads->errorTry() == 0; }, 30000));
    DownloadManager::releaseManager();
    EXPECT_EQ(DownloadManager::sharedManager()->entries().size(), 1) << "kept in download.dat";
}

TEST_F(OfflineFixture, ABlackHoledServerTimesOutAndTheInterfaceKeepsRunning)
{
    // A socket that takes connections and never says a word.
    QTcpServer hole;
    ASSERT_TRUE(hole.listen(QHostAddress::LocalHost));
    pointAt(u"http://127.0.0.1:%1/api/"_s.arg(hole.serverPort()));

    // The event loop keeps turning while the request waits.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    QElapsedTimer timer;
    timer.start();
    // A server that does not answer is not a missing network: no off-line
    // login, although the account is stored with that very password.
    login();
    EXPECT_LT(timer.elapsed(), 200) << "the login must not block";
    ASSERT_TRUE(events.waitFor(u"loginFailed"_s));
    EXPECT_EQ(events.said, QStringList{u"loginFailed:"_s + HttpError::timedOut().description()});
    EXPECT_GT(ticks, 10);
    expectUpdateAndUploadFail(HttpError::timedOut().description(), u"Acme.1002"_s);
}

namespace {

// One reference order server for the whole group; every test logs in anew
// in a sandbox of its own.
struct ServerFaults : ::testing::Test
{
    static inline std::unique_ptr<TestServer> server;
    TestSandbox sandbox;
    std::optional<FakeStoreDelegate> delegate{u"demo"_s};
    Notifications events{"loginSuccess", "loginFailed", "updateSuccess", "updateFailed",
                         "uploadComplete"};

    static void SetUpTestSuite() { server = TestServer::startOrderServer(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        arm(u"clear"_s);
        pointAt(server->baseUrl());
        ASSERT_EQ(events.after(login), u"loginSuccess:"_s);
        // The promotion request that follows the login, answered or not.
        QTest::qWait(100);
    }
    void TearDown() override
    {
        if (server)
            arm(u"clear"_s);
        releaseNetwork();
    }
    void arm(const QString& endpoint, const QString& mode = {}, int count = 1)
    {
        const QStringList fault{u"fault"_s, endpoint, mode, QString::number(count)};
        ASSERT_FALSE(server->admin(mode.isEmpty() ? fault.mid(0, 2) : fault).isNull())
            << qPrintable(TestServer::lastError());
    }
    // A material's description on the tablet, and the stored time stamp.
    static QString state(const QString& sku)
    {
        return Peek(DataManager::sharedManager()->getDatabasePath())
                   .value(u"SELECT description FROM material WHERE skuCode = ?"_s, {sku}) +
               u'|' + Session::storedTimeStamp();
    }
    // The order numbers the server holds under this purchase order number.
    QStringList serverNumbers(const QString& number) const
    {
        return texts(server->admin({u"orders"_s, u"--po"_s, number}).array(),
                     [](const QJsonValue& order) { return order[u"orderNo"_s].toString(); });
    }
    // Uploads a draft the server may already hold under `onServer`: one order
    // there afterwards, with that number, and the tablet has taken it over.
    void expectUploadedOnce(const QString& number, const QStringList& onServer)
    {
        events.after([&] { AppManager::uploadSalesOrder(number); });
        ASSERT_TRUE(events.waitFor(u"uploadComplete"_s));
        const QStringList now = serverNumbers(number);
        ASSERT_EQ(now.size(), 1);
        EXPECT_TRUE(onServer.isEmpty() || onServer == now);
        EXPECT_EQ(Peek(DataManager::sharedManager()->getDatabasePath())
                      .value(u"SELECT uploadStatus, orderNo, (SELECT COUNT(*) FROM "
                             "salesOrderDetails WHERE orderNo = ?1) FROM salesOrder "
                             "WHERE purchaseOrderNo = ?1"_s,
                             {number}),
                  u"20|%1|2"_s.arg(now.first()));
    }
};

} // namespace

TEST_F(ServerFaults, AnswersThatMustNotBeAppliedAreClassifiedAndChangeNothing)
{
    const QString sku = u"AQ10002"_s;
    const QString before = state(sku) + u'|' + Session::authToken();
    ASSERT_FALSE(server->admin({u"touch-material"_s, sku, u"Renamed on the server"_s}).isNull());

    // The message of each; empty: any failure but the off-line one, the
    // server did answer.
    const struct
    {
        const char* mode;
        QString expected;
    } cases[] = {
        {"drop", u"Unknown error..."_s}, // the connection was lost: the off-line message
        {"http500", u"Request failed: Internal Server Error (500)"_s},
        {"html", u"Request failed: unacceptable content-type: text/html"_s},
        {"refuse", u"The order server is busy. Please try again later..."_s},
        {"nostatus", u"Connection error..."_s},
        {"empty", QString()},
        {"badjson", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        arm(u"getUpdateData"_s, QLatin1String(c.mode));
        const QString said = events.after(AppManager::getUpdateDataFromServer);
        EXPECT_TRUE(c.expected.isEmpty() ? said.startsWith(u"updateFailed:"_s) &&
                                               said != u"updateFailed:Unknown error..."_s
                                         : said == u"updateFailed:"_s + c.expected)
            << qPrintable(said);
        EXPECT_EQ(state(sku) + u'|' + Session::authToken(), before);
    }

    // The fault gone, the same change arrives.
    EXPECT_EQ(events.after(AppManager::getUpdateDataFromServer), u"updateSuccess:"_s);
    const QString after = state(sku);
    EXPECT_TRUE(after.startsWith(u"Renamed on the server|"_s));
    EXPECT_NE(after, u"Renamed on the server|"_s + before.section(u'|', 1, 1));

    // Nor does a login cut off mid-answer, or failing, apply anything.
    ASSERT_FALSE(server->admin({u"touch-material"_s, sku, u"Renamed at login"_s}).isNull());
    for (const char* mode : {"drop", "badjson", "html", "http500"}) {
        SCOPED_TRACE(mode);
        arm(u"login"_s, QLatin1String(mode));
        events.after(login);
        // A lost connection falls back to the stored account; the others fail.
        EXPECT_EQ(events.names, QStringList{QLatin1String(mode) == "drop" ? u"loginSuccess"_s
                                                                          : u"loginFailed"_s});
        EXPECT_EQ(state(sku), after);
    }
}

TEST_F(ServerFaults, UploadsTheServerDidNotTakeStayDrafts)
{
    // How many orders the server holds after the fault: "lose" carries every
    // try out and loses its answer (502), ten tries making one order.
    for (const char* mode :
         {"refuse", "http500", "html", "empty", "nostatus", "badjson", "drop", "lose"}) {
        SCOPED_TRACE(mode);
        const QString number = u"Acme.%1"_s.arg(QLatin1String(mode));
        saveDemoDraft(number);
        arm(u"updateOrder"_s, QLatin1String(mode), 0);
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(waitUntilUploadsRest());
        EXPECT_EQ(uploadStatus(number), 10) << "the tablet never heard of it";
        const QStringList first = serverNumbers(number);
        EXPECT_EQ(first.size(), QLatin1String(mode) == "lose" ? 1 : 0);
        arm(u"clear"_s);
        UploadManager::releaseManager();

        // Sent again once the server behaves: one order, under the number
        // it had from the first time, and the tablet takes it over.
        ASSERT_NO_FATAL_FAILURE(expectUploadedOnce(number, first));
        UploadManager::releaseManager();
    }
}

TEST_F(ServerFaults, KilledWhileTheServerHeldTheRequest)
{
    const QString number = u"Acme.1765000000300"_s;
    saveDemoDraft(number);
    DataManager::releaseManager();
    delegate.reset();

    // The server sits on the order for two seconds, then stores it; the
    // application is killed in between.
    ASSERT_FALSE(
        server->admin({u"fault"_s, u"updateOrder"_s, u"stall"_s, u"1"_s, u"--seconds"_s, u"2"_s})
            .isNull());
    Child child;
    ASSERT_TRUE(child.start({u"upload"_s, sandbox.root(), u"demo"_s, u"demo1234"_s, number}));
    ASSERT_TRUE(child.waitForLine(u"sent"_s, 20s)) << qPrintable(child.output());
    child.poll(std::chrono::milliseconds(300 + Faults::random().bounded(1200)));
    ASSERT_FALSE(child.kill().contains(u"done"_s)) << "killed too late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverNumbers(number).size() == 1; }, 15000))
        << qPrintable(server->log());

    // The next start: still a draft. Log in, upload again.
    delegate.emplace(u"demo"_s);
    EXPECT_EQ(uploadStatus(number), 10);
    EXPECT_EQ(events.after(login, 20000), u"loginSuccess:"_s);
    expectUploadedOnce(number, serverNumbers(number));
}
