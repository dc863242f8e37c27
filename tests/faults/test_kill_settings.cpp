// Settings written and synchronised, then the process killed right after (or
// in the middle of the next write): after the restart the value that was
// synchronised is there, and the other settings are untouched.
#include "FaultSupport.h"
#include "core/AppManager.h"
#include "platform/UserDefaults.h"
#include "support/RQMaths.h"
#include "support/TestSandbox.h"
#include "sync/Session.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(KillAfterSettingsWrite, TheSynchronisedValueIsThereAfterRestart)
{
    TestSandbox sandbox;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(QStringLiteral("http://192.0.2.1/api/"), QStringLiteral("host"));
    defaults.setObject(true, QStringLiteral("keepme"));
    defaults.synchronize();

    const int kills = Faults::scaled(30, 300);
    int first = 1;
    int afterAWrite = 0;
    for (int k = 0; k < kills; ++k) {
        Faults::Child child;
        ASSERT_TRUE(child.start({QStringLiteral("settings"), sandbox.root(), QString::number(first)}));
        // Half of the kills come the moment a write is reported, the others
        // at random while the child keeps writing.
        if (k % 2 == 0)
            ASSERT_TRUE(child.waitForLine(QStringLiteral("stored"), 10s));
        else
            child.poll(std::chrono::milliseconds(Faults::random().bounded(40)));
        const QStringList said = child.kill();
        int reported = first - 1;
        for (const QString& line : said) {
            if (line.startsWith(QLatin1String("stored ")))
                reported = line.mid(7).toInt();
        }
        afterAWrite += reported >= first ? 1 : 0;

        // A fresh read, as after a restart.
        defaults.synchronize();
        const int timeStamp = Session::storedTimeStamp().toInt();
        const QString user = RQMaths::decodeString2(defaults.stringForKey(QStringLiteral("username")), RQMaths::keyText());
        EXPECT_GE(timeStamp, reported) << "kill " << k << ' ' << qPrintable(Faults::seedNote());
        EXPECT_TRUE(user.startsWith(QLatin1String("user"))) << qPrintable(user);
        EXPECT_GE(user.mid(4).toInt(), reported) << "kill " << k;
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("host")), QStringLiteral("http://192.0.2.1/api/"));
        EXPECT_TRUE(defaults.boolForKey(QStringLiteral("keepme")));
        ASSERT_FALSE(testing::Test::HasFailure());
        first = std::max(reported, timeStamp) + 1;
    }
    // Every other kill follows a reported write; the rest may strike first.
    EXPECT_GE(afterAWrite, kills / 2);
}
