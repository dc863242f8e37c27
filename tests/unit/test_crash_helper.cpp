// The start after a crash: the report is taken over, offered on the root
// screen, sent or declined; and what happens when a step fails. The capture
// keeps its real files in the test's sandbox but installs no handlers in the
// test process.
#include "core/AppDelegate.h"
#include "core/CrashHelper.h"
#include "core/InterfaceBuilder.h"
#include "platform/CrashCapture.h"
#include "platform/Sandbox.h"
#include "support/Crasher.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/StartAfterCrash.h"
#include "support/TestSandbox.h"
#include "sync/Endpoints.h"
#include "workflow/ViewController.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kReport = kSampleCrashReport;

// The real capture's files, with failures on request and no handlers.
struct StandInCapture : CrashCapture
{
    int enables = 0;
    QString enableError;
    int loads = 0;
    QList<int> failingLoads; // which loads (1, 2, ...) fail
    bool enable(QString* error) override
    {
        ++enables;
        if (enableError.isEmpty())
            return true;
        *error = enableError;
        return false;
    }
    std::optional<QByteArray> loadPendingReport(QString* error) override
    {
        if (failingLoads.contains(++loads)) {
            *error = u"disk on fire"_s;
            return std::nullopt;
        }
        return CrashCapture::loadPendingReport(error);
    }
};

QStringList& crashLog()
{
    static QStringList lines;
    return lines;
}

void keepCrashLog(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (context.category && QLatin1String(context.category) == QLatin1String("fieldbook.crash"))
        crashLog() << message;
}

struct CrashHelperTest : ::testing::Test
{
    TestSandbox sandbox;
    StandInCapture capture;
    FakeDialogs dialogs;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QtMessageHandler previousHandler = nullptr;

    void SetUp() override
    {
        CrashCapture::setShared(&capture);
        HttpTransport::setShared(transport);
        Endpoints::overrideProductionBaseUrl(u"http://production.test/api/"_s);
        crashLog().clear();
        previousHandler = qInstallMessageHandler(keepCrashLog);
    }
    void TearDown() override
    {
        qInstallMessageHandler(previousHandler);
        Endpoints::overrideProductionBaseUrl(QString());
        HttpTransport::setShared(nullptr);
        CrashCapture::setShared(nullptr);
    }

