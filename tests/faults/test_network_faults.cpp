// The network as it really fails, against servers the tests start on
// 127.0.0.1 and through the real HTTP client:
//  - nobody listening (server down): the off-line path; queues keep their entries;
//  - a socket that accepts and never answers (black hole): the request times
//    out, which is not the off-line path; nothing is applied and the
//    interface keeps running meanwhile;
//  - the reference order server misbehaving on purpose (connection dropped in
//    the middle of an answer, HTTP 500, HTML with 200, a refusal, an empty
//    body, no status, JSON cut short): each classified as it must be, nothing
//    applied, uploads left as drafts until the server takes them.
#include "FaultSupport.h"
#include "core/AppManager.h"
#include "http/HttpClient.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/RQMaths.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {

QString cipher(const QString& text)
{
    return RQMaths::encodeString2(text, RQMaths::keyText());
}

using Faults::saveDemoDraft;
using Faults::uploadStatus;

// The queue has tried and rests: nothing in flight, its failure count back at 0.
bool waitUntilUploadsRest(int ms = 30000)
{
    UploadManager* uploads = UploadManager::sharedManager();
    return QTest::qWaitFor([uploads] { return !uploads->isUploading() && uploads->errorTry() == 0; }, ms);
}

struct OfflineFixture : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate delegate{u"demo"_s};
    std::shared_ptr<HttpClient> client = std::make_shared<HttpClient>();
    Faults::Notifications events{"loginSuccess", "loginFailed", "updateSuccess", "updateFailed", "uploadComplete"};

    void SetUp() override
    {
        client->setTimeout(std::chrono::milliseconds(250));
        client->setDownloadTimeout(std::chrono::milliseconds(250));
        HttpTransport::setShared(client);
        Session::setAuthToken(QString());
        // The account an earlier on-line login brought down.
        ASSERT_TRUE(DataManager::sharedManager()->updateSalesman(
            {QVariantMap{{"salesmanCode", "S001"}, {"username", cipher("demo")}, {"password", cipher("demo1234")}, {"status", "20"}}}));
        Session::storeTimeStamp(u"00000000000007"_s);
    }
    void TearDown() override
    {
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    void pointAt(quint16 port)
    {
        UserDefaults::standard().setObject(u"http://127.0.0.1:%1/api/"_s.arg(port), u"host"_s);
        UserDefaults::standard().synchronize();
    }
    // An update that fails with this message and keeps the time stamp, and an
    // order sent meanwhile that stays queued and a draft.
    void expectUpdateAndUploadFail(const QString& message, const QString& number)
    {
        EXPECT_EQ(events.after([] { AppManager::getUpdateDataFromServer(); }), u"updateFailed:"_s + message);
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
    pointAt(TestServer::freePort());

    events.after([] { AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s); });
    EXPECT_EQ(events.names, QStringList{u"loginSuccess"_s}) << qPrintable(events.message());
    EXPECT_EQ(events.infos.last().value(u"status"_s).toString(), u"1"_s);
    EXPECT_EQ(events.after([] { AppManager::loginWithUsername(u"demo"_s, u"wrong-one"_s); }),
              u"loginFailed:Login name or password is wrong..."_s);
    expectUpdateAndUploadFail(u"Unknown error..."_s, u"Acme.1001"_s);

    DownloadManager* downloads = DownloadManager::sharedManager();
    downloads->addDownload(u"http://127.0.0.1:%1/__files__/material/A.jpg"_s.arg(TestServer::freePort()),
                           u"/material/A.jpg"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !downloads->isDownloading() && downloads->errorTry() == 0; }, 30000));
    EXPECT_EQ(downloads->entries().size(), 1);
    DownloadManager::releaseManager();
    EXPECT_EQ(DownloadManager::sharedManager()->entries().size(), 1) << "kept in download.dat";
}

TEST_F(OfflineFixture, ABlackHoledServerTimesOutAndTheInterfaceKeepsRunning)
{
    // A socket that takes connections and never says a word.
    QTcpServer hole;
    ASSERT_TRUE(hole.listen(QHostAddress::LocalHost));
    pointAt(hole.serverPort());

    // The event loop keeps turning while the request waits.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    QElapsedTimer timer;
    timer.start();
    AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s);
    EXPECT_LT(timer.elapsed(), 200) << "the login must not block";
    ASSERT_TRUE(events.waitForAny());
    // A server that does not answer is not a missing network: no off-line
    // login, although the account is stored with that very password.
    EXPECT_EQ(events.said(), QStringList{u"loginFailed:"_s + HttpError::timedOut().description()});
    EXPECT_GT(ticks, 10);
    expectUpdateAndUploadFail(HttpError::timedOut().description(), u"Acme.1002"_s);
}

namespace {

// One reference order server for the whole group; every test logs in anew
// in a sandbox of its own.
struct ServerFaults : ::testing::Test {
    static std::unique_ptr<TestServer> server;
    TestSandbox sandbox;
    FakeStoreDelegate delegate{u"demo"_s};
    Faults::Notifications events{"loginSuccess", "loginFailed", "updateSuccess", "updateFailed", "uploadComplete"};

