#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "core/InterfaceBuilder.h"
#include "platform/Sandbox.h"
#include "platform/UserDefaults.h"
#include "support/TestSandbox.h"

#include <QFile>
#include <QSettings>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// Another process writing the settings file, as "fieldbook --set" does.
void writeFromOutside(const QString& key, const QVariant& value)
{
    QSettings outside(Sandbox::settingsFilePath(), QSettings::IniFormat);
    outside.setValue(key, value);
    outside.sync();
}

struct CountingBuilder : InterfaceBuilder
{
    int builds = 0;
    void buildInterface() override { ++builds; }
};

void storeLoginDay(const QString& day)
{
    UserDefaults::standard().setObject(day, u"logintime"_s);
    UserDefaults::standard().synchronize();
}
} // namespace

TEST(Settings, HostFollowsModeAndStoredValueWins)
{
    TestSandbox sandbox;
    EXPECT_EQ(AppManager::getHost(), AppManager::productionBaseUrl());
    EXPECT_TRUE(AppManager::getHost().endsWith(QLatin1String("/api/")));

    // After a login the host in use is written down under the production key.
    AppManager::saveHost(AppManager::getHost());
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"host"_s), AppManager::productionBaseUrl());

    writeFromOutside(u"host"_s, u"http://10.0.0.5/api/"_s);
    EXPECT_EQ(AppManager::getHost(), u"http://10.0.0.5/api/"_s);

    // Development mode neither reads nor writes "host".
    writeFromOutside(u"developmentSetting"_s, u"true"_s);
    EXPECT_EQ(AppManager::getHost(), AppManager::developmentBaseUrl());
    AppManager::saveHost(u"http://dev.example/api/"_s);
    EXPECT_EQ(AppManager::getHost(), u"http://dev.example/api/"_s);
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"host"_s), u"http://10.0.0.5/api/"_s);

    // An absent value is ignored.
    AppManager::saveHost(QString());
    EXPECT_EQ(AppManager::getHost(), u"http://dev.example/api/"_s);

    // Booleans written in any common form.
    for (const char* no : {"false", "no", "0", ""}) {
        writeFromOutside(u"developmentSetting"_s, QString::fromLatin1(no));
        EXPECT_EQ(AppManager::getHost(), u"http://10.0.0.5/api/"_s) << no;
    }
    for (const char* yes : {"YES", "1", "on"}) {
        writeFromOutside(u"developmentSetting"_s, QString::fromLatin1(yes));
        EXPECT_EQ(AppManager::getHost(), u"http://dev.example/api/"_s) << yes;
    }
}

// A start after a kill that struck while the settings were being written: the
// lock file was created but its owner never written into it. Qt waits thirty
// seconds before it gives up such a lock; a write must not hang that long.
TEST(Settings, AnEmptyLockLeftByAKilledWriterDoesNotHoldWritesUp)
{
    using namespace std::chrono_literals;
    TestSandbox sandbox;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(u"before"_s, u"username"_s);
    defaults.synchronize();
    QFile lock(Sandbox::settingsFilePath() + u".lock"_s);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();

    std::future<void> write = std::async(std::launch::async, [&] {
        defaults.setObject(u"after"_s, u"username"_s);
        defaults.synchronize();
    });
    ASSERT_EQ(write.wait_for(10s), std::future_status::ready)
        << "the write waited on the abandoned lock";
    EXPECT_EQ(
        QSettings(Sandbox::settingsFilePath(), QSettings::IniFormat).value("username").toString(),
        u"after"_s);
}

TEST(GeneratedValues, PlaceholderNumberAndADeliveryDateFortyEightHoursAheadAcrossDaylightSaving)
{
    TestSandbox sandbox;
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(AppManager::generatePurchaseOrderNo(), u"."_s);
    TestSandbox::setNow(u"2025-03-07 09:05:03"_s);
    EXPECT_EQ(AppManager::generateToday(), u"2025-03-07 09:05:03"_s);
    // Clocks go forward on 30 March 2025 at 02:00: 48 hours later the clock
    // reads an hour more.
    TestSandbox::setNow(QDateTime(QDate(2025, 3, 29), QTime(23, 30), Qt::LocalTime));
    EXPECT_EQ(AppManager::generateDeliveryDate(), u"2025-04-01 00:30:00"_s);
    // And back an hour on 26 October 2025.
    TestSandbox::setNow(QDateTime(QDate(2025, 10, 25), QTime(23, 30), Qt::LocalTime));
    EXPECT_EQ(AppManager::generateDeliveryDate(), u"2025-10-27 22:30:00"_s);
    // No change between: the same clock time two days later.
    TestSandbox::setNow(QDateTime(QDate(2025, 6, 10), QTime(23, 30), Qt::LocalTime));
    EXPECT_EQ(AppManager::generateDeliveryDate(), u"2025-06-12 23:30:00"_s);
}

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