    void leaveReport(const QByteArray& report = kReport) const
    {
        QDir().mkpath(CrashCapture::directory());
        QFile file(CrashCapture::pendingReportPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(report);
    }
    // A new launch: a fresh helper checks for a report.
    static void launch()
    {
        crashLog().clear();
        CrashHelper::releaseCrashHelper();
        CrashHelper::sharedCrashHelper()->checkForCrashes();
    }
    // A root screen as the interface builds it: loaded at once.
    std::unique_ptr<ViewController> loadRoot()
    {
        auto root = std::make_unique<ViewController>();
        root->setDialogs(&dialogs);
        root->viewDidLoad();
        return root;
    }
    QString savedPath() const { return sandbox.documents() + u"/CrashReport"_s; }
    QByteArray savedReport() const
    {
        QFile file(savedPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Where the report is: "offered" (this run asks about it), "waiting" (the
    // capture still holds it), "saved" (the copy in the documents folder).
    QStringList where()
    {
        QStringList places;
        if (CrashHelper::hasCrashReportPending())
            places << "offered";
        if (capture.hasPendingReport())
            places << "waiting";
        if (QFile::exists(savedPath()))
            places << "saved";
        return places;
    }
    // The log holds this line.
    static ::testing::AssertionResult logged(const QString& line)
    {
        if (crashLog().contains(line))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << qPrintable(crashLog().join('\n'));
    }
};
} // namespace

TEST_F(CrashHelperTest, NormalStartEnablesCaptureOnceAndNeverAsks)
{
    launch();
    EXPECT_EQ(capture.enables, 1);
    auto root = loadRoot();
    EXPECT_EQ(dialogs.count(u"alert"_s), 0);
    EXPECT_TRUE(where().isEmpty());
    EXPECT_TRUE(crashLog().isEmpty()) << qPrintable(crashLog().join('\n'));

    // Once per launch: a second check neither re-reads nor re-enables.
    leaveReport();
    CrashHelper::sharedCrashHelper()->checkForCrashes();
    EXPECT_EQ(capture.enables, 1);
    EXPECT_EQ(where(), QStringList{"waiting"});

    // A capture that cannot be enabled is logged; the report is still taken over.
    capture.enableError = u"cannot open /nowhere/pending.part: Permission denied"_s;
    launch();
    EXPECT_TRUE(logged(u"Warning: Could not enable crash reporter: cannot open "
                       u"/nowhere/pending.part: Permission denied"_s));
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));
    EXPECT_EQ(savedReport(), kReport);
}

// Taken over and saved: the end-to-end test (CrashReport) checks the file and
// what the server gets; here the log, the question and the answers.
// What reaches the server, and that it is production even in development
// mode, is judged end to end (CrashReport.RealCrashIsSentToTheProductionServer...);
// here the log, the question and the answers.
TEST_F(CrashHelperTest, ReportIsTakenOverOfferedSentUntilDeclined)
{
    leaveReport();
    launch();
    EXPECT_EQ(CrashHelper::crashReportPath(), savedPath());
    EXPECT_EQ(crashLog(), (QStringList{u"Crashed on 2024-05-14T14:00:00Z"_s,
                                       u"Crashed with signal SIGSEGV (code SEGV_MAPERR, "
                                       u"address=0x10)"_s}));

    // The question comes over the login screen, which is already up.
    auto root = loadRoot();
    EXPECT_NE(root->currentScreen(), nullptr);
    ASSERT_EQ(dialogs.count(u"alert"_s), 1);
    const FakeDialogs::Request* alert = dialogs.last(u"alert"_s);
    EXPECT_EQ(QStringList({alert->title, alert->message}) + alert->buttons,
              QStringList({u"Ardent Fieldbook Crash"_s,
                           u"We just recovered from a crash, Would you like to send us the "
                           u"report?"_s,
                           u"Ok"_s, u"No"_s}));
    EXPECT_EQ(CrashHelper::sharedCrashHelper()->parentController(), root.get());

    // An answer that is neither button (a dismissed dialog) sends nothing
    // and keeps the question open for later.
    CrashHelper::sharedCrashHelper()->alertViewClickedButtonAtIndex(-1);
    EXPECT_EQ(transport->calls().size(), 0);
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));

    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    ASSERT_EQ(transport->calls().size(), 1);
    EXPECT_EQ(transport->calls().at(0).url, u"http://production.test/api/crashLog.php"_s);
    transport->fail(-1009); // off line: nothing to show, nothing retried
    EXPECT_EQ(transport->calls().size(), 1);
    EXPECT_EQ(dialogs.requests.size(), 1u);

    // The flag stays up after sending: a root built later asks again, and a
    // second "Ok" sends the same report again.
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));
    auto rebuilt = loadRoot();
    ASSERT_EQ(dialogs.count(u"alert"_s), 2);
    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    ASSERT_EQ(transport->calls().size(), 2);
    EXPECT_EQ(transport->calls().at(1).parameters, transport->calls().at(0).parameters);

    auto third = loadRoot();
    ASSERT_TRUE(dialogs.choose(u"No"_s));
    EXPECT_EQ(transport->calls().size(), 2);
    EXPECT_EQ(where(), QStringList{"saved"}); // declined, not deleted
    // Later roots and the next launch do not offer the old file again.
    dialogs.clear();
    auto later = loadRoot();
    launch();
    auto next = loadRoot();
    EXPECT_EQ(dialogs.count(u"alert"_s), 0);
    EXPECT_EQ(where(), QStringList{"saved"});
}

