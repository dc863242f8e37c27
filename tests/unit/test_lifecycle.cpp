#include "core/AppDelegate.h"
#include "core/InterfaceBuilder.h"
#include "platform/UserDefaults.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

namespace {
struct CountingBuilder : InterfaceBuilder {
    int builds = 0;
    void buildInterface() override { ++builds; }
};

void storeLoginDay(const QString& day)
{
    UserDefaults::standard().setObject(day, QStringLiteral("logintime"));
    UserDefaults::standard().synchronize();
}
} // namespace

TEST(Lifecycle, FirstStartBuildsAndTheFollowingActivationRebuildsOnce)
{
    TestSandbox sandbox;
    CountingBuilder builder;
    AppDelegate delegate(&builder);
    EXPECT_EQ(AppDelegate::sharedDelegate(), &delegate);
    EXPECT_TRUE(delegate.didFinishLaunchingWithOptions());
    EXPECT_EQ(builder.builds, 1);
    // Nothing stored under "logintime": back to the login screen.
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(builder.builds, 2);
    // Still active: a second report of the same activation changes nothing.
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(builder.builds, 2);
}

TEST(Lifecycle, DayCheckAcrossMidnightAndWithTheClockMovedBack)
{
    TestSandbox sandbox;
    CountingBuilder builder;
    AppDelegate delegate(&builder);

    TestSandbox::setNow(QStringLiteral("2025-05-14 08:00:00"));
    storeLoginDay(QStringLiteral("2025-05-14"));
    // Logged in this morning, back in the afternoon: stays where it was.
    TestSandbox::setNow(QStringLiteral("2025-05-14 23:59:59"));
    EXPECT_FALSE(delegate.checkLoginDay());
    // One second past midnight: the login screen again.
    TestSandbox::setNow(QStringLiteral("2025-05-15 00:00:01"));
    EXPECT_TRUE(delegate.checkLoginDay());
    EXPECT_EQ(builder.builds, 1);

    // A login day after today (clock moved back) keeps the session.
    storeLoginDay(QStringLiteral("2025-05-16"));
    EXPECT_FALSE(delegate.checkLoginDay());
    // Text that is not a date counts as no login.
    storeLoginDay(QStringLiteral("yesterday"));
    EXPECT_TRUE(delegate.checkLoginDay());
    EXPECT_EQ(builder.builds, 2);
}

TEST(Lifecycle, EveryActivationChecksTheDayAndARebuiltDayIsLeftAlone)
{
    TestSandbox sandbox;
    // Losing the focus to another window counts as much as the background:
    // a window left open overnight meets the next day when it is used again.
    for (Qt::ApplicationState away : {Qt::ApplicationHidden, Qt::ApplicationInactive}) {
        SCOPED_TRACE(int(away));
        CountingBuilder builder;
        AppDelegate delegate(&builder);
        TestSandbox::setNow(QStringLiteral("2025-05-14 18:00:00"));
        storeLoginDay(QStringLiteral("2025-05-14"));
        delegate.setUserName(QStringLiteral("demo"));
        delegate.setSelectSoldTo(QStringLiteral("C100"));

        delegate.applicationStateChanged(Qt::ApplicationActive);
        delegate.applicationStateChanged(away);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 0); // the same day: nothing happens
        delegate.applicationStateChanged(away);
        TestSandbox::setNow(QStringLiteral("2025-05-15 07:30:00"));
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 1);
        // The rebuilt window taking the focus, before anybody logged in, does
        // not rebuild the login screen again.
        delegate.applicationStateChanged(Qt::ApplicationInactive);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 1);
        // A rebuild does not clear what screens handed to one another.
        EXPECT_EQ(delegate.UserName(), QStringLiteral("demo"));
        EXPECT_EQ(delegate.SelectSoldTo(), QStringLiteral("C100"));
    }
}
