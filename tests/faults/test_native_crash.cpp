// A native crash: the next start offers the report and the orders saved before
// it are there, whole (the matrix in faults/README.md).
#include "FaultSupport.h"
#include "core/AppDelegate.h"
#include "core/CrashHelper.h"
#include "support/ListTexts.h"
#include "support/StartAfterCrash.h"

TEST(NativeCrash, TheNextStartOffersTheReportAndTheOrdersAreThere)
{
    CaptureWithoutHandlers capture;
    CrashCapture::setShared(&capture);
    struct Restore
    {
        ~Restore() { CrashCapture::setShared(nullptr); }
    } restore;

    for (const char* kind : {"segv", "abort", "exception", "overflow"}) {
        SCOPED_TRACE(kind);
        TestSandbox sandbox;
        FakeStoreDelegate owner{StoreFixtures::kAlice};
        Faults::Child child;
        ASSERT_TRUE(child.start({u"crash"_s, sandbox.root(), QLatin1String(kind)}));
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
        EXPECT_EQ(texts(dialogs.requests,
                        [](const FakeDialogs::Request& r) { return r.kind + u':' + r.title; }),
                  QStringList{u"alert:"_s + CrashHelper::alertTitle()});
        EXPECT_FALSE(Faults::readFile(sandbox.documents() + u"/CrashReport"_s).isEmpty());

        // Everything saved before the crash, whole.
        EXPECT_EQ(Faults::Peek(DataManager::sharedManager()->getDatabasePath())
                      .rows(u"SELECT purchaseOrderNo, (SELECT COUNT(*) FROM salesOrderDetails "
                            "WHERE orderNo = purchaseOrderNo) FROM salesOrder"_s),
                  QStringList({u"CRASH.0|2"_s, u"CRASH.1|2"_s, u"CRASH.2|2"_s, u"CRASH.3|2"_s,
                               u"CRASH.4|2"_s}));
        CrashHelper::releaseCrashHelper();
    }
}
