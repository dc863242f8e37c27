#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/RQMaths.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "workflow/LoginViewController.h"
#include "workflow/ViewController.h"

#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
QString cipher(const QString& text)
{
    return RQMaths::encodeString2(text, RQMaths::keyText());
}

QVariantMap salesman(const QString& code, const QString& user, const QString& password,
                     int status = 20)
{
    return {{"salesmanCode", code},
            {"username", cipher(user)},
            {"password", cipher(password)},
            {"status", QString::number(status)}};
}

QVariantMap accepted(const QString& token, const QString& timeStamp, QVariantMap result = {})
{
    result.insert("salesmanCode", "S001");
    return {{"status", 0}, {"authToken", token}, {"timeStamp", timeStamp}, {"result", result}};
}

int count(const QString& sql)
{
    Statement s = DataManager::sharedManager()->executeQuery(sql);
    return s.step() == Statement::Row ? s.columnInt(0) : -1;
}

// "table:rows" for each table, e.g. "brand:1 material:0".
QString rows(const QStringList& tables)
{
    QStringList counts;
    for (const QString& table : tables)
        counts << table + ':' + QString::number(count("SELECT COUNT(*) FROM " + table));
    return counts.join(' ');
}

struct LoginFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QObject observer;
    QStringList events; // "name:message"

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        Session::setAuthToken(QString());
        for (const QString n : {"loginSuccess", "loginFailed", "updateSuccess", "updateFailed"})
            NotificationCenter::defaultCenter().addObserver(
                &observer, n, [this, n](const QVariantMap& info) {
                    events << n + ":" + info.value("message").toString();
                });
    }
    void TearDown() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    // Logs in and answers with an accepted login holding the records.
    void loginAccepted(const QVariantMap& arrays = {}, const QString& timeStamp = "00000000000042")
    {
        AppManager::loginWithUsername("demo", "secret1");
        transport->answer(accepted("tok-1", timeStamp, arrays));
    }
};
} // namespace

// The login screen puts the focus on the password once a user name is known.
// Short credentials never leave the device; a refusal hides the overlay and
// shows the server's message, with the fields keeping their texts.
TEST_F(LoginFixture, TheLoginScreenFocusesKeepsShortCredentialsAndShowsARefusal)
{
    FakeDialogs dialogs;
    AppDelegate delegate(nullptr);
    AppManager::saveUsername("demo");
    ViewController root;
    root.setDialogs(&dialogs);
    root.viewDidLoad();
    auto* login = qobject_cast<LoginViewController*>(root.currentScreen());
    ASSERT_NE(login, nullptr);
    login->viewDidLoad();
    EXPECT_EQ(login->username() + '|' + login->focusField(), "demo|password");

    login->setUsername(" ab ");
    login->setPassword("secret");
    login->buttonClicked(1);
    ASSERT_EQ(dialogs.count("alert"), 1);
    EXPECT_EQ(dialogs.last("alert")->title + ": " + dialogs.last("alert")->message,
              "Field Book: " + AppManager::verifyUsername("ab", "secret")["message"].toString());
    // The user name as typed is what orders will be saved under.
    EXPECT_EQ(delegate.UserName(), " ab ");
    login->setUsername("demo");
    login->buttonClicked(2); // other tags do nothing
    EXPECT_EQ(transport->calls().size(), 0);

    login->buttonClicked(1);
    EXPECT_TRUE(login->loading());
    login->buttonClicked(1); // a second press while the overlay is up sends nothing more
    EXPECT_EQ(transport->calls().size(), 1);
    transport->answer(
        QVariantMap{{"status", 1}, {"message", "Login name or password is wrong..."}});
    EXPECT_FALSE(login->loading());
    EXPECT_EQ(dialogs.last("alert")->message, "Login name or password is wrong...");
    EXPECT_EQ(login->username(), "demo");
}

