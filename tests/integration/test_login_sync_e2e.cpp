// A salesman's first minutes against the reference order server: a wrong
// password is refused with the server's words, the login fills the database,
// promotions and pictures follow, and an update brings only what changed.
// Logging in off line is the unit tests' (LoginFixture).
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
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

TEST(LoginAndSync, AWrongPasswordThenTheLoginAndAnUpdateAgainstTheReferenceServer)
{
    TestSandbox sandbox;
    auto server = TestServer::startOrderServer();
    ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
    UserDefaults::standard().setObject(server->baseUrl(), u"host"_s);
    AppDelegate delegate(nullptr);

    QObject observer;
    QStringList events;
    QVariantMap lastInfo;
    for (const QString n : {"loginSuccess", "loginFailed", "updateSuccess", "updateFailed"})
        NotificationCenter::defaultCenter().addObserver(&observer, n,
                                                        [&, n](const QVariantMap& info) {
                                                            events << n;
                                                            lastInfo = info;
                                                        });

    AppManager::loginWithUsername(u"demo"_s, u"wrong-password"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 20000))
        << qPrintable(server->log());
    EXPECT_EQ(events, QStringList({"loginFailed"}));
    EXPECT_FALSE(lastInfo.value("message").toString().isEmpty());
    EXPECT_TRUE(Session::authToken().isEmpty());
    events.clear();

    // The whole master data arrives with the login.
    delegate.setUserName(u"demo"_s);
    AppManager::loginWithUsername(u"demo"_s, u"demo1234"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 20000))
        << qPrintable(server->log());
    ASSERT_EQ(events, QStringList({"loginSuccess"}))
        << qPrintable(lastInfo.value("message").toString());
    EXPECT_FALSE(Session::authToken().isEmpty());
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"salesmanCode"_s), u"S001"_s);
    EXPECT_EQ(count("SELECT COUNT(*) FROM material"), 200);
    for (const char* filled :
         {"brand", "customerSoldTo", "routing_shipTo", "salesOrder WHERE so_salesman='demo'",
          "salesman WHERE status=20", "promote_db"}) // the promotions follow on their own
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return count(u"SELECT COUNT(*) FROM "_s + filled) > 0; }, 10000))
            << filled;
    const QString firstStamp = Session::storedTimeStamp();

    // Pictures named by the login land in the cache, one after the other.
    DownloadManager* downloads = DownloadManager::sharedManager();
    ASSERT_TRUE(QTest::qWaitFor([&] { return downloads->entries().isEmpty(); }, 60000))
        << downloads->entries().size() << " pictures still queued";
    const QFileInfoList pictures = QDir(sandbox.caches() + "/material")
                                       .entryInfoList(QDir::Files, QDir::Size | QDir::Reversed);
    ASSERT_FALSE(pictures.isEmpty());
    EXPECT_GT(pictures.first().size(), 0)
        << qPrintable(pictures.first().fileName()); // the smallest

    // A change on the server: the update brings it (that it brings nothing
    // else is the server's own protocol test).
    const QString sku = text("SELECT skuCode FROM material ORDER BY priority LIMIT 1");
    ASSERT_FALSE(server->admin({"touch-material", sku, "Renamed on the server"}).isNull())
        << qPrintable(TestServer::lastError());
    events.clear();
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 10000));
    ASSERT_EQ(events, QStringList({"updateSuccess"}))
        << qPrintable(lastInfo.value("message").toString());
    EXPECT_EQ(text("SELECT description FROM material WHERE skuCode='" + sku + "'"),
              "Renamed on the server");
    EXPECT_NE(Session::storedTimeStamp(), firstStamp);

    DownloadManager::releaseManager();
}
