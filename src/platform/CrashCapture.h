#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Crash capture in the running process. Once enabled, a fatal signal (SIGSEGV,
// SIGBUS, SIGILL, SIGFPE, SIGABRT) or an uncaught C++ exception leaves a report
// file for the next start, and the process then dies with the signal as it
// would have without us.
//
// Where reports wait: <sandbox>/Library/CrashCapture/pending. The handler
// writes "pending.part" (opened when capture is enabled) and renames it to
// "pending" as soon as the report's header is complete, so the next start sees
// either no report or one that at least says what happened; the stack frames
// and the loaded images follow in the same file.
//
// The report is plain text, one item per line:
//
//   Field Book crash report 1
//   time: 1715700000                        seconds since 1970-01-01 UTC
//   signal: SIGSEGV
//   code: SEGV_MAPERR                       si_code by name, else its number
//   address: 0x0000000000000010             faulting address; 0 for signals
//                                           raised or sent by a process
//   pid: 4242
//   version: 1.0.1                          the application's version
//   exception: std::runtime_error: boom     only after an uncaught exception;
//                                           the message bytes as thrown
//   frames:
//     0 0x00007f3a1c2d40b0                  return addresses, innermost first
//     ...                                   (the first ones are the handler's)
//   images:
//     55d0c2a00000-55d0c2a4f000 r-xp 00002000 fe:01 1234 /usr/bin/fieldbook
//     ...                                   executable mappings, to place frames
//   build-ids:
//     9c1e0b6f...d2 /usr/bin/fieldbook      the GNU build-id of each loaded
//     ...                                   image, to find its very binary and
//                                           debug file (scripts/symbolize)
//   end
//
// Readers ignore header keys they do not know. A report without "end" was cut
// short while the frames were written; its header still counts.
//
// What the handler does at crash time (only async-signal-safe calls, no heap,
// no stdio, no Qt): time(), getpid(), write() of text formatted by hand into a
// fixed buffer, rename(), open()/read() of /proc/self/maps, fsync(), close(),
// nanosleep(), sigaction() and raise(). Paths, the open file, the version
// text and the build-id lines are prepared by enable(); the build-ids are read
// from the images' notes in memory there, never in the handler.
//
// The frames come from backtrace(), which POSIX does not list as
// async-signal-safe. Its first call loads the unwinder (dlopen and malloc), so
// enable() makes that first call; what is left at crash time is the unwinder
// reading the stack and the unwind tables. That is the one risk taken, and it
// is taken after the header is on disk. Walking frame pointers instead would
// be safe but blind: our release builds do not keep them.
//
// Before writing anything the handler restores the default action of every
// captured signal, so a fault inside the handler ends the process plainly
// instead of looping. A second thread that crashes meanwhile waits up to two
// seconds for the first report, then dies of its own signal.
//
// An alternate signal stack lets the handler run when the main thread's stack
// has overflowed. It is installed for the thread that calls enable() (the main
// thread); other threads that overflow their stack die without a report.
//
// An uncaught exception reaches std::terminate, whose handler notes the
// exception's type and what() text (ordinary code, not a signal handler) and
// calls abort(); the SIGABRT handler writes the report.
class CrashCapture
{
public:
    virtual ~CrashCapture() = default;

    // The capture of this process. Tests replace it with setShared() (null
    // goes back to the real one, which is never destroyed).
    static CrashCapture& shared();
    static void setShared(CrashCapture* capture);

    // True when a report waits in the current sandbox.
    virtual bool hasPendingReport();
    // The waiting report's bytes, or nothing with the reason in `error`.
    virtual std::optional<QByteArray> loadPendingReport(QString* error = nullptr);
    // Removes the waiting report. True when none is left.
    virtual bool purgePendingReport(QString* error = nullptr);
    // Installs the handlers for the rest of the process and points them at
    // the current sandbox; calling it again re-points them. False, with the
    // reason, when the folder or file cannot be prepared or a handler cannot
    // be installed.
    virtual bool enable(QString* error = nullptr);

    // Reads the build-id of every image loaded now, for the reports of later
    // crashes. enable() does it; call it again once plugins are loaded (an
    // image loaded later is listed in "images" without a build-id).
    static void noteLoadedImages();

    static QString directory();
    static QString pendingReportPath();

    // Crashes this process on purpose, to try the capture: "segv" (write to
    // address 0x10), "abort", "exception" (an uncaught std::runtime_error),
    // "exception-bytes" (one whose message is not UTF-8) or "overflow" (endless
    // recursion). Returns false for any other kind.
    static bool crashNow(const QString& kind);
    static bool isCrashKind(const QString& kind);
};
