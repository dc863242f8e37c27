// The network as it really fails, against servers the tests start on
// 127.0.0.1 and through the real HTTP client (faults/README.md has the whole
// matrix): nobody listening takes the off-line path; a socket that never
// answers times out, which is not the off-line path, and the interface keeps
// running; the reference order server misbehaving on purpose has each answer
// classified, nothing applied, and uploads left as drafts until it takes them.
// An order the server stored without the tablet hearing of it (the answer
// lost, or the application killed while the server held the request) is
// uploaded again as one order under the number it had the first time.
#include "FaultSupport.h"
#include "http/HttpClient.h"
#include "support/RQMaths.h"
#include "support/TestServer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTimer>

using namespace StoreFixtures;
using namespace Faults;

namespace {

void login(const QString& password = u"demo1234"_s)
{
    AppManager::loginWithUsername(u"demo"_s, password);
}

struct OfflineFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeStoreDelegate delegate{u"demo"_s};
    std::shared_ptr<HttpClient> client = std::make_shared<HttpClient>();
    Notifications events{"loginSuccess", "loginFailed", "updateSuccess", "updateFailed"};

    void SetUp() override
    {
        client->setTimeout(std::chrono::milliseconds(250));
        client->setDownloadTimeout(std::chrono::milliseconds(250));
        HttpTransport::setShared(client);
        Session::setAuthToken(QString());
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

    EXPECT_EQ(events.after([] { login(); }), u"loginSuccess:"_s);
    EXPECT_EQ(events.last.value(u"status"_s).toString(), u"1"_s);
    EXPECT_EQ(events.after([] { login(u"wrong-one"_s); }),
              u"loginFailed:Login name or password is wrong..."_s);
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
        HttpTransport::setShared(nullptr);
        pointAt(server->baseUrl());
        login();
        ASSERT_TRUE(events.waitFor(u"loginSuccess"_s)) << qPrintable(events.said.join('|'));
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
        Statement s = DataManager::sharedManager()->executeQuery(
            u"SELECT description FROM material WHERE skuCode = ?"_s, {sku});
        return (s.step() == Statement::Row ? s.columnText(0) : QString()) + u'|' +
               Session::storedTimeStamp();
    }
    // The order numbers the server holds under this purchase order number.
    QStringList serverNumbers(const QString& number) const
    {
        QStringList numbers;
        for (const QJsonValue& order : server->admin({u"orders"_s, u"--po"_s, number}).array())
            numbers << order.toObject().value(u"orderNo"_s).toString();
        return numbers;
    }
    // Uploads a draft the server may already hold under `onServer`: one order
    // there afterwards, with that number, and the tablet has taken it over.
    void expectUploadedOnce(const QString& number, const QStringList& onServer)
    {
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(events.waitFor(u"uploadComplete"_s));
        const QStringList now = serverNumbers(number);
        ASSERT_EQ(now.size(), 1);
        EXPECT_TRUE(onServer.isEmpty() || onServer == now);
        const auto stored = DataManager::sharedManager()->getSalesOrder(number);
        ASSERT_TRUE(stored);
        EXPECT_EQ(u"%1 %2 %3"_s.arg(stored->uploadStatus)
                      .arg(stored->orderNo)
                      .arg(DataManager::sharedManager()->getSalesOrderDetail(number).size()),
                  u"20 %1 2"_s.arg(now.first()));
    }
};

} // namespace

TEST_F(ServerFaults, UpdateAnswersThatMustNotBeAppliedAreClassifiedAndChangeNothing)
{
    const QString sku = u"AQ10002"_s;
    const QString before = state(sku) + u'|' + Session::authToken();
    ASSERT_FALSE(before.startsWith(u'|'));
    const QString stamp = Session::storedTimeStamp();
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
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(said, u"updateFailed:"_s + c.expected);
        } else {
            EXPECT_TRUE(said.startsWith(u"updateFailed:"_s) &&
                        said != u"updateFailed:Unknown error..."_s)
                << qPrintable(said);
        }
        if (QLatin1String(c.mode) == "refuse") {
            EXPECT_EQ(events.last.value(u"status"_s).toInt(), 5) << "the refused answer";
        }
        EXPECT_EQ(state(sku) + u'|' + Session::authToken(), before);
    }

    // The fault gone, the same change arrives.
    EXPECT_EQ(events.after(AppManager::getUpdateDataFromServer), u"updateSuccess:"_s);
    EXPECT_TRUE(state(sku).startsWith(u"Renamed on the server|"_s));
    EXPECT_NE(Session::storedTimeStamp(), stamp);
}

TEST_F(ServerFaults, ALoginCutOffMidAnswerAppliesNothing)
{
    const QString sku = u"AQ10003"_s;
    const QString before = state(sku);
    ASSERT_FALSE(server->admin({u"touch-material"_s, sku, u"Renamed at login"_s}).isNull());
    for (const char* mode : {"drop", "badjson", "html", "http500"}) {
        SCOPED_TRACE(mode);
        arm(u"login"_s, QLatin1String(mode));
        events.after([] { login(); });
        // A lost connection falls back to the stored account; the others fail.
        EXPECT_EQ(events.names, QStringList{QLatin1String(mode) == "drop" ? u"loginSuccess"_s
                                                                          : u"loginFailed"_s});
        EXPECT_EQ(state(sku), before);
    }
}

TEST_F(ServerFaults, UploadsTheServerDidNotTakeStayDrafts)
{
    // How many orders the server holds after the fault: "lose" carries every
    // try out and loses its answer (502), ten tries making one order.
    for (const auto& [mode, kept] : {std::pair{"refuse", 0},
                                     {"http500", 0},
                                     {"html", 0},
                                     {"empty", 0},
                                     {"nostatus", 0},
                                     {"badjson", 0},
                                     {"drop", 0},
                                     {"lose", 1}}) {
        SCOPED_TRACE(mode);
        const QString number = u"Acme.%1"_s.arg(QLatin1String(mode));
        saveDemoDraft(number);
        arm(u"updateOrder"_s, QLatin1String(mode), 0);
        events.clear();
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(waitUntilUploadsRest());
        EXPECT_FALSE(events.names.contains(u"uploadComplete"_s));
        EXPECT_EQ(uploadStatus(number), 10) << "the tablet never heard of it";
        const QStringList first = serverNumbers(number);
        EXPECT_EQ(first.size(), kept);
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
    ASSERT_TRUE(child.start(
        {u"upload"_s, sandbox.root(), server->baseUrl(), u"demo"_s, u"demo1234"_s, number}));
    ASSERT_TRUE(child.waitForLine(u"sent"_s, 20s)) << qPrintable(child.output());
    child.poll(std::chrono::milliseconds(300 + Faults::random().bounded(1200)));
    ASSERT_FALSE(child.kill().contains(u"done"_s)) << "killed too late";
    ASSERT_TRUE(QTest::qWaitFor([&] { return serverNumbers(number).size() == 1; }, 15000))
        << qPrintable(server->log());

    // The next start: still a draft. Log in, upload again.
    delegate.emplace(u"demo"_s);
    EXPECT_EQ(uploadStatus(number), 10);
    EXPECT_EQ(events.after([] { login(); }, 20000), u"loginSuccess:"_s);
    expectUploadedOnce(number, serverNumbers(number));
}
