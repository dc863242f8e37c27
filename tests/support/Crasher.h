#pragma once

#include <QByteArray>
#include <QString>

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
    bool signalled = false; // died of a signal
    int signal = 0;         // which one
    int exitCode = -1;      // when it exited instead
    QByteArray errors;      // what it wrote to stderr

    static CrasherRun run(const QString& sandboxRoot, const QString& kind);
    static QString program();
};
