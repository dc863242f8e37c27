// A child process crashes for real with the capture on: it must still die of its
// signal and leave a report the parser reads back. Then the start after a crash:
// the report is taken over, offered, sent or declined, and the steps that fail;
// there the capture keeps its files in the sandbox but installs no handlers here.
#include "core/CrashHelper.h"
#include "platform/CrashCapture.h"
#include "platform/CrashRecord.h"
#include "platform/Sandbox.h"
#include "support/Crasher.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/StartAfterCrash.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/Endpoints.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QByteArray kReport = kSampleCrashReport;

QByteArray replaced(const QByteArray& from, const QByteArray& to)
{
    QByteArray report = kReport;
    EXPECT_TRUE(report.contains(from)) << from.constData();
    return report.replace(from, to);
}

// The report as scripts/symbolize tells it: function and file:line per frame.
// The crasher is found by the build-id the report names, beside this test.
QString symbolized(const QString& report)
{
    QProcess symbolize;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("FIELDBOOK_BUILD_DIR", QFileInfo(CrasherRun::program()).absolutePath());
    symbolize.setProcessEnvironment(environment);
    symbolize.start(qEnvironmentVariable("FIELDBOOK_PYTHON3", "python3"),
                    {TestServer::sourcePath("scripts/symbolize"), report});
    EXPECT_TRUE(symbolize.waitForFinished(60000));
    EXPECT_EQ(symbolize.exitCode(), 0) << symbolize.readAllStandardError().constData();
    return QString::fromUtf8(symbolize.readAllStandardOutput());
}

// "complete|cut-short signal code address frames" of a parsed report.
QString described(const CrashRecord& r)
{
    return u"%1 %2 %3 0x%4 %5"_s
        .arg(r.complete ? u"complete"_s : u"cut-short"_s, r.signalName, r.signalCode)
        .arg(r.address, 0, 16)
        .arg(r.frames.size());
}

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
        *error = enableError;
        return enableError.isEmpty();
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
    RootBuilder roots; // root screens as the interface builds them: loaded at once
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QtMessageHandler previousHandler = nullptr;

    void SetUp() override
    {
        roots.dialogs = &dialogs;
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
        sandbox.writeFile(u"Library/CrashCapture/pending"_s, report);
    }
    // A new launch: a fresh helper checks for a report.
    static void launch()
    {
        crashLog().clear();
        CrashHelper::releaseCrashHelper();
        CrashHelper::sharedCrashHelper()->checkForCrashes();
    }
    QString savedPath() const { return sandbox.documents() + u"/CrashReport"_s; }
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
    static ::testing::AssertionResult logged(const QString& line)
    {
        return ::testing::AssertionResult(crashLog().contains(line))
               << crashLog().join('\n').toStdString();
    }
};
} // namespace

TEST(CrashCapture, RealCrashesLeaveAReportAndStillDieOfTheirSignal)
{
    TestSandbox sandbox;
    // A fault names where it happened; a signal that was sent has no address.
    const struct
    {
        const char* kind;
        int signal;
        const char* record; // how the parsed report begins (see described())
        QByteArray exception;
    } cases[] = {
        {"segv", SIGSEGV, "complete SIGSEGV SEGV_MAPERR 0x10 ", {}},
        {"exception", SIGABRT, "complete SIGABRT SI_TKILL 0x0 ",
         "std::runtime_error: crash requested: an exception nobody catches"},
        // The handler must run on its own stack: the thread's stack is full.
        {"overflow", SIGSEGV, "complete SIGSEGV ", {}},
    };
    // The frames, symbolized, lead back to the store through the null pointer.
    static const QRegularExpression crashNow(
        " CrashCapture::crashNow\\(QString const&\\)  \\S*/CrashCapture\\.cpp:\\d+");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const QString kind = QLatin1String(c.kind);
        Sandbox::setRoot(sandbox.root() + '/' + kind);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const CrasherRun run = CrasherRun::run(Sandbox::root(), kind);
        const qint64 after = QDateTime::currentSecsSinceEpoch();
        ASSERT_TRUE(run.started) << qPrintable(CrasherRun::program());
        // The process dies as it would have without the capture.
        EXPECT_EQ(run.signal, c.signal)
            << "exit code " << run.exitCode << ": " << run.errors.constData();

        QString error;
        const std::optional<QByteArray> data = CrashCapture::shared().loadPendingReport(&error);
        ASSERT_TRUE(data) << qPrintable(error);
        const std::optional<CrashRecord> record = CrashRecord::parse(*data, &error);
        ASSERT_TRUE(record) << qPrintable(error) << "\n" << data->constData();
        EXPECT_TRUE(described(*record).startsWith(QLatin1String(c.record)))
            << qPrintable(described(*record));
        EXPECT_TRUE(record->crashTime.toSecsSinceEpoch() >= before &&
                    record->crashTime.toSecsSinceEpoch() <= after);
        EXPECT_EQ(record->exception, c.exception);
        if (kind == "segv") {
            const QString frames = symbolized(CrashCapture::pendingReportPath());
            EXPECT_TRUE(frames.contains(crashNow)) << qPrintable(frames);
        }
        // The unwinder walks the full stack.
        EXPECT_GE(record->frames.size(), kind == "overflow" ? 100 : 1);
        // Only the finished report is left, no working file in its place.
        EXPECT_FALSE(QFile::exists(CrashCapture::directory() + u"/pending.part"_s));
    }
}