TEST_F(CrashHelperTest, LaunchOnANewDayAsksOnBothRootScreensTheDelegateBuilds)
{
    RootBuilder builder;
    builder.dialogs = &dialogs;
    leaveReport();
    // No login day stored: the activation after launch rebuilds the interface.
    AppDelegate delegate(&builder);
    delegate.didFinishLaunchingWithOptions();
    // The crash check ran before the first root screen looked at the flag.
    EXPECT_EQ(dialogs.count(u"alert"_s), 1);
    delegate.applicationDidBecomeActive();
    ASSERT_EQ(builder.roots.size(), 2u);
    EXPECT_EQ(dialogs.count(u"alert"_s), 2);
    EXPECT_EQ(CrashHelper::sharedCrashHelper()->parentController(), builder.roots.back().get());
    EXPECT_EQ(capture.enables, 1);

    ASSERT_TRUE(dialogs.choose(u"No"_s));
    builder.buildInterface();
    EXPECT_EQ(dialogs.count(u"alert"_s), 2);
}

// A report that cannot be read is dropped without a question; one that
// cannot be saved stays waiting for the next launch.
TEST_F(CrashHelperTest, FailuresOnTheWayFromCaptureToTheDocumentsFolder)
{
    const QByteArray damaged = QByteArray(kReport).replace("address: 0x0000000000000010\n", "");
    const QString disk = u"disk on fire"_s;
    enum Blocker { Nothing, FileForFolder, FolderForFile };
    const struct
    {
        QByteArray report;
        int failingLoad; // of this launch; 0: none
        Blocker blocker;
        QString logLine;
        QStringList where;
    } cases[] = {
        {damaged, 0, Nothing, u"Could not parse crash report"_s, {}},
        {kReport, 1, Nothing, "Could not load crash report: " + disk, {}},
        {kReport,
         0,
         FileForFolder,
         "Could not create documents directory: " + Sandbox::documentsDirectory(),
         {"offered", "waiting"}},
        {kReport,
         0,
         FolderForFile,
         u"Failed to write crash report"_s,
         {"offered", "waiting", "saved"}},
        // The report reads at first but not when it is saved.
        {kReport, 2, Nothing, "Failed to load crash report data: " + disk, {"offered", "waiting"}},
    };
    std::unique_ptr<ViewController> root;
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.logLine));
        QFile::remove(Sandbox::documentsDirectory());
        QDir(Sandbox::documentsDirectory()).removeRecursively();
        leaveReport(c.report);
        capture.failingLoads = {c.failingLoad ? capture.loads + c.failingLoad : 0};
        if (c.blocker == FileForFolder)
            sandbox.writeFile(u"Documents"_s, "in the way");
        if (c.blocker == FolderForFile)
            QDir().mkpath(savedPath());
        launch();
        EXPECT_TRUE(logged(c.logLine));
        EXPECT_EQ(where(), c.where);
        dialogs.clear();
        root = loadRoot();
        EXPECT_EQ(dialogs.count(u"alert"_s), c.where.isEmpty() ? 0 : 1);
    }
    EXPECT_EQ(capture.enables, 5);

    // Still asked; "Ok" has no file of this run to send.
    EXPECT_TRUE(CrashHelper::crashReportPath().isNull());
    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    EXPECT_EQ(transport->calls().size(), 0);
    EXPECT_TRUE(logged(u"No crash report was saved in this run; nothing sent"_s));
    EXPECT_EQ(where(), QStringList({"offered", "waiting"}));
    // "No" on a report still waiting clears it from the capture as well.
    auto again = loadRoot();
    ASSERT_TRUE(dialogs.choose(u"No"_s));
    EXPECT_EQ(where(), QStringList());

    // With the way clear, the next launch takes a waiting report over.
    leaveReport();
    launch();
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));
    EXPECT_EQ(savedReport(), kReport);
}
