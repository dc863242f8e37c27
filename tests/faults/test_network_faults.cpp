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
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace StoreFixtures;

namespace {

QString cipher(const QString& text)
{
    return RQMaths::encodeString2(text, RQMaths::keyText());
}

// Records the notifications the screens would get.
struct Events {
    QObject observer;
    QStringList names;
    QList<QVariantMap> infos;
    Events()
    {
        for (const char* name : {"loginSuccess", "loginFailed", "updateSuccess", "updateFailed", "uploadComplete"}) {
            const QString n = QString::fromLatin1(name);
            NotificationCenter::defaultCenter().addObserver(&observer, n, [this, n](const QVariantMap& info) {
                names << n;
                infos << info;
            });
        }
    }
    bool waitFor(const QString& name, int ms = 15000)
    {
        return QTest::qWaitFor([&] { return names.contains(name); }, ms);
    }
    bool waitForAny(int ms = 15000)
    {
        return QTest::qWaitFor([&] { return !names.isEmpty(); }, ms);
    }
    QString message() const { return infos.isEmpty() ? QString() : infos.last().value(QStringLiteral("message")).toString(); }
    void clear()
    {
        names.clear();
        infos.clear();
    }
};

// A socket that takes connections and never says a word.
class BlackHole
{
public:
    BlackHole()
    {
        _fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        if (::bind(_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && ::listen(_fd, 64) == 0 &&
            ::getsockname(_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            _port = ntohs(address.sin_port);
    }
    ~BlackHole() { ::close(_fd); }
    quint16 port() const { return _port; }

private:
    int _fd = -1;
    quint16 _port = 0;
};

// An order the store holds as a draft, for customers and items of the demo data.
void saveDraft(const QString& number)
{
    SalesOrder draft = order(number, QStringLiteral("100001"), QStringLiteral("100001"));
    SalesOrderDetails first = line(number, QStringLiteral("AQ10001"), 3);
    ASSERT_TRUE(DataManager::sharedManager()->saveOrder(draft, QString(), {first}));
}

int uploadStatus(const QString& number)
{
    const auto stored = DataManager::sharedManager()->getSalesOrder(number);
    return stored ? stored->uploadStatus : -1;
}

// The queue has tried and rests: nothing in flight, its failure count back at 0.
bool waitUntilUploadsRest(int ms = 30000)
{
    return QTest::qWaitFor(
        [] {
            UploadManager* uploads = UploadManager::sharedManager();
            return !uploads->isUploading() && uploads->errorTry() == 0;
        },
        ms);
}

struct OfflineFixture : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate delegate{QStringLiteral("demo")};
    std::shared_ptr<HttpClient> client = std::make_shared<HttpClient>();
    Events events;

    void SetUp() override
    {
        client->setTimeout(std::chrono::milliseconds(250));
        client->setDownloadTimeout(std::chrono::milliseconds(250));
        HttpTransport::setShared(client);
        Session::setAuthToken(QString());
        // The account an earlier on-line login brought down.
        ASSERT_TRUE(DataManager::sharedManager()->updateSalesman(
            {QVariantMap{{"salesmanCode", "S001"}, {"username", cipher("demo")}, {"password", cipher("demo1234")}, {"status", "20"}}}));
        Session::storeTimeStamp(QStringLiteral("00000000000007"));
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
        UserDefaults::standard().setObject(QStringLiteral("http://127.0.0.1:%1/api/").arg(port), QStringLiteral("host"));
        UserDefaults::standard().synchronize();
    }
};

} // namespace

TEST_F(OfflineFixture, ServerDownTakesTheOfflinePathAndTheQueuesKeepTheirEntries)
{
    pointAt(TestServer::freePort());

    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
    ASSERT_TRUE(events.waitForAny());
    EXPECT_EQ(events.names, QStringList{QStringLiteral("loginSuccess")}) << qPrintable(events.message());
    EXPECT_EQ(events.infos.last().value(QStringLiteral("status")).toString(), QStringLiteral("1"));

    events.clear();
    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("wrong-one"));
    ASSERT_TRUE(events.waitForAny());
    EXPECT_EQ(events.names, QStringList{QStringLiteral("loginFailed")});
    EXPECT_EQ(events.message(), QStringLiteral("Login name or password is wrong..."));

    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(events.waitForAny());
    EXPECT_EQ(events.names, QStringList{QStringLiteral("updateFailed")});
    EXPECT_EQ(events.message(), QStringLiteral("Unknown error..."));
    EXPECT_EQ(Session::storedTimeStamp(), QStringLiteral("00000000000007"));

