// A real crash, and the start after it, against the reference order server:
// the report left by a crashing process is taken over, offered on the root
// screen and, on "Ok", reaches the production server's crash log (that it
// goes there even in development mode is
// Endpoints.CrashReportsGoToProductionInDevelopmentMode).
#include "core/AppDelegate.h"
#include "core/CrashHelper.h"
#include "platform/CrashCapture.h"
#include "support/Crasher.h"
#include "support/FakeDialogs.h"
#include "support/StartAfterCrash.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/Endpoints.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CrashReport, RealCrashIsSentToTheProductionServerOnTheNextStart)
{
    TestSandbox sandbox;
    auto server = TestServer::startOrderServer();
    ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
    // The production server is the one this test started.
    Endpoints::overrideProductionBaseUrl(server->baseUrl());
    const std::shared_ptr<void> restore(nullptr,
                                        [](void*) { Endpoints::overrideProductionBaseUrl({}); });
    CaptureWithoutHandlers capture;
    CrashCapture::setShared(&capture);
    FakeDialogs dialogs;

    const CrasherRun segv = CrasherRun::run(sandbox.root(), u"segv"_s);
    ASSERT_EQ(segv.signal, SIGSEGV) << segv.errors.constData();
    // The next launch: the delegate checks for a crash and builds the root
    // screen, which asks; the salesman answers "Ok".
    CrashHelper::releaseCrashHelper();
    RootBuilder builder;
    builder.dialogs = &dialogs;
    AppDelegate delegate(&builder);
    delegate.didFinishLaunchingWithOptions();
    ASSERT_EQ(dialogs.count(u"alert"_s), 1);
    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    QFile saved(sandbox.documents() + u"/CrashReport"_s);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray report = saved.readAll();

    QJsonArray crashes;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (crashes = server->admin({u"crashes"_s}).array()).size() == 1; }, 10000))
        << qPrintable(server->log());
    const QJsonObject first = crashes.at(0).toObject();
    EXPECT_EQ(first.value(u"crash_message"_s).toString(), QString::fromUtf8(report));
}
