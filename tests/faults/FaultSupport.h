#pragma once

#include <QByteArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>

struct sqlite3;

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
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

// A file's bytes (empty when it cannot be read).
QByteArray readFile(const QString& path);

// What a root screen asks the salesman as it loads, "kind:message" each.
QStringList rootScreenAsks();

// A draft of two lines for the demo data's customer and items (the reference
// server's), and the upload status of a stored order (-1: not there).
void saveDemoDraft(const QString& number);
int uploadStatus(const QString& number);

// A random source for one test, seeded from FIELDBOOK_FAULT_SEED when set,
// else from the clock. The seed goes into every failure message (seedNote()),
// so a failing run can be repeated.
QRandomGenerator& random();
QString seedNote();

// A fault_child process (see child/fault_child.cpp), killed with SIGKILL.
class Child
{
public:
    Child();
    ~Child();
    // Starts `fault_child <arguments>` and waits for its "ready" line.
    bool start(const QStringList& arguments, std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Reads what has arrived for up to `wait`; answers the lines so far.
    const QStringList& poll(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Waits for a line starting with `prefix`; false on time-out or exit.
    bool waitForLine(const QString& prefix, std::chrono::milliseconds timeout);
    // SIGKILL, then every line it wrote before it died.
    const QStringList& kill();
    // Waits for it to end by itself.
    bool waitForExit(std::chrono::milliseconds timeout);
    int exitCode() const;
    bool crashed() const;
    const QStringList& lines() const { return _lines; }
    QString errors() const { return QString::fromLocal8Bit(_errors); }

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
    bool waitForAny(int ms = 15000);
    // The "message" of the last one (empty when none came).
    QString message() const;
    // Each as "name:message".
    QStringList said() const;
    void clear();
    // Forgets what came so far, makes the call and waits for a notification:
    // what was said ("name:message", several joined by "|"), or "<nothing>".
    QString after(const std::function<void()>& call, int ms = 15000);

    QStringList names;
    QList<QVariantMap> infos;

private:
    QObject _observer;
};

// Collects what the code under test logs while it lives (and still lets it
// through to the previous handler).
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    // "category: message" per line logged.
    QStringList messages() const;
    bool contains(const QString& text) const;
};

// A connection of its own to a database file, for looking: SQLite's own
// recovery of a WAL left by a killed writer happens, nothing else.
class Peek
{
public:
    explicit Peek(const QString& path);
    ~Peek();
    bool isOpen() const { return _db != nullptr; }
    // "ok", or SQLite's list of problems, or the error that stopped the check.
    QString integrity();
    // The first column of the first row, as text (null when there is none).
    QString value(const QString& sql, const QVariantList& values = {});
    // The rows of a query, each as its columns joined with "|".
    QStringList rows(const QString& sql, const QVariantList& values = {});
    QString error() const;

private:
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
