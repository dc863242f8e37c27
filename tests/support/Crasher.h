#pragma once

#include <QByteArray>
#include <QString>

// Runs tests/crash/crasher.cpp (fieldbook_crasher, beside the test program) as
// a child process: it enables crash capture in the given sandbox root and
// crashes as asked. Waits at most ten seconds, then kills it.
struct CrasherRun
{
    bool started = false;
    bool timedOut = false;  // killed after ten seconds
    bool signalled = false; // died of a signal
    int signal = 0;         // which one
    int exitCode = -1;      // when it exited instead
    QByteArray errors;      // what it wrote to stderr

    static CrasherRun run(const QString& sandboxRoot, const QString& kind);
    static QString program();
};