// Broken records are skipped one by one; a result that is not a dictionary at
// all still logs in.
TEST_F(LoginFixture, AcceptedLoginStoresSessionAppliesDataRecordByRecordAndThenAsksForPromotions)
{
    const QVariantList soldTo{QVariantMap{{"customerName", "no code"}},
                              QVariantMap{{"customerCode", "C1"}, {"status", QVariant()}}};
    loginAccepted({{"salesmanArray",
                    QVariantList{7, QVariant(), "text", salesman("S001", "demo", "secret1")}},
                   {"brandArray", QVariantList{QVariantMap{{"brandCode", "7"}}}},
                   {"materialArray", QVariantMap{{"not", "an array"}}},
                   {"customerSoldToArray", soldTo}});
    EXPECT_EQ(events, QStringList({"loginSuccess:"}));
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(QStringList({Session::authToken(), Session::storedTimeStamp(),
                           defaults.stringForKey("salesmanCode"), defaults.stringForKey("host")}),
              QStringList({"tok-1", "00000000000042", "S001", AppManager::getHost()}));
    EXPECT_EQ(rows({"salesman", "brand", "material", "customerSoldTo"}),
              "salesman:1 brand:1 material:0 customerSoldTo:1");
    EXPECT_EQ(count("SELECT COUNT(*) FROM customerSoldTo WHERE customerCode='C1' AND status=0"), 1);

    // The promotions follow with the new token and time stamp.
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().parameters,
              QVariantMap({{"authToken", "tok-1"}, {"timeStamp", "00000000000042"}}));
    const QVariantMap promotion{{"PromotionId", "1"},
                                {"PromotionCode", "P1"},
                                {"PromotionName", "Summer's deal"},
                                {"Expiry", "2999-01-01 00:00:00"},
                                {"0", QVariantList{QVariantMap{{"code", "A1"}}}}};
    transport->answer(
        QVariantMap{{"status", 0}, {"authToken", "ignored"}, {"result", QVariantList{promotion}}});
    EXPECT_EQ(count("SELECT COUNT(*) FROM promote_db WHERE promotionName='Summer''s deal'"), 1);
    EXPECT_EQ(Session::authToken(), "tok-1"); // the promotion answer's token is not taken

    events.clear();
    AppManager::loginWithUsername("demo", "secret1");
    transport->answer(
        QVariantMap{{"status", 0}, {"authToken", "t"}, {"timeStamp", "1"}, {"result", "oops"}});
    EXPECT_EQ(events, QStringList({"loginSuccess:"}));
    transport->answer(QVariantMap{}); // the promotions

    // Records that cannot be stored: the time stamp stays where it was, so
    // the next login asks for them again.
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate(
        "CREATE TRIGGER refuse_brand BEFORE INSERT ON brand BEGIN SELECT RAISE(ROLLBACK, 'disk "
        "full'); END"));
    loginAccepted({{"brandArray", QVariantList{QVariantMap{{"brandCode", "8"}}}}},
                  "00000000000099");
    EXPECT_EQ(rows({"brand"}), "brand:1");
    EXPECT_EQ(Session::storedTimeStamp(), "1");
}

