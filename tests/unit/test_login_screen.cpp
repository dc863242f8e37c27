#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "workflow/LoginViewController.h"
#include "workflow/ViewController.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
struct LoginScreenFixture : ::testing::Test {
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};
    std::unique_ptr<ViewController> root;

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        root = std::make_unique<ViewController>();
        root->setDialogs(&dialogs);
        root->viewDidLoad();
    }
    void TearDown() override
    {
        root.reset();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    LoginViewController* login() const { return qobject_cast<LoginViewController*>(root->currentScreen()); }
};
} // namespace

TEST_F(LoginScreenFixture, FocusGoesToThePasswordOnceAUserNameIsKnown)
{
    ASSERT_NE(login(), nullptr);
    login()->viewDidLoad();
    EXPECT_EQ(login()->focusField(), "username");
    EXPECT_TRUE(login()->username().isEmpty());

    AppManager::saveUsername("demo");
    ViewController again;
    again.setDialogs(&dialogs);
    again.viewDidLoad();
    auto* second = qobject_cast<LoginViewController*>(again.currentScreen());
    second->viewDidLoad();
    EXPECT_EQ(second->username(), "demo");
    EXPECT_EQ(second->focusField(), "password");
    EXPECT_TRUE(second->versionText().endsWith(AppManager::getAppVersionString()));
}

// Short credentials never leave the device; a refusal hides the overlay and
// shows the server's message, with the fields keeping their texts.
TEST_F(LoginScreenFixture, ShortCredentialsStayOnTheDeviceAndARefusalShowsTheServersMessage)
{
    login()->setUsername(" ab ");
    login()->setPassword("secret");
    login()->buttonClicked(1);
    ASSERT_EQ(dialogs.count("alert"), 1);
    EXPECT_EQ(dialogs.last("alert")->title, "Field Book");
    EXPECT_EQ(dialogs.last("alert")->message, AppManager::verifyUsername("ab", "secret").value("message").toString());
    EXPECT_FALSE(login()->loading());
    EXPECT_EQ(transport->calls().size(), 0);
    // The user name as typed is what orders will be saved under.
    EXPECT_EQ(delegate.UserName(), " ab ");
    login()->setUsername("demo");
    login()->buttonClicked(2); // other tags do nothing
    EXPECT_EQ(transport->calls().size(), 0);

    login()->buttonClicked(1);
    EXPECT_TRUE(login()->loading());
    login()->buttonClicked(1); // a second press while the overlay is up sends nothing more
    EXPECT_EQ(transport->calls().size(), 1);
    transport->answer(QVariantMap{{"status", 1}, {"message", "Login name or password is wrong..."}});
    EXPECT_FALSE(login()->loading());
    EXPECT_EQ(dialogs.last("alert")->message, "Login name or password is wrong...");
    EXPECT_EQ(login()->username(), "demo");
}

TEST_F(LoginScreenFixture, SuccessShowsTheHeaderBarAndTheOrderList)
{
    QPointer<ScreenController> loginScreen = root->currentScreen();
    login()->setUsername("demo");
    login()->setPassword("demo1234");
    login()->buttonClicked(1);
    EXPECT_EQ(root->header(), nullptr);
    transport->answer(QVariantMap{{"status", 0}, {"authToken", "t"}, {"timeStamp", "1"}, {"result", QVariantMap()}});
    ASSERT_NE(root->header(), nullptr);
    EXPECT_EQ(root->header()->getType(), HeaderViewController::OrderList);
    EXPECT_NE(root->currentScreen(), loginScreen.data());
    // A "loginFailed" that comes later, with another screen current, is ignored.
    NotificationCenter::defaultCenter().post("loginFailed", {{"message", "late"}});
    EXPECT_EQ(dialogs.count("alert"), 0);
}