    static void SetUpTestSuite() { server = TestServer::startOrderServer(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        server->admin({u"fault"_s, u"clear"_s});
        HttpTransport::setShared(nullptr);
        UserDefaults::standard().setObject(server->baseUrl(), u"host"_s);
        UserDefaults::standard().synchronize();
        AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s);
        ASSERT_TRUE(events.waitFor(u"loginSuccess"_s)) << qPrintable(events.names.join(',') + events.message());
        // The promotion request that follows the login, answered or not.
        QTest::qWait(100);
        events.clear();
    }
    void TearDown() override
    {
        if (server)
            server->admin({u"fault"_s, u"clear"_s});
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        // Downloads the login started must not land after the sandbox is gone.
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    void arm(const QString& endpoint, const QString& mode, int count = 1)
    {
        ASSERT_FALSE(server->admin({u"fault"_s, endpoint, mode, QString::number(count)}).isNull())
            << qPrintable(TestServer::lastError());
    }
    QString description(const QString& sku)
    {
        Statement s = DataManager::sharedManager()->executeQuery(u"SELECT description FROM material WHERE skuCode = ?"_s, {sku});
        return s.step() == Statement::Row ? s.columnText(0) : QString();
    }
    int serverOrders(const QString& number)
    {
        return server->admin({u"orders"_s, u"--po"_s, number}).array().size();
    }
};
std::unique_ptr<TestServer> ServerFaults::server;

} // namespace

TEST_F(ServerFaults, UpdateAnswersThatMustNotBeAppliedAreClassifiedAndChangeNothing)
{
    const QString sku = u"AQ10002"_s;
    const QString before = description(sku);
    ASSERT_FALSE(before.isEmpty());
    ASSERT_FALSE(server->admin({u"touch-material"_s, sku, u"Renamed on the server"_s}).isNull());
    const QString token = Session::authToken();
    const QString stamp = Session::storedTimeStamp();

    struct Case {
        const char* mode;
        QString expected; // the message; empty: any failure
    };
    const Case cases[] = {
        {"drop", u"Unknown error..."_s}, // the connection was lost: the off-line message
        {"http500", u"Request failed: Internal Server Error (500)"_s},
        {"html", u"Request failed: unacceptable content-type: text/html"_s},
        {"refuse", u"The order server is busy. Please try again later..."_s},
        {"nostatus", u"Connection error..."_s},
        {"empty", QString()},
        {"badjson", QString()},
    };
    for (const Case& c : cases) {
        arm(u"getUpdateData"_s, QLatin1String(c.mode));
        const QString said = events.after([] { AppManager::getUpdateDataFromServer(); });
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(said, u"updateFailed:"_s + c.expected) << c.mode;
        } else {
            EXPECT_TRUE(said.startsWith(u"updateFailed:"_s)) << c.mode << ' ' << qPrintable(said);
            EXPECT_NE(said, u"updateFailed:Unknown error..."_s) << c.mode << ": the server answered";
        }
        if (QLatin1String(c.mode) == QLatin1String("refuse")) {
            EXPECT_EQ(events.infos.last().value(u"status"_s).toInt(), 5) << "the refused answer itself";
        }
        EXPECT_EQ(description(sku), before) << c.mode;
        EXPECT_EQ(Session::storedTimeStamp(), stamp) << c.mode;
        EXPECT_EQ(Session::authToken(), token) << c.mode;
    }

    // The fault gone, the same change arrives.
    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(events.waitFor(u"updateSuccess"_s));
    EXPECT_EQ(description(sku), u"Renamed on the server"_s);
    EXPECT_NE(Session::storedTimeStamp(), stamp);
}

TEST_F(ServerFaults, ALoginCutOffMidAnswerAppliesNothing)
{
    const QString sku = u"AQ10003"_s;
    const QString before = description(sku);
    ASSERT_FALSE(server->admin({u"touch-material"_s, sku, u"Renamed at login"_s}).isNull());
    const QString stamp = Session::storedTimeStamp();
    for (const char* mode : {"drop", "badjson", "html", "http500"}) {
        arm(u"login"_s, QLatin1String(mode));
        events.after([] { AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s); });
        // A lost connection falls back to the stored account; the others fail.
        const QString expected = QLatin1String(mode) == QLatin1String("drop") ? u"loginSuccess"_s : u"loginFailed"_s;
        EXPECT_EQ(events.names, QStringList{expected}) << mode;
        EXPECT_EQ(description(sku), before) << mode;
        EXPECT_EQ(Session::storedTimeStamp(), stamp) << mode;
    }
}

TEST_F(ServerFaults, UploadsTheServerDidNotTakeStayDrafts)
{
    for (const char* mode : {"refuse", "http500", "html", "empty", "nostatus", "badjson", "drop"}) {
        const QString number = u"Acme.%1"_s.arg(QLatin1String(mode));
        saveDemoDraft(number);
        arm(u"updateOrder"_s, QLatin1String(mode), 0);
        events.clear();
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(waitUntilUploadsRest()) << mode;
        EXPECT_FALSE(events.names.contains(u"uploadComplete"_s)) << mode;
        EXPECT_EQ(uploadStatus(number), 10) << mode;
        EXPECT_EQ(serverOrders(number), 0) << mode;
        server->admin({u"fault"_s, u"clear"_s});
        UploadManager::releaseManager();

        // Sent again once the server behaves: one order, marked on the tablet.
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(events.waitFor(u"uploadComplete"_s)) << mode;
        EXPECT_EQ(uploadStatus(number), 20) << mode;
        EXPECT_EQ(serverOrders(number), 1) << mode;
        UploadManager::releaseManager();
    }
}
