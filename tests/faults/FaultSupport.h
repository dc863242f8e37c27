#pragma once

// What nearly every fault test uses, included once here.
#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

struct sqlite3;

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// Shared by the fault tests: the run's length and random source, the child
// process they kill, and a plain look into a database file that changes
// nothing in it (no renaming, no reseeding: the store's own opening would
// repair what the test wants to see).
namespace Faults {

// The short run's count, or with FIELDBOOK_FAULTS=long the long one's.
int scaled(int shortCount, int longCount);

// Built with AddressSanitizer, where every allocation costs many times more:
// the kill loops run a few rounds there (the ordinary build's run is the one
// that proves atomicity; this one looks for memory faults on the way).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FIELDBOOK_FAULTS_ASAN
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(FIELDBOOK_FAULTS_ASAN)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// A file's bytes (empty when it cannot be read).
QByteArray readFile(const QString& path);
// The files in `folder` whose names match `pattern` (files kept aside).
QStringList keptFiles(const QString& folder, const QString& pattern);

// What a root screen asks the salesman as it loads, "kind:message" each.
QStringList rootScreenAsks();

// A draft of two lines for the demo data's customer and items (the reference
// server's), and the upload status of a stored order (-1: not there).
void saveDemoDraft(const QString& number);
int uploadStatus(const QString& number);

// The server the application talks to, stored as the settings screen does.
void pointAt(const QString& baseUrl);
// The upload queue has tried and rests: nothing in flight, its failure count
// back at 0.
bool waitUntilUploadsRest(int ms = 30000);
// Queues released and no transport or token left: downloads a test started
// must not land after its sandbox is gone.
void releaseNetwork();

// A random source for one test, seeded from FIELDBOOK_FAULT_SEED when set,
// else from the clock. The seed goes into every failure message (seedNote()),
// so a failing run can be repeated.
QRandomGenerator& random();
QString seedNote();

// A fault_child process (see child/fault_child.cpp), killed with SIGKILL.
class Child
{
public:
    ~Child();
    // Starts `fault_child <arguments>` and waits for its "ready" line.
    bool start(const QStringList& arguments,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Reads what has arrived for up to `wait`; answers the lines so far.
    const QStringList& poll(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Waits for a line starting with `prefix`; false on time-out or exit.
    bool waitForLine(const QString& prefix, std::chrono::milliseconds timeout);
    // SIGKILL, then every line it wrote before it died.
    const QStringList& kill();
    // Waits for it to end by itself.
    bool waitForExit(std::chrono::milliseconds timeout);
    bool crashed() const { return _process->exitStatus() == QProcess::CrashExit; }
    const QStringList& lines() const { return _lines; }
    // Its lines and its error output, for failure messages.
    QString output() const;

private:
    void readAvailable();

    std::unique_ptr<QProcess> _process;
    QByteArray _pending;
    QByteArray _errors;
    QStringList _lines;
};

// The notifications of the given names as the screens would get them.
class Notifications
{
public:
    explicit Notifications(std::initializer_list<const char*> names);
    bool waitFor(const QString& name, int ms = 15000);
    void clear();
    // Forgets what came so far, makes the call and waits for a notification:
    // what was said ("name:message", several joined by "|"), or "<nothing>".
    QString after(const std::function<void()>& call, int ms = 15000);

    QStringList names;
    QStringList said; // "name:message" each
    QVariantMap last; // what the last one carried

private:
    QObject _observer;
};

// Collects what the code under test logs while it lives (and still lets it
// through to the previous handler), "category: message" per line.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QString text() const;
};

// A connection of its own to a database file, for looking: SQLite's own
// recovery of a WAL left by a killed writer happens, nothing else.
class Peek
{
public:
    explicit Peek(const QString& path);
    ~Peek();
    // "ok", or SQLite's list of problems, or the error that stopped the check.
    QString integrity();
    // The first row of a query, its columns joined with "|" (null when none).
    QString value(const QString& sql, const QVariantList& values = {});
    // The rows of a query, each as its columns joined with "|".
    QStringList rows(const QString& sql, const QVariantList& values = {});

private:
    QString error() const;
    sqlite3* _db = nullptr;
};

} // namespace Faults

// Texts in failure messages as texts (every fault test includes this header,
// so the whole program prints them alike).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}
