#include "core/AppDelegate.h"
#include "core/InterfaceBuilder.h"
#include "platform/UserDefaults.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
struct CountingBuilder : InterfaceBuilder {
    int builds = 0;
    void buildInterface() override { ++builds; }
};

void storeLoginDay(const QString& day)
{
    UserDefaults::standard().setObject(day, u"logintime"_s);
    UserDefaults::standard().synchronize();
}
} // namespace

TEST(Lifecycle, FirstStartBuildsOnceAndTheDayIsCheckedAcrossMidnightAndWithTheClockMovedBack)
{
    TestSandbox sandbox;
    CountingBuilder builder;
    AppDelegate delegate(&builder);
    EXPECT_EQ(AppDelegate::sharedDelegate(), &delegate);
    EXPECT_TRUE(delegate.didFinishLaunchingWithOptions());
    // Nothing stored under "logintime": back to the login screen, once for
    // the same activation reported twice.
    delegate.applicationDidBecomeActive();
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(builder.builds, 2);

    TestSandbox::setNow(u"2025-05-14 08:00:00"_s);
    storeLoginDay(u"2025-05-14"_s);
    // Logged in this morning, back in the afternoon: stays where it was.
    TestSandbox::setNow(u"2025-05-14 23:59:59"_s);
    EXPECT_FALSE(delegate.checkLoginDay());
    // One second past midnight: the login screen again.
    TestSandbox::setNow(u"2025-05-15 00:00:01"_s);
    EXPECT_TRUE(delegate.checkLoginDay());
    EXPECT_EQ(builder.builds, 3);

    // A login day after today (clock moved back) keeps the session.
    storeLoginDay(u"2025-05-16"_s);
    EXPECT_FALSE(delegate.checkLoginDay());
    // Text that is not a date counts as no login.
    storeLoginDay(u"yesterday"_s);
    EXPECT_TRUE(delegate.checkLoginDay());
    EXPECT_EQ(builder.builds, 4);
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
        TestSandbox::setNow(u"2025-05-14 18:00:00"_s);
        storeLoginDay(u"2025-05-14"_s);
        delegate.setUserName(u"demo"_s);
        delegate.setSelectSoldTo(u"C100"_s);

        delegate.applicationStateChanged(Qt::ApplicationActive);
        delegate.applicationStateChanged(away);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 0); // the same day: nothing happens
        delegate.applicationStateChanged(away);
        TestSandbox::setNow(u"2025-05-15 07:30:00"_s);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 1);
        // The rebuilt window taking the focus, before anybody logged in, does
        // not rebuild the login screen again.
        delegate.applicationStateChanged(Qt::ApplicationInactive);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 1);
        // A rebuild does not clear what screens handed to one another.
        EXPECT_EQ(delegate.UserName(), u"demo"_s);
        EXPECT_EQ(delegate.SelectSoldTo(), u"C100"_s);
    }
}