// Every answer but an acceptance ends the login without a token or a
// promotion request; off line, the stored active accounts decide.
TEST_F(LoginFixture, RefusalsFailuresAndOfflineLoginsWithTheStoredActiveAccounts)
{
    loginAccepted({{"salesmanArray", QVariantList{salesman("S001", "demo", "secret1"),
                                                  salesman("S004", "carla", "carla123", 10)}}});
    transport->answer(QVariantMap{});
    Session::setAuthToken(QString()); // a restart

    // Which failures count as off line is the transport's test (HttpErrors).
    const QString connection = "loginFailed:Connection error...";
    const struct
    {
        QString user, password;
        int failure; // 0: the answer instead
        QString event;
        QVariant answer;
    } cases[] = {
        {"demo", "secret1", 0, connection, QVariantMap{{"message", "no envelope"}}},
        {"demo", "secret1", 0, "loginFailed:Wrong password for demo",
         QVariantMap{{"status", "1"}, {"message", "Wrong password for demo"}}},
        {"demo", "secret1", 0, connection, QVariant()}, // an empty body
        {"demo", "secret1", HttpError::UnacceptableStatusCode, "loginFailed:The server failed", {}},
        {"demo", "secret1", HttpError::CannotConnectToHost, "loginSuccess:", {}},
        {"demo",
         "wrong",
         HttpError::NotConnectedToInternet,
         "loginFailed:Login name or password is wrong...",
         {}},
        {"carla", "carla123", HttpError::CannotConnectToHost, "loginFailed:Unknown error...", {}},
        // A time-out is not off line: the server's failure, not the stored accounts.
        {"demo", "secret1", HttpError::TimedOut, "loginFailed:The server failed", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.user + "/" + c.password + " " + QString::number(c.failure)));
        events.clear();
        AppManager::loginWithUsername(c.user, c.password);
        if (c.failure)
            transport->fail(HttpError(c.failure, "The server failed"));
        else
            transport->answer(c.answer);
        EXPECT_EQ(events, QStringList{c.event});
        EXPECT_EQ(transport->pendingCount(), 0); // no promotions
        EXPECT_TRUE(Session::authToken().isEmpty());
    }
}

// The big morning answer is read while it arrives and written beside the
// salesman's work: an order saved meanwhile is stored and kept, the screens
// hear how far it is, in order, up to 100 %, and the whole answer lands.
TEST_F(LoginFixture, AnAnswerIsAppliedBesideTheSalesmansWork)
{
    struct Streamed : FakeTransport
    {
        BodyReceiver receiver;
        void postFormStreamed(const QString&, const QVariantMap&, BodyReceiver r) override
        {
            receiver = std::move(r);
        }
    };
    auto streamed = std::make_shared<Streamed>();
    HttpTransport::setShared(streamed);
    constexpr int kItems = 30000;
    QByteArray body = R"({"status":0,"authToken":"tok-1","timeStamp":"00000000000042",)"
                      R"("result":{"materialArray":[)";
    for (int i = 0; i < kItems; ++i)
        body += uR"(%1{"skuCode":"SKU%2","brand":"7","description":"Item %2","barcode":0.1})"_s
                    .arg(i ? "," : "")
                    .arg(i)
                    .toUtf8();
    body += "]}}";

    QList<qint64> received, stored; // bytes, then percent
    bool saved = false;
    NotificationCenter::defaultCenter().addObserver(
        &observer, "syncProgress", [&](const QVariantMap& info) {
            if (info.value("phase") != "storing") {
                EXPECT_TRUE(stored.isEmpty()) << "receiving after storing";
                received << info.value("received").toLongLong();
            } else {
                stored << info.value("percent").toLongLong();
                using namespace StoreFixtures;
                saved = saved || DataManager::sharedManager()->saveOrder(
                                     order("ACME.1"), QString(), {line("ACME.1", "SKU1", 2)});
            }
        });
    AppManager::loginWithUsername("demo", "secret1");
    for (qsizetype at = 0; at < body.size(); at += 64 * 1024) {
        streamed->receiver.progress(std::min(body.size(), at + 64 * 1024), -1);
        streamed->receiver.piece(body.mid(at, 64 * 1024));
    }
    streamed->receiver.end();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 30000));

    EXPECT_EQ(events, QStringList({"loginSuccess:"}));
    EXPECT_TRUE(saved);
    EXPECT_EQ(count("SELECT COUNT(*) FROM salesOrder WHERE purchaseOrderNo='ACME.1'"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM material WHERE barcode='0.1'"), kItems);
    // Receiving first, then storing, each only going up, to 100 %.
    EXPECT_FALSE(received.isEmpty());
    EXPECT_TRUE(std::is_sorted(received.begin(), received.end())) << received.size();
    EXPECT_TRUE(std::is_sorted(stored.begin(), stored.end())) << stored.size();
    EXPECT_EQ(stored.value(stored.size() - 1), 100);
}
