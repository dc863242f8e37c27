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

// Shared by the fault tests.
namespace Faults {

// The short run's count, or with FIELDBOOK_FAULTS=long the long one's.
inline int scaled(int shortCount, int longCount)
{
    return qgetenv("FIELDBOOK_FAULTS") == "long" ? longCount : shortCount;
}

// Built with AddressSanitizer, where every allocation costs many times more:
// the kill loops run a few rounds there (the ordinary build's run is the one
// that proves atomicity; this one looks for memory faults on the way).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool kSanitized = false;
#endif

// A file's bytes (empty when it cannot be read).
QByteArray readFile(const QString& path);
// The files in `folder` whose names match `pattern` (files kept aside).
inline QStringList keptFiles(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files);
}

// What a root screen asks the salesman as it loads, "kind:message" each.
QStringList rootScreenAsks();

// The server the application talks to, stored as the settings screen does.
void pointAt(const QString& baseUrl);
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
    // Starts `fault_child <arguments>` and waits for its "ready" line (a
    // failure with its output when it does not come).
    bool start(const QStringList& arguments,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Reads what it writes for `wait` (less when it ends first).
    void poll(std::chrono::milliseconds wait) { waitForLine(u"\n"_s, wait); }
    // Waits for a line starting with `prefix`; false on time-out or exit.
    bool waitForLine(const QString& prefix, std::chrono::milliseconds timeout);
    // SIGKILL, then every line it wrote before it died.
    const QStringList& kill();
    bool waitForExit(std::chrono::milliseconds timeout);
    bool crashed() const { return _process->exitStatus() == QProcess::CrashExit; }
    const QStringList& lines() const { return _lines; }
    // Its lines and its error output, for failure messages.
    QString output() const;

private:
    void readAvailable();

    std::unique_ptr<QProcess> _process;
    QByteArray _errors;
    QStringList _lines;
};

// The notifications of the given names as the screens would get them.
class Notifications
{
public:
    explicit Notifications(std::initializer_list<const char*> names);
    bool waitFor(const QString& name, int ms = 15000)
    {
        return QTest::qWaitFor([&] { return names.contains(name); }, ms);
    }
    // Forgets what came so far, makes the call and waits for a notification:
    // what was said ("name:message", several joined by "|"), or "<nothing>".
    QString after(const std::function<void()>& call, int ms = 15000);

    QStringList names;
    QStringList said; // "name:message" each
    QVariantMap last; // what the last one carried

private:
    QObject _observer;
};

// A connection of its own to a database file, for looking: SQLite's own
// recovery of a WAL left by a killed writer happens, nothing else (no
// renaming, no reseeding: the store's own opening would repair what the test
// wants to see).
class Peek
{
public:
    explicit Peek(const QString& path);
    ~Peek();
    // "ok", or SQLite's list of problems, or the error that stopped the check.
    QString integrity() { return rows(u"PRAGMA integrity_check"_s).join(u'\n'); }
    // The first row of a query, its columns joined with "|" (null when none).
    QString value(const QString& sql, const QVariantList& values = {})
    {
        return rows(sql, values).value(0);
    }
    // The rows of a query, each as its columns joined with "|".
    QStringList rows(const QString& sql, const QVariantList& values = {});

private:
    QString error() const;
    sqlite3* _db = nullptr;
};

} // namespace Faults

// Texts in failure messages as texts, lists of them too (every fault test
// includes this header, so the whole program prints them alike).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
