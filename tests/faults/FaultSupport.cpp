#include "FaultSupport.h"
#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/Statement.h"
#include "support/FakeDialogs.h"
#include "support/ListTexts.h"
#include "workflow/ViewController.h"

#include <QCoreApplication>
#include <QDateTime>
#include <sqlite3.h>

namespace Faults {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList rootScreenAsks()
{
    FakeDialogs dialogs;
    ViewController root;
    root.setDialogs(&dialogs);
    root.viewDidLoad();
    return texts(dialogs.requests,
                 [](const FakeDialogs::Request& r) { return r.kind + u':' + r.message; });
}

void pointAt(const QString& baseUrl)
{
    UserDefaults::standard().setObject(baseUrl, u"host"_s);
    UserDefaults::standard().synchronize();
}

void releaseNetwork()
{
    UploadManager::releaseManager();
    DownloadManager::releaseManager();
    HttpTransport::setShared(nullptr);
    Session::setAuthToken(QString());
}

namespace {
const quint32 g_seed = [] {
    bool ok = false;
    const quint32 given = qEnvironmentVariable("FIELDBOOK_FAULT_SEED").toUInt(&ok);
    return ok ? given : quint32(QDateTime::currentMSecsSinceEpoch());
}();
} // namespace

QRandomGenerator& random()
{
    static QRandomGenerator generator(g_seed);
    return generator;
}

QString seedNote()
{
    return u"(FIELDBOOK_FAULT_SEED=%1)"_s.arg(g_seed);
}

Child::~Child()
{
    if (_process)
        kill();
}

bool Child::start(const QStringList& arguments, std::chrono::milliseconds timeout)
{
    _process = std::make_unique<QProcess>();
    _process->start(QCoreApplication::applicationDirPath() + u"/fault_child"_s, arguments);
    if (_process->waitForStarted(int(timeout.count())) && waitForLine(u"ready"_s, timeout))
        return true;
    ADD_FAILURE() << "fault_child " << arguments.join(u' ').toStdString() << ":\n"
                  << output().toStdString();
    return false;
}

void Child::readAvailable()
{
    _errors += _process->readAllStandardError();
    while (_process->canReadLine())
        _lines << QString::fromUtf8(_process->readLine()).chopped(1);
}

QString Child::output() const
{
    return _lines.join(u'\n') + u'\n' + QString::fromLocal8Bit(_errors);
}

bool Child::waitForLine(const QString& prefix, std::chrono::milliseconds timeout)
{
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + timeout.count();
    for (qsizetype seen = 0;;) {
        readAvailable();
        for (; seen < _lines.size(); ++seen)
            if (_lines.at(seen).startsWith(prefix))
                return true;
        const qint64 left = deadline - QDateTime::currentMSecsSinceEpoch();
        if (left <= 0 || _process->state() != QProcess::Running)
            return false;
        _process->waitForReadyRead(int(std::min<qint64>(left, 200)));
    }
}

const QStringList& Child::kill()
{
    _process->kill(); // SIGKILL
    _process->waitForFinished(10000);
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
    for (const char* name : wanted)
        NotificationCenter::defaultCenter().addObserver(
            &_observer, QString::fromLatin1(name), [this, name](const QVariantMap& info) {
                names << QString::fromLatin1(name);
                said << names.last() + u':' + info.value(u"message"_s).toString();
                last = info;
            });
}

QString Notifications::after(const std::function<void()>& call, int ms)
{
    names.clear();
    said.clear();
    call();
    return QTest::qWaitFor([&] { return !names.isEmpty(); }, ms) ? said.join(u'|') : u"<nothing>"_s;
}

Peek::Peek(const QString& path)
{
    // A file that does not open leaves the handle to say why.
    sqlite3_open_v2(QFile::encodeName(path).constData(), &_db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(_db, 5000);
}

Peek::~Peek()
{
    sqlite3_close_v2(_db);
}

QString Peek::error() const
{
    return QString::fromUtf8(sqlite3_errmsg(_db));
}

QStringList Peek::rows(const QString& sql, const QVariantList& values)
{
    sqlite3_stmt* handle = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(_db, text.constData(), int(text.size()), &handle, nullptr))
        return {u"error: "_s + error()};
    Statement statement(handle);
    statement.bindAll(values);
    QStringList out;
    int rc;
    while ((rc = statement.step()) == Statement::Row) {
        QStringList columns;
        for (int c = 0; c < statement.columnCount(); ++c)
            columns << statement.columnText(c);
        out << columns.join(u'|');
    }
    if (rc != Statement::Done)
        out << u"error: "_s + error();
    return out;
}

} // namespace Faults
