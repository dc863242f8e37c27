// A salesman's first minutes against the reference order server: the login
// fills the database, promotions and pictures follow, an update brings only
// what changed, and without the server the same account logs in off line.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "http/HttpClient.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// The real client, keeping every JSON answer it delivered.
struct RecordingTransport : HttpTransport {
    HttpClient client;
    QList<QPair<QString, QVariant>> answers;

    void postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                  FailureHandler failure) override
    {
        client.postForm(url, parameters, [this, url, success](const QVariant& json) {
            answers.append({url, json});
            success(json);
        }, failure);
    }
    void postMultipart(const QString& url, const QVariantMap& parameters, PartsBuilder parts, JsonHandler success,
                       FailureHandler failure) override
    {
        client.postMultipart(url, parameters, std::move(parts), std::move(success), std::move(failure));
    }
    void download(const QString& url, const QString& path, DownloadHandler success, FailureHandler failure) override
    {
        client.download(url, path, std::move(success), std::move(failure));
    }
    QVariantMap lastAnswerFrom(const QString& endpoint) const
    {
        for (auto it = answers.rbegin(); it != answers.rend(); ++it) {
            if (it->first.endsWith(endpoint))
                return it->second.toMap();
        }
        return {};
    }
};

int count(const QString& sql)
{
    Statement s = DataManager::sharedManager()->executeQuery(sql);
    return s.step() == Statement::Row ? s.columnInt(0) : -1;
}

QString text(const QString& sql)
{
    Statement s = DataManager::sharedManager()->executeQuery(sql);
    return s.step() == Statement::Row ? s.columnText(0) : QString();
}
} // namespace

TEST(LoginAndSync, AgainstTheReferenceServerOnLineAndOffLine)
{
    TestSandbox sandbox;
    auto server = TestServer::startOrderServer();
    ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
    UserDefaults::standard().setObject(server->baseUrl(), QStringLiteral("host"));
    auto transport = std::make_shared<RecordingTransport>();
    HttpTransport::setShared(transport);
    AppDelegate delegate(nullptr);

    QObject observer;
    QStringList events;
    QVariantMap lastInfo;
    for (const char* name : {"loginSuccess", "loginFailed", "updateSuccess", "updateFailed"}) {
        const QString n = QString::fromLatin1(name);
        NotificationCenter::defaultCenter().addObserver(&observer, n, [&, n](const QVariantMap& info) {
            events << n;
            lastInfo = info;
        });
    }

    // On line: the whole master data arrives with the login.
    delegate.setUserName(QStringLiteral("demo"));
    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 20000)) << qPrintable(server->log());
    ASSERT_EQ(events, QStringList({"loginSuccess"})) << qPrintable(lastInfo.value("message").toString());
    EXPECT_FALSE(Session::authToken().isEmpty());
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("salesmanCode")), QStringLiteral("S001"));
    EXPECT_EQ(count("SELECT COUNT(*) FROM material"), 200);
    EXPECT_GT(count("SELECT COUNT(*) FROM brand"), 0);
    EXPECT_GT(count("SELECT COUNT(*) FROM customerSoldTo"), 0);
    EXPECT_GT(count("SELECT COUNT(*) FROM routing_shipTo"), 0);
    EXPECT_GT(count("SELECT COUNT(*) FROM salesOrder WHERE so_salesman='demo'"), 0);
    EXPECT_GT(count("SELECT COUNT(*) FROM salesman WHERE status=20"), 1);
    const QString firstStamp = Session::storedTimeStamp();
    EXPECT_FALSE(firstStamp.isEmpty());

    // The promotions follow on their own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return count("SELECT COUNT(*) FROM promote_db") > 0; }, 10000));

    // Pictures named by the login land in the cache, one after the other.
    const QVariantList files =
        transport->lastAnswerFrom("login.php").value("result").toMap().value("fileArray").toList();
    ASSERT_FALSE(files.isEmpty());
    DownloadManager* downloads = DownloadManager::sharedManager();
    ASSERT_TRUE(QTest::qWaitFor([&] { return downloads->entries().isEmpty(); }, 60000))
        << downloads->entries().size() << " pictures still queued";
    const QString firstPicture = files.first().toMap().value("filename").toString();
    EXPECT_TRUE(QFileInfo(sandbox.caches() + firstPicture).size() > 0) << qPrintable(firstPicture);
    EXPECT_EQ(QDir(sandbox.caches() + "/material").entryList(QDir::Files).size(), files.size());

    // A change on the server: the update brings that change and nothing else.
    const QString sku = text("SELECT skuCode FROM material ORDER BY priority LIMIT 1");
    ASSERT_FALSE(server->admin({"touch-material", sku, "Renamed on the server"}).isNull()) << qPrintable(TestServer::lastError());
    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 10000));
    ASSERT_EQ(events, QStringList({"updateSuccess"})) << qPrintable(lastInfo.value("message").toString());
    const QVariantMap update = transport->lastAnswerFrom("getUpdateData.php").value("result").toMap();
    ASSERT_EQ(update.value("materialArray").toList().size(), 1);
    EXPECT_EQ(update.value("salesmanArray").toList().size(), 0);
    EXPECT_EQ(text("SELECT description FROM material WHERE skuCode='" + sku + "'"), "Renamed on the server");
    EXPECT_NE(Session::storedTimeStamp(), firstStamp);

    // Off line: the same account logs in from the stored accounts.
    server->stop();
    Session::setAuthToken(QString());
    events.clear();
    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("demo1234"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 10000));
    EXPECT_EQ(events, QStringList({"loginSuccess"}));
    EXPECT_EQ(lastInfo.value("status").toString(), "1");
    events.clear();
    AppManager::loginWithUsername(QStringLiteral("demo"), QStringLiteral("wrong-password"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 10000));
    EXPECT_EQ(events, QStringList({"loginFailed"}));
    EXPECT_EQ(lastInfo.value("message").toString(), "Login name or password is wrong...");
    // The inactive account cannot log in off line either.
    events.clear();
    AppManager::loginWithUsername(QStringLiteral("carla"), QStringLiteral("carla123"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 10000));
    EXPECT_EQ(events, QStringList({"loginFailed"}));

    DownloadManager::releaseManager();
    HttpTransport::setShared(nullptr);
}
