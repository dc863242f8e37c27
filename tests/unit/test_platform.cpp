#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "core/InterfaceBuilder.h"
#include "platform/AppInfo.h"
#include "platform/Keychain.h"
#include "platform/NotificationCenter.h"
#include "platform/Sandbox.h"
#include "platform/UserDefaults.h"
#include "support/RQDevice.h"
#include "support/TestSandbox.h"

#include <QFile>
#include <QSettings>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A system keychain that refuses every write and holds nothing.
struct BrokenKeychain : KeychainBackend
{
    int writes = 0;
    std::optional<QString> read(const QString&, const QString&) override { return std::nullopt; }
    bool write(const QString&, const QString&, const QString&) override
    {
        ++writes;
        return false;
    }
    bool remove(const QString&, const QString&) override { return false; }
};

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

TEST(Device, IdentifierFormatAndStabilityAcrossRestarts)
{
    TestSandbox sandbox;

    // The system keychain refuses to store anything: the fallback keeps the identifier.
    auto broken = std::make_shared<BrokenKeychain>();
    Keychain::setBackends(broken, std::make_shared<FileKeychainBackend>());
    const QString first = RQDevice::uuid();
    EXPECT_TRUE(first.size() == 36 && first == first.toUpper()) << qPrintable(first);
    EXPECT_EQ(RQDevice::uuid() + ' ' + QString::number(broken->writes), first + " 1");

    // A restart: new backends, same sandbox.
    Keychain::setBackends(std::make_shared<BrokenKeychain>(),
                          std::make_shared<FileKeychainBackend>());
    EXPECT_EQ(RQDevice::uuid(), first);

    // Deleting the item gives a new identifier.
    Keychain::deletePassword(AppInfo::bundleIdentifier(), u"UUID"_s);
    const QString second = RQDevice::uuid();
    EXPECT_NE(second, first);
    EXPECT_EQ(RQDevice::uuid(), second); // and is then kept
    Keychain::setBackends(nullptr, nullptr);
}

TEST(Notifications, DeliveredInOrderAndNeverToDestroyedOwners)
{
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QStringList log;
    auto first = std::make_unique<QObject>();
    auto second = std::make_unique<QObject>();
    // On the second delivery the first observer destroys the second's owner,
    // which is then skipped.
    center.addObserver(first.get(), u"loginFailed"_s, [&](const QVariantMap& info) {
        log << u"first:"_s + info.value(u"message"_s).toString();
        if (log.size() > 1)
            second.reset();
    });
    center.addObserver(second.get(), u"loginFailed"_s,
                       [&](const QVariantMap&) { log << u"second"_s; });
    center.addObserver(second.get(), u"loginSuccess"_s, [&](const QVariantMap&) { log << "ok"; });
    center.removeObserver(second.get(), u"loginSuccess"_s);
    center.post(u"loginSuccess"_s);
    center.post(u"loginFailed"_s, {{u"message"_s, u"Unknown error..."_s}});
    center.post(u"loginFailed"_s);
    EXPECT_EQ(log, QStringList({u"first:Unknown error..."_s, u"second"_s, u"first:"_s}));

    first.reset();
    EXPECT_EQ(center.observerCount(u"loginFailed"_s), 0);
    center.post(u"loginFailed"_s); // nobody left; must not crash
}

TEST(Settings, HostFollowsModeAndStoredValueWins)
{
    TestSandbox sandbox;
    EXPECT_EQ(AppManager::getHost(), AppManager::productionBaseUrl());

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

        // The same day, and the same activation reported twice: nothing happens.
        delegate.applicationStateChanged(Qt::ApplicationActive);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        delegate.applicationStateChanged(away);
        delegate.applicationStateChanged(Qt::ApplicationActive);
        EXPECT_EQ(builder.builds, 0);
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
        EXPECT_EQ(delegate.UserName() + ' ' + delegate.SelectSoldTo(), u"demo C100"_s);
    }
}
