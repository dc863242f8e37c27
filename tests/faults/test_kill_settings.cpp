// Settings written and synchronised, then the process killed right after (or
// in the middle of the next write): after the restart the value that was
// synchronised is there, and the other settings are untouched.
#include "FaultSupport.h"
#include "platform/UserDefaults.h"
#include "support/RQMaths.h"

TEST(KillAfterSettingsWrite, TheSynchronisedValueIsThereAfterRestart)
{
    TestSandbox sandbox;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(u"http://192.0.2.1/api/"_s, u"host"_s);
    defaults.setObject(true, u"keepme"_s);
    defaults.synchronize();

    const int kills = Faults::scaled(30, 300);
    int first = 1;
    int afterAWrite = 0;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE(u"kill %1 %2"_s.arg(k).arg(Faults::seedNote()).toStdString());
        Faults::Child child;
        ASSERT_TRUE(child.start({u"settings"_s, sandbox.root(), QString::number(first)}));
        // Half of the kills come the moment a write is reported, the others
        // at random while the child keeps writing.
        if (k % 2 == 0)
            ASSERT_TRUE(child.waitForLine(u"stored"_s, 10s));
        else
            child.poll(std::chrono::milliseconds(Faults::random().bounded(40)));
        const QStringList stored = child.kill().filter(u"stored "_s);
        const int reported = stored.isEmpty() ? first - 1 : stored.last().mid(7).toInt();
        afterAWrite += reported >= first ? 1 : 0;

        // A fresh read, as after a restart: the user name and the time stamp
        // reported (or later ones), the other settings as they were.
        defaults.synchronize();
        const int timeStamp = Session::storedTimeStamp().toInt();
        const QString user =
            RQMaths::decodeString2(defaults.stringForKey(u"username"_s), RQMaths::keyText());
        ASSERT_TRUE(user.startsWith(u"user"_s) && user.mid(4).toInt() >= reported &&
                    timeStamp >= reported)
            << qPrintable(user) << ' ' << timeStamp << ", reported " << reported;
        ASSERT_EQ(defaults.stringForKey(u"host"_s), u"http://192.0.2.1/api/"_s);
        ASSERT_TRUE(defaults.boolForKey(u"keepme"_s));
        first = std::max(reported, timeStamp) + 1;
    }
    // Every other kill follows a reported write; the rest may strike first.
    EXPECT_GE(afterAWrite, kills / 2);
}
