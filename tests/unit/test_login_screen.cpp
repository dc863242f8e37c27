#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "workflow/LoginViewController.h"
#include "workflow/ViewController.h"

#include <gtest/gtest.h>

namespace {
struct LoginScreenFixture : ::testing::Test
{
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
    LoginViewController* login() const
    {
        return qobject_cast<LoginViewController*>(root->currentScreen());
    }
};
} // namespace

TEST_F(LoginScreenFixture, FocusGoesToThePasswordOnceAUserNameIsKnown)
{
    for (const QString user : {"", "demo"}) {
        AppManager::saveUsername(user);
        root = std::make_unique<ViewController>();
        root->viewDidLoad();
        ASSERT_NE(login(), nullptr);
        login()->viewDidLoad();
        EXPECT_EQ(login()->username() + '|' + login()->focusField(),
                  user.isEmpty() ? "|username" : "demo|password");
    }
    EXPECT_TRUE(login()->versionText().endsWith(AppManager::getAppVersionString()));
}

// Short credentials never leave the device; a refusal hides the overlay and
// shows the server's message, with the fields keeping their texts.
TEST_F(LoginScreenFixture, ShortCredentialsStayOnTheDeviceAndARefusalShowsTheServersMessage)
{
    login()->setUsername(" ab ");
    login()->setPassword("secret");
    login()->buttonClicked(1);
    ASSERT_EQ(dialogs.count("alert"), 1);
    EXPECT_EQ(dialogs.last("alert")->title + ": " + dialogs.last("alert")->message,
              "Field Book: " + AppManager::verifyUsername("ab", "secret")["message"].toString());
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
    transport->answer(
        QVariantMap{{"status", 1}, {"message", "Login name or password is wrong..."}});
    EXPECT_FALSE(login()->loading());
    EXPECT_EQ(dialogs.last("alert")->message, "Login name or password is wrong...");
    EXPECT_EQ(login()->username(), "demo");
}
