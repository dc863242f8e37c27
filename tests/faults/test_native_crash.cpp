// The application dies of a native crash (SIGSEGV, abort, an uncaught
// exception, a stack overflow) while it works: the next start finds the
// report, keeps it as "CrashReport" and offers it on the root screen, and the
// orders saved before the crash are all there, whole.
#include "FaultSupport.h"
#include "core/AppDelegate.h"
#include "core/CrashHelper.h"
#include "core/InterfaceBuilder.h"
#include "platform/CrashCapture.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/StartAfterCrash.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/ViewController.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace std::chrono_literals;

TEST(NativeCrash, TheNextStartOffersTheReportAndTheOrdersAreThere)
{
    struct Case {
        const char* kind;
        const char* signal;
    };
    const Case cases[] = {{"segv", "SIGSEGV"}, {"abort", "SIGABRT"}, {"exception", "SIGABRT"}, {"overflow", "SIGSEGV"}};
    CaptureWithoutHandlers capture;
    CrashCapture::setShared(&capture);
    struct Restore {
        ~Restore() { CrashCapture::setShared(nullptr); }
    } restore;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TestSandbox sandbox;
        FakeStoreDelegate owner{StoreFixtures::kAlice};
        Faults::Child child;
        ASSERT_TRUE(child.start({QStringLiteral("crash"), sandbox.root(), QLatin1String(c.kind)})) << qPrintable(child.errors());
        ASSERT_TRUE(child.waitForExit(30s));
        EXPECT_TRUE(child.crashed()) << "exit code " << child.exitCode() << ' ' << qPrintable(child.errors());
        ASSERT_TRUE(child.lines().contains(QStringLiteral("crashing"))) << qPrintable(child.lines().join('\n'));

        // The next start, as the application makes it.
        CrashHelper::releaseCrashHelper();
        FakeDialogs dialogs;
        RootBuilder builder;
        builder.dialogs = &dialogs;
        AppDelegate delegate(&builder);
        delegate.didFinishLaunchingWithOptions();
        ASSERT_EQ(dialogs.count(QStringLiteral("alert")), 1);
        EXPECT_EQ(dialogs.requests.back().title, CrashHelper::alertTitle());
        EXPECT_TRUE(CrashHelper::hasCrashReportPending());
        QFile saved(sandbox.documents() + QStringLiteral("/CrashReport"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray report = saved.readAll();
        EXPECT_TRUE(report.contains(QByteArray("signal: ") + c.signal + '\n')) << report.left(300).constData();

        // Everything saved before the crash, whole.
        for (int i = 0; i < 5; ++i) {
            const QString number = QStringLiteral("CRASH.%1").arg(i);
            EXPECT_TRUE(DataManager::sharedManager()->getSalesOrder(number)) << qPrintable(number);
            EXPECT_EQ(DataManager::sharedManager()->getSalesOrderDetail(number).size(), 2) << qPrintable(number);
        }
        // "No": not asked again in this run.
        EXPECT_TRUE(dialogs.choose(QStringLiteral("No")));
        EXPECT_FALSE(CrashHelper::hasCrashReportPending());
        CrashHelper::releaseCrashHelper();
    }
}
