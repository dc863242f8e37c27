#include "FaultSupport.h"
#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/FakeDialogs.h"
#include "workflow/ViewController.h"

#include <QCoreApplication>
#include <QDateTime>
#include <csignal>
#include <sqlite3.h>
#include <sys/types.h>

namespace Faults {

int scaled(int shortCount, int longCount)
{
    return qgetenv("FIELDBOOK_FAULTS") == "long" ? longCount : shortCount;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList keptFiles(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files);
}

QStringList rootScreenAsks()
{
    FakeDialogs dialogs;
    ViewController root;
    root.setDialogs(&dialogs);
    root.viewDidLoad();
    QStringList asks;
    for (const FakeDialogs::Request& request : dialogs.requests)
        asks << request.kind + u':' + request.message;
    return asks;
}

void saveDemoDraft(const QString& number)
{
    using StoreFixtures::line;
    SalesOrder draft = StoreFixtures::order(number, u"100001"_s, u"100001"_s);
    draft.remark = u"ring twice"_s;
    ASSERT_TRUE(DataManager::sharedManager()->saveOrder(
        draft, QString(), {line(number, u"AQ10001"_s, 3), line(number, u"AQ10004"_s, 1)}));
}

int uploadStatus(const QString& number)
{
    const auto stored = DataManager::sharedManager()->getSalesOrder(number);
    return stored ? stored->uploadStatus : -1;
}

void pointAt(const QString& baseUrl)
{
    UserDefaults::standard().setObject(baseUrl, u"host"_s);
    UserDefaults::standard().synchronize();
}

bool waitUntilUploadsRest(int ms)
{
    UploadManager* uploads = UploadManager::sharedManager();
    return QTest::qWaitFor([uploads] { return !uploads->isUploading() && !uploads->errorTry(); },
                           ms);
}

void releaseNetwork()
{
    UploadManager::releaseManager();
    DownloadManager::releaseManager();
    HttpTransport::setShared(nullptr);
    Session::setAuthToken(QString());
}

namespace {
quint32& seedValue()
{
    static quint32 value = [] {
        bool ok = false;
        const quint32 given = qEnvironmentVariable("FIELDBOOK_FAULT_SEED").toUInt(&ok);
        return ok ? given : quint32(QDateTime::currentMSecsSinceEpoch());
    }();
    return value;
}
} // namespace

QRandomGenerator& random()
{
    static QRandomGenerator generator(seedValue());
    return generator;
}

QString seedNote()
{
    return u"(FIELDBOOK_FAULT_SEED=%1)"_s.arg(seedValue());
}

Child::~Child()
{
    if (_process && _process->state() != QProcess::NotRunning)
        kill();
}

bool Child::start(const QStringList& arguments, std::chrono::milliseconds timeout)
{
    _process = std::make_unique<QProcess>();
    _process->start(QCoreApplication::applicationDirPath() + u"/fault_child"_s, arguments);
    return _process->waitForStarted(int(timeout.count())) && waitForLine(u"ready"_s, timeout);
}

void Child::readAvailable()
{
    _pending += _process->readAllStandardOutput();
    _errors += _process->readAllStandardError();
    for (qsizetype newline; (newline = _pending.indexOf('\n')) >= 0;) {
        _lines << QString::fromUtf8(_pending.left(newline));
        _pending.remove(0, newline + 1);
    }
}

QString Child::output() const
{
    return _lines.join(u'\n') + u'\n' + QString::fromLocal8Bit(_errors);
}

const QStringList& Child::poll(std::chrono::milliseconds wait)
{
    if (wait.count() > 0 && _process->state() == QProcess::Running)
        _process->waitForReadyRead(int(wait.count()));
    readAvailable();
    return _lines;
}

bool Child::waitForLine(const QString& prefix, std::chrono::milliseconds timeout)
{
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + timeout.count();
    for (qsizetype seen = 0;;) {
        readAvailable();
        for (; seen < _lines.size(); ++seen) {
            if (_lines.at(seen).startsWith(prefix))
                return true;
        }
        const qint64 left = deadline - QDateTime::currentMSecsSinceEpoch();
        if (left <= 0 || _process->state() != QProcess::Running)
            return false;
        _process->waitForReadyRead(int(std::min<qint64>(left, 200)));
    }
}

const QStringList& Child::kill()
{
    if (_process->state() != QProcess::NotRunning) {
        ::kill(pid_t(_process->processId()), SIGKILL);
        _process->waitForFinished(10000);
    }
    readAvailable();
    return _lines;
}

bool Child::waitForExit(std::chrono::milliseconds timeout)
{
    const bool finished = _process->state() == QProcess::NotRunning ||
                          _process->waitForFinished(int(timeout.count()));
    readAvailable();
    return finished;
}

Notifications::Notifications(std::initializer_list<const char*> wanted)
{
    for (const char* name : wanted) {
        NotificationCenter::defaultCenter().addObserver(
            &_observer, QString::fromLatin1(name), [this, name](const QVariantMap& info) {
                names << QString::fromLatin1(name);
                said << names.last() + u':' + info.value(u"message"_s).toString();
                last = info;
            });
    }
}

bool Notifications::waitFor(const QString& name, int ms)
{
    return QTest::qWaitFor([&] { return names.contains(name); }, ms);
}

void Notifications::clear()
{
    names.clear();
    said.clear();
}

QString Notifications::after(const std::function<void()>& call, int ms)
{
    clear();
    call();
    return QTest::qWaitFor([&] { return !names.isEmpty(); }, ms) ? said.join(u'|') : u"<nothing>"_s;
}

namespace {
QStringList g_logged;
QtMessageHandler g_previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    g_logged << QString::fromLatin1(context.category ? context.category : "default") + u": "_s +
                    message;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    g_logged.clear();
    g_previousHandler = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previousHandler);
    g_previousHandler = nullptr;
}

QString LogCapture::text() const
{
    return g_logged.join(u'\n');
}

Peek::Peek(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(_db);
        _db = nullptr;
    } else {
        sqlite3_busy_timeout(_db, 5000);
    }
}

Peek::~Peek()
{
    sqlite3_close_v2(_db);
}

QString Peek::error() const
{
    return _db ? QString::fromUtf8(sqlite3_errmsg(_db)) : u"not open"_s;
}

QStringList Peek::rows(const QString& sql, const QVariantList& values)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(_db, text.constData(), int(text.size()), &statement, nullptr))
        return {u"error: "_s + error()};
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray value = values.at(i).toString().toUtf8();
        sqlite3_bind_text(statement, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    }
    QStringList out;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QStringList columns;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            columns << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
        out << columns.join(u'|');
    }
    if (rc != SQLITE_DONE)
        out << u"error: "_s + error();
    sqlite3_finalize(statement);
    return out;
}

QString Peek::value(const QString& sql, const QVariantList& values)
{
    return rows(sql, values).value(0);
}

QString Peek::integrity()
{
    return rows(u"PRAGMA integrity_check"_s).join(u'\n');
}

} // namespace Faults
