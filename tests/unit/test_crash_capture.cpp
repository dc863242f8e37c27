// Crash capture seen from outside: a child process enables it, crashes for
// real, must still die of its signal, and must leave a report that the parser
// reads back. The parser is also fed damaged reports.
#include "platform/CrashCapture.h"
#include "platform/CrashRecord.h"
#include "platform/Sandbox.h"
#include "support/Crasher.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
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

// "signal code address frames complete|cut short" of a parsed report.
QString described(const CrashRecord& r)
{
    return u"%1 %2 0x%3 %4 %5"_s.arg(r.signalName, r.signalCode)
        .arg(r.address, 0, 16)
        .arg(r.frames.size())
        .arg(r.complete ? "complete" : "cut short");
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // decode() is lazy: the text must be asked for before errors are known.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && !text.isEmpty();
}
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
        bool faultAddress;
        QByteArray exception;
    } cases[] = {
        {"segv", SIGSEGV, "SIGSEGV SEGV_MAPERR 0x10 ", true, {}},
        {"abort", SIGABRT, "SIGABRT SI_TKILL 0x0 ", false, {}},
        {"exception", SIGABRT, "SIGABRT SI_TKILL 0x0 ", false,
         "std::runtime_error: crash requested: an exception nobody catches"},
        {"exception-bytes", SIGABRT, "SIGABRT SI_TKILL 0x0 ", false,
         "std::runtime_error: crash requested: \xff\xfe is not UTF-8"},
        // The handler must run on its own stack: the thread's stack is full.
        {"overflow", SIGSEGV, "SIGSEGV ", true, {}},
    };
    // The frames, symbolized, lead back to where the crasher crashed: the
    // store through the null pointer, the abort, the throw, the recursion.
    // clang gives the call that throws no line of its own ("file:?").
    static const QRegularExpression crashNow(
        " CrashCapture::crashNow\\(QString const&\\)  \\S*/CrashCapture\\.cpp:(\\d+|\\?)");
    static const QRegularExpression recursion(
        " (\\S*::)?recurse\\S*  \\S*/CrashCapture\\.cpp:\\d+");
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
        EXPECT_EQ(record->address != 0, c.faultAddress);
        EXPECT_TRUE(record->complete);
        EXPECT_GE(record->crashTime.toSecsSinceEpoch(), before);
        EXPECT_LE(record->crashTime.toSecsSinceEpoch(), after);
        EXPECT_EQ(record->exception, c.exception);
        EXPECT_EQ(isUtf8(*data), kind != "exception-bytes");
        const QString frames = symbolized(CrashCapture::pendingReportPath());
        EXPECT_TRUE(frames.contains(kind == "overflow" ? recursion : crashNow))
            << qPrintable(frames);
        // The unwinder walks the full stack.
        EXPECT_GE(record->frames.size(), kind == "overflow" ? 100 : 1);
        // Only the finished report is left, no working file in its place.
        EXPECT_FALSE(QFile::exists(CrashCapture::directory() + u"/pending.part"_s));
    }
}

TEST(CrashCapture, NormalExitLeavesNothingPurgeClearsAReportAndEnableNeedsItsFolder)
{
    TestSandbox sandbox;
    CrashCapture& capture = CrashCapture::shared();
    const CrasherRun clean = CrasherRun::run(sandbox.root(), u"none"_s);
    EXPECT_EQ(clean.exitCode, 0) << clean.errors.constData();
    QString error;
    EXPECT_FALSE(capture.loadPendingReport(&error));
    EXPECT_FALSE(error.isEmpty());

    ASSERT_TRUE(CrasherRun::run(sandbox.root(), u"abort"_s).signalled);
    ASSERT_TRUE(capture.hasPendingReport());
    EXPECT_TRUE(capture.purgePendingReport(&error)) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(CrashCapture::pendingReportPath()));
    // Nothing left to purge is not a failure.
    EXPECT_TRUE(capture.purgePendingReport(&error));

    // "Library" is a file, so no folder can be made below it: enable fails
    // and the crasher says so instead of crashing.
    sandbox.writeFile(u"blocked/Library"_s, "not a folder");
    const CrasherRun run = CrasherRun::run(sandbox.root() + u"/blocked"_s, u"segv"_s);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.errors.contains("Library/CrashCapture")) << run.errors.constData();
}

TEST(CrashRecord, ReadsAReportAndOneCutShortWhileItsFramesWereWritten)
{
    QString error;
    const std::optional<CrashRecord> record = CrashRecord::parse(kReport, &error);
    ASSERT_TRUE(record) << qPrintable(error);
    EXPECT_EQ(described(*record), "SIGSEGV SEGV_MAPERR 0x10 2 complete");
    EXPECT_EQ(record->crashTime, QDateTime(QDate(2024, 5, 14), QTime(14, 0), Qt::UTC));
    EXPECT_EQ(record->frames, (QList<quint64>{0x00005622f5dcdc23ULL, 0x00007f2e59c5a050ULL}));
    EXPECT_TRUE(record->exception.isEmpty());

    // The process died inside the unwinder: the header still tells the story.
    // Keys a later version may add are passed over; a numeric code is kept.
    const std::optional<CrashRecord> cut =
        CrashRecord::parse(kReport.left(kReport.indexOf("  1 0x")), &error);
    const std::optional<CrashRecord> later = CrashRecord::parse(
        replaced("pid: 4242\n", "pid: 4242\nthread: main\n").replace("SEGV_MAPERR", "-6"));
    ASSERT_TRUE(cut && later) << qPrintable(error);
    EXPECT_EQ(described(*cut), "SIGSEGV SEGV_MAPERR 0x10 1 cut short");
    EXPECT_EQ(described(*later), "SIGSEGV -6 0x10 2 complete");
}

TEST(CrashRecord, RejectsDamagedReports)
{
    const QList<QPair<const char*, QByteArray>> damaged = {
        {"empty", QByteArray()},
        {"another format", replaced("crash report 1", "crash report 2")},
        {"not text at all", QByteArray("\x7f"
                                       "ELF\x02\x01\x01\0\0\0",
                                       10)},
        {"no time", replaced("time: 1715695200\n", "")},
        {"no signal", replaced("signal: SIGSEGV\n", "")},
        {"no code", replaced("code: SEGV_MAPERR\n", "")},
        {"no address", replaced("address: 0x0000000000000010\n", "")},
        {"header cut short", kReport.left(kReport.indexOf("code:"))},
        {"time in words", replaced("time: 1715695200", "time: yesterday")},
        {"signal by number", replaced("signal: SIGSEGV", "signal: 11")},
        {"empty code", replaced("code: SEGV_MAPERR", "code: ")},
        {"address without 0x", replaced("address: 0x0000000000000010", "address: 16")},
        {"address not hex", replaced("address: 0x0000000000000010", "address: 0x00000000000000zz")},
        {"address too long",
         replaced("address: 0x0000000000000010", "address: 0x10000000000000000")},
        {"line without a key", replaced("pid: 4242\n", "4242\n")},
        {"frame without address", replaced("  1 0x00007f2e59c5a050", "  1 here")},
        {"frames out of order", replaced("  1 0x00007f2e59c5a050", "  3 0x00007f2e59c5a050")},
        {"text after the end", kReport + "time: 1\n"},
    };
    for (const auto& [what, data] : damaged) {
        QString error;
        EXPECT_FALSE(CrashRecord::parse(data, &error)) << what;
        EXPECT_FALSE(error.isEmpty()) << what;
    }
}