    // An order sent while the server is down stays queued and a draft.
    saveDraft(QStringLiteral("Acme.1001"));
    Session::setAuthToken(QStringLiteral("held-token"));
    AppManager::uploadSalesOrder(QStringLiteral("Acme.1001"));
    ASSERT_TRUE(waitUntilUploadsRest());
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
    EXPECT_EQ(uploadStatus(QStringLiteral("Acme.1001")), 10);

    DownloadManager* downloads = DownloadManager::sharedManager();
    downloads->addDownload(QStringLiteral("http://127.0.0.1:%1/__files__/material/A.jpg").arg(TestServer::freePort()),
                           QStringLiteral("/material/A.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !downloads->isDownloading() && downloads->errorTry() == 0; }, 30000));
    EXPECT_EQ(downloads->entries().size(), 1);
    DownloadManager::releaseManager();
    EXPECT_EQ(DownloadManager::sharedManager()->entries().size(), 1) << "kept in download.dat";
}

TEST_F(OfflineFixture, ABlackHoledServerTimesOutAndTheInterfaceKeepsRunning)
{
    BlackHole hole;
    ASSERT_NE(hole.port(), 0);
    pointAt(hole.port());

    // The event loop keeps turning while the request waits.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    QElapsedTimer timer;
    timer.start();
    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
    EXPECT_LT(timer.elapsed(), 200) << "the login must not block";
    ASSERT_TRUE(events.waitForAny());
    // A server that does not answer is not a missing network: no off-line
    // login, although the account is stored with that very password.
    EXPECT_EQ(events.names, QStringList{QStringLiteral("loginFailed")});
    EXPECT_EQ(events.message(), HttpError::timedOut().description());
    EXPECT_GT(ticks, 10);

    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(events.waitForAny());
    EXPECT_EQ(events.names, QStringList{QStringLiteral("updateFailed")});
    EXPECT_EQ(events.message(), HttpError::timedOut().description());
    EXPECT_EQ(Session::storedTimeStamp(), QStringLiteral("00000000000007"));

    saveDraft(QStringLiteral("Acme.1002"));
    Session::setAuthToken(QStringLiteral("held-token"));
    AppManager::uploadSalesOrder(QStringLiteral("Acme.1002"));
    ASSERT_TRUE(waitUntilUploadsRest());
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
    EXPECT_EQ(uploadStatus(QStringLiteral("Acme.1002")), 10);
}

namespace {

// One reference order server for the whole group; every test logs in anew
// in a sandbox of its own.
struct ServerFaults : ::testing::Test {
    static std::unique_ptr<TestServer> server;
    TestSandbox sandbox;
    FakeStoreDelegate delegate{QStringLiteral("demo")};
    Events events;

    static void SetUpTestSuite() { server = TestServer::startOrderServer(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        server->admin({QStringLiteral("fault"), QStringLiteral("clear")});
        HttpTransport::setShared(nullptr);
        UserDefaults::standard().setObject(server->baseUrl(), QStringLiteral("host"));
        UserDefaults::standard().synchronize();
        AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
        ASSERT_TRUE(events.waitFor(QStringLiteral("loginSuccess"))) << qPrintable(events.names.join(',') + events.message());
        // The promotion request that follows the login, answered or not.
        QTest::qWait(100);
        events.clear();
    }
    void TearDown() override
    {
        if (server)
            server->admin({QStringLiteral("fault"), QStringLiteral("clear")});
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        // Downloads the login started must not land after the sandbox is gone.
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    void arm(const QString& endpoint, const QString& mode, int count = 1)
    {
        ASSERT_FALSE(server->admin({QStringLiteral("fault"), endpoint, mode, QString::number(count)}).isNull())
            << qPrintable(TestServer::lastError());
    }
    QString description(const QString& sku)
    {
        Statement s = DataManager::sharedManager()->executeQuery(QStringLiteral("SELECT description FROM material WHERE skuCode = ?"), {sku});
        return s.step() == Statement::Row ? s.columnText(0) : QString();
    }
    int serverOrders(const QString& number)
    {
        return server->admin({QStringLiteral("orders"), QStringLiteral("--po"), number}).array().size();
    }
};
std::unique_ptr<TestServer> ServerFaults::server;

} // namespace

TEST_F(ServerFaults, UpdateAnswersThatMustNotBeAppliedAreClassifiedAndChangeNothing)
{
    const QString sku = QStringLiteral("AQ10002");
    const QString before = description(sku);
    ASSERT_FALSE(before.isEmpty());
    ASSERT_FALSE(server->admin({QStringLiteral("touch-material"), sku, QStringLiteral("Renamed on the server")}).isNull());
    const QString token = Session::authToken();
    const QString stamp = Session::storedTimeStamp();

    struct Case {
        const char* mode;
        QString expected; // the message; empty: any failure
    };
    const Case cases[] = {
        {"drop", QStringLiteral("Unknown error...")}, // the connection was lost: the off-line message
        {"http500", QStringLiteral("Request failed: Internal Server Error (500)")},
        {"html", QStringLiteral("Request failed: unacceptable content-type: text/html")},
        {"refuse", QStringLiteral("The order server is busy. Please try again later...")},
        {"nostatus", QStringLiteral("Connection error...")},
        {"empty", QString()},
        {"badjson", QString()},
    };
    for (const Case& c : cases) {
        arm(QStringLiteral("getUpdateData"), QLatin1String(c.mode));
        events.clear();
        AppManager::getUpdateDataFromServer();
        ASSERT_TRUE(events.waitForAny()) << c.mode;
        EXPECT_EQ(events.names, QStringList{QStringLiteral("updateFailed")}) << c.mode;
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(events.message(), c.expected) << c.mode;
        } else {
            EXPECT_NE(events.message(), QStringLiteral("Unknown error...")) << c.mode << ": the server answered";
        }
        if (QLatin1String(c.mode) == QLatin1String("refuse")) {
            EXPECT_EQ(events.infos.last().value(QStringLiteral("status")).toInt(), 5) << "the refused answer itself";
        }
        EXPECT_EQ(description(sku), before) << c.mode;
        EXPECT_EQ(Session::storedTimeStamp(), stamp) << c.mode;
        EXPECT_EQ(Session::authToken(), token) << c.mode;
    }

    // The fault gone, the same change arrives.
    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(events.waitFor(QStringLiteral("updateSuccess")));
    EXPECT_EQ(description(sku), QStringLiteral("Renamed on the server"));
    EXPECT_NE(Session::storedTimeStamp(), stamp);
}

TEST_F(ServerFaults, ALoginCutOffMidAnswerAppliesNothing)
{
    const QString sku = QStringLiteral("AQ10003");
    const QString before = description(sku);
    ASSERT_FALSE(server->admin({QStringLiteral("touch-material"), sku, QStringLiteral("Renamed at login")}).isNull());
    const QString stamp = Session::storedTimeStamp();
    for (const char* mode : {"drop", "badjson", "html", "http500"}) {
        arm(QStringLiteral("login"), QLatin1String(mode));
        events.clear();
        AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
        ASSERT_TRUE(events.waitForAny()) << mode;
        // A lost connection falls back to the stored account; the others fail.
        const QString expected = QLatin1String(mode) == QLatin1String("drop") ? QStringLiteral("loginSuccess")
                                                                              : QStringLiteral("loginFailed");
        EXPECT_EQ(events.names, QStringList{expected}) << mode;
        EXPECT_EQ(description(sku), before) << mode;
        EXPECT_EQ(Session::storedTimeStamp(), stamp) << mode;
    }
}

TEST_F(ServerFaults, UploadsTheServerDidNotTakeStayDrafts)
{
    for (const char* mode : {"refuse", "http500", "html", "empty", "nostatus", "badjson", "drop"}) {
        const QString number = QStringLiteral("Acme.%1").arg(QLatin1String(mode));
        saveDraft(number);
        arm(QStringLiteral("updateOrder"), QLatin1String(mode), 0);
        events.clear();
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(waitUntilUploadsRest()) << mode;
        EXPECT_FALSE(events.names.contains(QStringLiteral("uploadComplete"))) << mode;
        EXPECT_EQ(uploadStatus(number), 10) << mode;
        EXPECT_EQ(serverOrders(number), 0) << mode;
        server->admin({QStringLiteral("fault"), QStringLiteral("clear")});
        UploadManager::releaseManager();

        // Sent again once the server behaves: one order, marked on the tablet.
        AppManager::uploadSalesOrder(number);
        ASSERT_TRUE(events.waitFor(QStringLiteral("uploadComplete"))) << mode;
        EXPECT_EQ(uploadStatus(number), 20) << mode;
        EXPECT_EQ(serverOrders(number), 1) << mode;
        UploadManager::releaseManager();
    }
}
