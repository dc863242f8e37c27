// A salesman's first minutes against the reference order server: the login
// fills the database, promotions follow, and an update brings what changed.
// Refusals and logging in off line are the unit tests' (LoginFixture); the
// pictures the login names are the catalogue's (CatalogueE2E).
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/TestSandbox.h"
#include "sync/Session.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
QString first(const QString& sql)
{
    Statement s = DataManager::sharedManager()->executeQuery(sql);
    return s.step() == Statement::Row ? s.columnText(0) : QString();
}
} // namespace

TEST(LoginAndSync, TheLoginAndAnUpdateAgainstTheReferenceServer)
{
    TestSandbox sandbox;
    DemoSession session;
    ASSERT_NO_FATAL_FAILURE(session.start());
    QObject observer;
    QStringList events; // "name:message"
    for (const QString n : {"updateSuccess", "updateFailed"})
        NotificationCenter::defaultCenter().addObserver(
            &observer, n, [&, n](const QVariantMap& info) {
                events << n + ':' + info.value("message").toString();
            });

    // The whole master data arrives with the login; the promotions follow.
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"salesmanCode"_s), u"S001"_s);
    EXPECT_EQ(first("SELECT COUNT(*) FROM material"), "200");
    for (const char* filled :
         {"brand", "customerSoldTo", "routing_shipTo", "salesOrder WHERE so_salesman='demo'",
          "salesman WHERE status=20", "promote_db"})
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return first(u"SELECT COUNT(*) > 0 FROM "_s + filled) == "1"; }, 10000))
            << filled;
    const QString firstStamp = Session::storedTimeStamp();

    // A change on the server: the update brings it (that it brings nothing
    // else is the server's own protocol test).
    const QString sku = first("SELECT skuCode FROM material ORDER BY priority LIMIT 1");
    ASSERT_FALSE(session.server->admin({"touch-material", sku, "Renamed on the server"}).isNull())
        << qPrintable(TestServer::lastError());
    AppManager::getUpdateDataFromServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 20000));
    ASSERT_EQ(events, QStringList({"updateSuccess:"}));
    EXPECT_EQ(first("SELECT description FROM material WHERE skuCode='" + sku + "'"),
              "Renamed on the server");
    EXPECT_NE(Session::storedTimeStamp(), firstStamp);
}
