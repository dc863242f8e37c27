#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

// A report as the crash capture writes it: two frames and the program's image.
inline const QByteArray kSampleCrashReport =
    "Field Book crash report 1\n"
    "time: 1715695200\n"
    "signal: SIGSEGV\n"
    "code: SEGV_MAPERR\n"
    "address: 0x0000000000000010\n"
    "pid: 4242\n"
    "version: 1.0.1\n"
    "frames:\n"
    "  0 0x00005622f5dcdc23\n"
    "  1 0x00007f2e59c5a050\n"
    "images:\n"
    "  5622f5dcc000-5622f5dd0000 r-xp 00002000 fe:00 5326375 /opt/fieldbook/bin/fieldbook\n"
    "end\n";

// Runs tests/crash/crasher.cpp (fieldbook_crasher, beside the test program) as
// a child process: it enables crash capture in the given sandbox root and
// crashes as asked. Waits at most ten seconds, then kills it (neither
// signalled nor exited).
struct CrasherRun
{
    bool started = false;
    int signal = 0;    // the signal it died of
    int exitCode = -1; // when it exited instead
    QByteArray errors; // what it wrote to stderr

    static QString program()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/fieldbook_crasher");
    }
    static CrasherRun run(const QString& sandboxRoot, const QString& kind)
    {
        CrasherRun result;
        QDir().mkpath(sandboxRoot);
        QProcess crasher;
        crasher.start(program(), {sandboxRoot, kind});
        result.started = crasher.waitForStarted(10000);
        if (!result.started || !crasher.waitForFinished(10000)) {
            crasher.kill();
            crasher.waitForFinished();
            return result;
        }
        // After a crash Qt reports the signal as the exit code.
        const bool signalled = crasher.exitStatus() == QProcess::CrashExit;
        (signalled ? result.signal : result.exitCode) = crasher.exitCode();
        result.errors = crasher.readAllStandardError();
        return result;
    }
};
