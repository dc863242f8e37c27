#include "store/DataManager.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "support/RQFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPair>
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

namespace {
// Each connection is used by one thread only, so it needs no mutex of its
// own; without one every column read of a long list is cheaper. Null when the
// file cannot be opened for writing.
sqlite3* openForWriting(const QString& path, int busyMilliseconds)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, busyMilliseconds);
    return db;
}
} // namespace

std::unique_ptr<DataManager> DataManager::openConnection(const QString& path)
{
    // The main thread's writes (an order saved, a photo filed) are short:
    // this connection waits for them rather than failing an answer.
    sqlite3* db = openForWriting(path, 60000);
    if (!db)
        return nullptr;
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    std::unique_ptr<DataManager> connection(new DataManager());
    connection->_database = db;
    connection->_state = sqlite3_db_readonly(db, "main") == 1 ? DatabaseState::ReadOnly : DatabaseState::Ready;
    return connection;
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
    _replacedPath.clear();
    _state = DatabaseState::Unavailable;
    copyDatabaseIfNeeded();
    const QString path = getDatabasePath();
    // Without the seed there is no schema; creating an empty file here would
    // leave a database that no later start could repair, so the open fails.
    if (!QFileInfo::exists(path))
        return false;
    Health health = Health::Good;
    sqlite3* db = openChecked(path, &health);
    if (!db && health == Health::Damaged) {
        // The salesman's unsent orders may still be readable in the damaged
        // file by other means: it is kept, and only a copy of the seed takes
        // its place.
        if (!keepDamagedAside(path))
            return false;
        copyDatabaseIfNeeded();
        if (!QFileInfo::exists(path))
            return false;
        db = openChecked(path, &health);
        if (!db)
            return false;
        _state = DatabaseState::Replaced;
    } else if (!db) {
        return false;
    } else {
        _state = sqlite3_db_readonly(db, "main") == 1 ? DatabaseState::ReadOnly : DatabaseState::Ready;
    }
    // WAL with full synchronisation: a committed order is on disk when the
    // save returns, and a crash mid-write leaves the last committed state.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    // The catalogue and the order list are read whole, again at every visit of
    // their screens; a page cache that holds them (16 MB, against SQLite's
    // 2 MB) saves re-reading their pages each time.
    sqlite3_exec(db, "PRAGMA cache_size=-16384", nullptr, nullptr, nullptr);
    _database = db;
    return true;
}

sqlite3* DataManager::openChecked(const QString& path, Health* health)
{
    *health = Health::Unreadable;
    // A save made while the sync thread writes a big answer waits for its
    // commit (about a second for 100k records here, a few on a slow tablet)
    // rather than failing.
    sqlite3* db = openForWriting(path, 20000);
    if (!db)
        return nullptr;
    // Closing the last connection normally copies the WAL into the file and
    // deletes it; a file found damaged must be kept exactly as it is, so the
    // check's connection may not do that until the file is known to be good.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // The first read of the file. A header that is not a database's, or pages
    // that do not hold together, show here, before the salesman types an
    // order into a database that cannot keep it. Only SQLite's own verdict of
    // damage counts: a file that cannot be read for other reasons (locked,
    // no permission, I/O) is left alone.
    sqlite3_stmt* check = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &check, nullptr);
    QByteArray verdict;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(check);
        if (rc == SQLITE_ROW) {
            verdict = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(check);
    const int primary = rc & 0xff;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || (rc == SQLITE_OK && verdict != "ok"))
        *health = Health::Damaged;
    else if (rc == SQLITE_OK)
        *health = Health::Good;
    if (*health != Health::Good) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    return db;
}

bool DataManager::keepDamagedAside(const QString& path)
{
    // The WAL goes first and with the file: left behind, it would be replayed
    // into the fresh copy; kept beside the damaged file under the matching
    // name, SQLite reads it with that file.
    static const QStringList companions = {QStringLiteral("-wal"), QStringLiteral("-shm"),
                                           QStringLiteral("-journal")};
    const QString aside = RQFile::freeAsidePath(path, QStringLiteral("damaged"), companions);
    QList<QPair<QString, QString>> moved;
    auto undo = [&moved]() {
        for (const auto& m : moved)
            QFile::rename(m.second, m.first);
    };
    for (const QString& suffix : companions) {
        if (!QFileInfo::exists(path + suffix))
            continue;
        if (!QFile::rename(path + suffix, aside + suffix)) {
            undo();
            return false;
        }
        moved.append({path + suffix, aside + suffix});
    }
    if (!QFile::rename(path, aside)) {
        undo();
        return false;
    }
    _replacedPath = aside;
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
    return noteWrite(statement.step());
}

bool DataManager::noteWrite(int stepResult)
{
    if (stepResult == Statement::Done)
        return true;
    if (isStorageFailure(stepResult))
        _writeFailed = true;
    return false;
}

bool DataManager::isStorageFailure(int resultCode)
{
    switch (resultCode & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
    // The record or the statement, not the storage: a key already taken, a
    // value of the wrong type or size, a statement that did not compile.
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
    case SQLITE_MISUSE:
    case SQLITE_ERROR:
        return false;
    default:
        return true;
    }
}

bool DataManager::beginTransaction()
{
    _writeFailed = false;
    if (!_database)
        return false;
    const int rc = sqlite3_exec(_database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return true;
    _writeFailed = isStorageFailure(rc);
    return false;
}

bool DataManager::commitTransaction()
{
    if (!_database)
        return false;
    // After a statement failed for a full disk or an I/O error SQLite has
    // either undone that statement alone and kept the transaction going, or
    // rolled the whole transaction back (then later writes ran on their own,
    // which is why the writers stop at such a failure). Either way what is
    // left must not be committed as if it were whole.
    if (_writeFailed) {
        rollbackTransaction();
        return false;
    }
    // In WAL mode the pages reach the disk at the commit: a full disk often
    // shows only here.
    const int rc = sqlite3_exec(_database, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return true;
    _writeFailed = isStorageFailure(rc);
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
