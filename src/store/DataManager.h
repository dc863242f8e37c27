#pragma once

#include "store/Statement.h"

#include <QString>

struct sqlite3;

// The single gateway to the local SQLite database. One process-wide instance,
// one connection, used from the main thread only. The working file is
// "data.sqlite" (production) or "data_dev.sqlite" (development setting on) in
// the documents directory, seeded from the application bundle on first use.
// The store never shows or logs anything: failures come back as empty
// results, absent records and false.
class DataManager
{
public:
    // Callers ask for the instance at every use: that is where a change of the
    // development setting moves the connection to the other database file.
    static DataManager* sharedManager();
    static void releaseManager();

    bool openDatabase();
    void closeDatabase();
    void reopenDatabase();
    bool isOpen() const { return _database != nullptr; }
    QString getDatabasePath() const;
    void copyDatabaseIfNeeded() const;

    // Compiles one statement; invalid when the text does not compile or no
    // connection is held. Bind values to it, step it, and let it go.
    Statement executeQuery(const QString& sql);
    // Compiles, binds and steps a statement that returns no rows; true when it
    // ran to completion.
    bool executeUpdate(const QString& sql, const QVariantList& values = {});

    // Writes that belong together share one transaction. begin answers false
    // when a transaction could not be started (then nothing is open).
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();

    // The current local time as "yyyy-MM-dd HH:mm:ss".
    static QString getNow();

    // Removes orders and order lines created more than 30 days ago.
    void cleanDatabase();

    // SQLite's last error text on the connection (for tests and diagnostics).
    QString lastError() const;
    sqlite3* handle() const { return _database; }

private:
    DataManager() = default;
    ~DataManager();
    DataManager(const DataManager&) = delete;
    DataManager& operator=(const DataManager&) = delete;

    sqlite3* _database = nullptr;
};

// Runs a group of writes as one transaction: rolled back unless commit() is
// called and succeeds.
class Transaction
{
public:
    explicit Transaction(DataManager* store);
    ~Transaction();
    bool isActive() const { return _active; }
    bool commit();

private:
    DataManager* _store;
    bool _active;
};
