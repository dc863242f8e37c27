#include "store/DataManager.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "support/RQFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <sqlite3.h>

namespace {
DataManager* g_instance = nullptr;
StoreDelegate* g_delegate = nullptr;
bool g_developmentSetting = false;

bool developmentSetting()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    return defaults.boolForKey(QStringLiteral("developmentSetting"));
}
} // namespace

DataManager* DataManager::sharedManager()
{
    if (!g_instance) {
        g_instance = new DataManager();
        g_instance->openDatabase();
        return g_instance;
    }
    const bool development = developmentSetting();
    if (development != g_developmentSetting)
        g_instance->reopenDatabase();
    g_developmentSetting = development;
    return g_instance;
}

void DataManager::releaseManager()
{
    delete g_instance;
    g_instance = nullptr;
    g_developmentSetting = false;
}

void DataManager::setDelegate(StoreDelegate* delegate)
{
    g_delegate = delegate;
}

StoreDelegate* DataManager::delegate()
{
    return g_delegate;
}

DataManager::~DataManager()
{
    closeDatabase();
}

QString DataManager::getDatabasePath() const
{
    return RQFile::makeFilePathInDocument(developmentSetting() ? QStringLiteral("data_dev.sqlite")
                                                               : QStringLiteral("data.sqlite"));
}

void DataManager::copyDatabaseIfNeeded() const
{
    const QString target = getDatabasePath();
    if (QFileInfo::exists(target))
        return;
    QFile seed(RQFile::makeFilePathInApplication(QStringLiteral("data.sqlite")));
    if (!seed.open(QIODevice::ReadOnly))
        return;
    // A copy cut short (power loss, kill) must not leave a truncated database
    // that every later start would take for a good one: write beside and rename.
    QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile copy(target);
    if (!copy.open(QIODevice::WriteOnly))
        return;
    copy.write(seed.readAll());
    copy.commit();
}

bool DataManager::openDatabase()
{
    if (_database)
        return true;
    copyDatabaseIfNeeded();
    const QString path = getDatabasePath();
    // Without the seed there is no schema; creating an empty file here would
    // leave a database that no later start could repair, so the open fails.
    if (!QFileInfo::exists(path))
        return false;
    sqlite3* db = nullptr;
    // The connection is used from the main thread only, so it needs no mutex of
    // its own; without one every column read of a long list is cheaper.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    // WAL with full synchronisation: a committed order is on disk when the
    // save returns, and a crash mid-write leaves the last committed state.
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    // The catalogue and the order list are read whole, again at every visit of
    // their screens; a page cache that holds them (16 MB, against SQLite's
    // 2 MB) saves re-reading their pages each time.
    sqlite3_exec(db, "PRAGMA cache_size=-16384", nullptr, nullptr, nullptr);
    _database = db;
    return true;
}

void DataManager::closeDatabase()
{
    if (_database) {
        sqlite3_close_v2(_database);
        _database = nullptr;
    }
}

void DataManager::reopenDatabase()
{
    closeDatabase();
    openDatabase();
}

Statement DataManager::executeQuery(const QString& sql)
{
    if (!_database)
        return Statement();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(_database, utf8.constData(), int(utf8.size()) + 1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return Statement();
    }
    return Statement(stmt);
}

Statement DataManager::executeQuery(const QString& sql, const QVariantList& values)
{
    Statement statement = executeQuery(sql);
    statement.bindAll(values);
    return statement;
}

int DataManager::changes() const
{
    return _database ? sqlite3_changes(_database) : 0;
}

bool DataManager::executeUpdate(const QString& sql, const QVariantList& values)
{
    Statement statement = executeQuery(sql);
    statement.bindAll(values);
    return statement.step() == Statement::Done;
}

bool DataManager::beginTransaction()
{
    return _database && sqlite3_exec(_database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool DataManager::commitTransaction()
{
    if (!_database)
        return false;
    if (sqlite3_exec(_database, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    rollbackTransaction();
    return false;
}

void DataManager::rollbackTransaction()
{
    if (_database && !sqlite3_get_autocommit(_database))
        sqlite3_exec(_database, "ROLLBACK", nullptr, nullptr, nullptr);
}

QString DataManager::getNow()
{
    return Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void DataManager::cleanDatabase()
{
    // Stored times are local; compare with SQLite's "now" in local time too.
    executeUpdate(QStringLiteral(
        "DELETE FROM `salesOrderDetails` WHERE `creationDate`<datetime('now','localtime','-30 day')"));
    executeUpdate(
        QStringLiteral("DELETE FROM `salesOrder` WHERE `creationDate`<datetime('now','localtime','-30 day')"));
}

QString DataManager::lastError() const
{
    return _database ? QString::fromUtf8(sqlite3_errmsg(_database)) : QStringLiteral("no database");
}

Transaction::Transaction(DataManager* store) : _store(store), _active(store && store->beginTransaction()) {}

Transaction::~Transaction()
{
    if (_active)
        _store->rollbackTransaction();
}

bool Transaction::commit()
{
    if (!_active)
        return false;
    _active = false;
    return _store->commitTransaction();
}
