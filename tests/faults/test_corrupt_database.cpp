// A database damaged while the application was away is kept aside byte for
// byte and a fresh seed takes its place (the matrix in faults/README.md).
#include "FaultSupport.h"
#include "platform/Strings.h"
#include "workflow/StoreNotice.h"

using namespace StoreFixtures;
using Faults::readFile;

namespace {

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

struct CorruptDatabase : ::testing::Test
{
    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
    QString path;

    void SetUp() override
    {
        StoreNotice::reset();
        ASSERT_TRUE(seedAll());
        path = DataManager::sharedManager()->getDatabasePath();
        DataManager::releaseManager(); // a clean close: everything is in the file
    }
    void writeAt(qint64 offset, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(offset));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    // Overwrites bytes of the first page of the table (the whole page when
    // `size` is 0).
    void damagePage(const char* table, qint64 at, int size, quint32 seed)
    {
        Faults::Peek peek(path);
        const qint64 page = peek.value(u"SELECT rootpage FROM sqlite_master WHERE name = ?"_s,
                                       {QLatin1String(table)})
                                .toLongLong();
        const int pageSize = peek.value(u"PRAGMA page_size"_s).toInt();
        ASSERT_GT(page, 1);
        writeAt((page - 1) * pageSize + at, garbage(size ? size : pageSize, seed));
    }
};

} // namespace

TEST_F(CorruptDatabase, DamageIsKeptAsideAndAFreshSeedTakesItsPlace)
{
    // A healthy file is left as it is.
    const QByteArray seeded = readFile(path);
    EXPECT_EQ(DataManager::sharedManager()->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_TRUE(Faults::keptFiles(sandbox.documents(), u"*.damaged-*"_s).isEmpty() &&
                StoreNotice::pendingMessage().isNull());
    DataManager::releaseManager();
    EXPECT_EQ(readFile(path), seeded);

    // Every damage kept in the same second: none overwrites the one before.
    TestSandbox::setNow(u"2025-03-07 09:05:03"_s);
    const struct
    {
        const char* kind;
        std::function<void(CorruptDatabase&)> damage;
    } cases[] = {
        {"overwritten header", [](CorruptDatabase& t) { t.writeAt(0, garbage(100, 1)); }},
        {"overwritten table page", [](CorruptDatabase& t) { t.damagePage("salesOrder", 0, 0, 2); }},
        // A few bytes in the middle of the order lines' page: the kind of
        // damage that opens fine and breaks a later read.
        {"overwritten index bytes",
         [](CorruptDatabase& t) { t.damagePage("salesOrderDetails", 8, 24, 3); }},
        {"truncated file",
         [](CorruptDatabase& t) {
             ASSERT_TRUE(QFile(t.path).resize(QFileInfo(t.path).size() / 3));
         }},
        // A writer killed with orders still in its WAL: the WAL travels with it.
        {"a WAL left by a killed writer",
         [](CorruptDatabase& t) {
             Faults::Child child;
             ASSERT_TRUE(child.start({u"save-orders"_s, t.sandbox.root(), u"1"_s}));
             ASSERT_TRUE(child.waitForLine(u"saved"_s, 10s));
             child.kill();
             ASSERT_FALSE(readFile(t.path + u"-wal"_s).isEmpty());
             t.writeAt(0, garbage(100, 4));
         }},
    };
    QMap<QString, QByteArray> kept;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        // The stored time stamp stood for records the new database will not hold.
        Session::storeTimeStamp(u"00000000000042"_s);
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
        ASSERT_NO_FATAL_FAILURE(sandbox.writeFile(u"Documents/data.sqlite"_s, seeded));
        ASSERT_NO_FATAL_FAILURE(c.damage(*this));
        const QByteArray damaged = readFile(path);
        const QByteArray wal = readFile(path + u"-wal"_s);

        DataManager* store = DataManager::sharedManager();
        ASSERT_EQ(store->databaseState(), DataManager::DatabaseState::Replaced);
        // Kept beside it as it was (the bytes are compared after the last case).
        const QString aside = store->replacedDatabasePath();
        EXPECT_TRUE(QFileInfo(aside).dir() == QFileInfo(path).dir() && !kept.contains(aside))
            << qPrintable(aside);
        kept.insert(aside, damaged);
        EXPECT_EQ(readFile(aside + u"-wal"_s), wal);
        EXPECT_TRUE(Session::storedTimeStamp().isEmpty()) << "the next update asks for everything";
        // A fresh seed: every table, no rows (not even the old WAL's), writable.
        EXPECT_TRUE(
            store->saveOrder(order(u"NEW.1"_s), QString(), {line(u"NEW.1"_s, u"A100"_s, 2)}));
        EXPECT_EQ(countRows(u"material"_s) + countRows(u"salesOrder"_s), 1);
        EXPECT_EQ(Faults::Peek(path).integrity(), u"ok"_s);
        // The root screen tells the salesman once, naming the kept file, in
        // words from the strings table; one built later in the run does not.
        const QString told = Strings::localized("STORE_DATABASE_REPLACED");
        EXPECT_EQ(Faults::rootScreenAsks(),
                  QStringList{u"alert:"_s + told.arg(QFileInfo(aside).fileName())});
        EXPECT_TRUE(told.contains(u"%1"_s)) << qPrintable(told);
        EXPECT_TRUE(Faults::rootScreenAsks().isEmpty());
        DataManager::releaseManager();
    }
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        EXPECT_EQ(readFile(it.key()), it.value());
    // What the next answer brings counts again.
    Session::storeTimeStamp(u"00000000000050"_s);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000050"_s);
}

TEST_F(CorruptDatabase, AFileThatCannotBeOpenedIsNotTakenForDamage)
{
    // Something that is not a file where the database must be: opening fails,
    // which says nothing about the salesman's data. It stays where it is.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(DataManager::sharedManager()->databaseState(),
              DataManager::DatabaseState::Unavailable);
    EXPECT_TRUE(QFileInfo(path).isDir() &&
                Faults::keptFiles(sandbox.documents(), u"*.damaged-*"_s).isEmpty());
    EXPECT_EQ(StoreNotice::pendingMessage(), Strings::localized("STORE_DATABASE_UNAVAILABLE"));
}