TEST(CrashRecord, RejectsDamagedReports)
{
    const QList<QPair<const char*, QByteArray>> damaged = {
        {"empty", QByteArray()},
        {"another format", replaced("crash report 1", "crash report 2")},
        {"no address", replaced("address: 0x0000000000000010\n", "")},
        {"time in words", replaced("time: 1715695200", "time: yesterday")},
        {"signal by number", replaced("signal: SIGSEGV", "signal: 11")},
        {"empty code", replaced("code: SEGV_MAPERR", "code: ")},
        {"address not hex", replaced("address: 0x0000000000000010", "address: 0x00000000000000zz")},
        {"address too long",
         replaced("address: 0x0000000000000010", "address: 0x10000000000000000")},
        {"line without a key", replaced("pid: 4242\n", "4242\n")},
        {"frame without address", replaced("  1 0x00007f2e59c5a050", "  1 here")},
        {"text after the end", kReport + "time: 1\n"},
    };
    for (const auto& [what, data] : damaged) {
        QString error;
        EXPECT_TRUE(!CrashRecord::parse(data, &error) && !error.isEmpty()) << what;
    }
}

// What reaches the server is judged end to end (CrashReport), that it is
// production even in development mode by Endpoints; here the log, the
// question and the answers.
TEST_F(CrashHelperTest, ReportIsTakenOverOfferedSentUntilDeclined)
{
    leaveReport();
    launch();
    EXPECT_EQ(crashLog(), (QStringList{u"Crashed on 2024-05-14T14:00:00Z"_s,
                                       u"Crashed with signal SIGSEGV (code SEGV_MAPERR, "
                                       u"address=0x10)"_s}));

    // The question comes over the login screen, which is already up.
    roots.buildInterface();
    ASSERT_EQ(dialogs.count(u"alert"_s), 1);
    const FakeDialogs::Request* alert = dialogs.last(u"alert"_s);
    EXPECT_EQ(QStringList({alert->title, alert->message}) + alert->buttons,
              QStringList({u"Ardent Fieldbook Crash"_s,
                           u"We just recovered from a crash, Would you like to send us the "
                           u"report?"_s,
                           u"Ok"_s, u"No"_s}));
    EXPECT_EQ(CrashHelper::sharedCrashHelper()->parentController(), roots.roots.back().get());

    // An answer that is neither button (a dismissed dialog) sends nothing
    // and keeps the question open for later.
    CrashHelper::sharedCrashHelper()->alertViewClickedButtonAtIndex(-1);
    EXPECT_EQ(transport->calls().size(), 0);
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));

    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    ASSERT_EQ(transport->calls().size(), 1);
    EXPECT_EQ(transport->calls().at(0).url, u"http://production.test/api/crashLog.php"_s);
    transport->fail(-1009); // off line: nothing to show, nothing retried
    EXPECT_EQ(transport->pendingCount() + dialogs.requests.size(), 1u);

    // The flag stays up after sending: a root built later asks again.
    EXPECT_EQ(where(), QStringList({"offered", "saved"}));
    roots.buildInterface();
    ASSERT_EQ(dialogs.count(u"alert"_s), 2);
    ASSERT_TRUE(dialogs.choose(u"No"_s));
    EXPECT_EQ(transport->calls().size(), 1);
    EXPECT_EQ(where(), QStringList{"saved"}); // declined, not deleted
    // Later roots do not offer the old file again.
    dialogs.clear();
    roots.buildInterface();
    EXPECT_EQ(dialogs.count(u"alert"_s), 0);
}

// A report that cannot be read is dropped without a question; one that
// cannot be saved stays waiting for the next launch.
TEST_F(CrashHelperTest, FailuresOnTheWayFromCaptureToTheDocumentsFolder)
{
    const QByteArray damaged = QByteArray(kReport).replace("address: 0x0000000000000010\n", "");
    const QString disk = u"disk on fire"_s, docs = Sandbox::documentsDirectory();
    enum Blocker { None, FileForFolder, FolderForFile };
    const struct
    {
        QByteArray report;
        int failingLoad; // of this launch; 0: none
        Blocker blocker;
        QString logLine, where;
    } cases[] = {
        {damaged, 0, None, u"Could not parse crash report"_s, ""},
        {kReport, 1, None, "Could not load crash report: " + disk, ""},
        {kReport, 0, FileForFolder, "Could not create documents directory: " + docs,
         "offered waiting"},
        {kReport, 0, FolderForFile, u"Failed to write crash report"_s, "offered waiting saved"},
        // The report reads at first but not when it is saved.
        {kReport, 2, None, "Failed to load crash report data: " + disk, "offered waiting"},
    };
    // A capture that cannot be enabled is logged; the report is still taken over.
    capture.enableError = u"cannot open the working file"_s;
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
        EXPECT_TRUE(
            logged(u"Warning: Could not enable crash reporter: cannot open the working file"_s));
        EXPECT_EQ(where().join(' '), c.where);
        dialogs.clear();
        roots.buildInterface();
        EXPECT_EQ(dialogs.count(u"alert"_s), c.where.isEmpty() ? 0 : 1);
    }

    // Still asked; "Ok" has no file of this run to send.
    EXPECT_TRUE(CrashHelper::crashReportPath().isNull());
    ASSERT_TRUE(dialogs.choose(u"Ok"_s));
    EXPECT_EQ(transport->calls().size(), 0);
    EXPECT_TRUE(logged(u"No crash report was saved in this run; nothing sent"_s));
    EXPECT_EQ(where(), QStringList({"offered", "waiting"}));
    // "No" on a report still waiting clears it from the capture as well.
    roots.buildInterface();
    ASSERT_TRUE(dialogs.choose(u"No"_s));
    EXPECT_EQ(where(), QStringList());
}
