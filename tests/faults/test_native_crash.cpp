// The application dies of a native crash (SIGSEGV, abort, an uncaught
// exception, a stack overflow) while it works: the next start finds the
// report, keeps it as "CrashReport" and offers it on the root screen, and the
// orders saved before the crash are all there, whole.
#include "FaultSupport.h"
#include "core/AppDelegate.h"
#include "core/CrashHelper.h"
#include "support/StartAfterCrash.h"

TEST(NativeCrash, TheNextStartOffersTheReportAndTheOrdersAreThere)
{
    CaptureWithoutHandlers capture;
    CrashCapture::setShared(&capture);
    struct Restore
    {
        ~Restore() { CrashCapture::setShared(nullptr); }
    } restore;

    for (const auto& [kind, signal] : {std::pair{"segv", "SIGSEGV"},
                                       {"abort", "SIGABRT"},
                                       {"exception", "SIGABRT"},
                                       {"overflow", "SIGSEGV"}}) {
        SCOPED_TRACE(kind);
        TestSandbox sandbox;
        FakeStoreDelegate owner{StoreFixtures::kAlice};
        Faults::Child child;
        ASSERT_TRUE(child.start({u"crash"_s, sandbox.root(), QLatin1String(kind)}))
            << qPrintable(child.output());
        ASSERT_TRUE(child.waitForExit(30s));
        EXPECT_TRUE(child.crashed()) << qPrintable(child.output());
        ASSERT_TRUE(child.lines().contains(u"crashing"_s)) << qPrintable(child.output());

        // The next start, as the application makes it.
        CrashHelper::releaseCrashHelper();
        FakeDialogs dialogs;
        RootBuilder builder;
        builder.dialogs = &dialogs;
        AppDelegate delegate(&builder);
        delegate.didFinishLaunchingWithOptions();
        ASSERT_EQ(dialogs.count(u"alert"_s), 1);
        EXPECT_EQ(dialogs.requests.back().title, CrashHelper::alertTitle());
        EXPECT_TRUE(CrashHelper::hasCrashReportPending());
        const QByteArray report = Faults::readFile(sandbox.documents() + u"/CrashReport"_s);
        EXPECT_TRUE(report.contains(QByteArray("signal: ") + signal + '\n'))
            << report.left(300).data();

        // Everything saved before the crash, whole.
        for (int i = 0; i < 5; ++i) {
            const QString number = u"CRASH.%1"_s.arg(i);
            DataManager* store = DataManager::sharedManager();
            EXPECT_TRUE(store->getSalesOrder(number) &&
                        store->getSalesOrderDetail(number).size() == 2)
                << qPrintable(number);
        }
        // "No": not asked again in this run.
        EXPECT_TRUE(dialogs.choose(u"No"_s));
        EXPECT_FALSE(CrashHelper::hasCrashReportPending());
        CrashHelper::releaseCrashHelper();
    }
}
