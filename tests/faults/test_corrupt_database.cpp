// A working database damaged while the application was away (bytes
// overwritten, the file cut short): the next start detects it, keeps the
// damaged file aside byte for byte with its WAL (never overwriting an earlier
// one), starts on a fresh copy of the seed, and the root screen tells the
// salesman once. A healthy file, and one that cannot be opened for other
// reasons, are left where they are.
#include "FaultSupport.h"
#include "platform/Strings.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/Session.h"
#include "workflow/StoreNotice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace StoreFixtures;
using namespace std::chrono_literals;

namespace {

using Faults::readFile;

void writeAt(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

struct CorruptDatabase : ::testing::Test {
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

    QStringList keptFiles() const
    {
        return QDir(sandbox.documents()).entryList({u"data.sqlite.damaged-*"_s}, QDir::Files);
    }

    // Where the first page of the table starts in the file.
    qint64 rootPageOffset(const char* table)
    {
        Faults::Peek peek(path);
        const qint64 page =
            peek.value(u"SELECT rootpage FROM sqlite_master WHERE name = ?"_s, {QLatin1String(table)}).toLongLong();
        pageSize = peek.value(u"PRAGMA page_size"_s).toInt();
        return page > 1 ? (page - 1) * pageSize : -1;
    }
    int pageSize = 0;

    // Opens the store as a start does, and checks it was replaced by a fresh
    // seed while the damaged bytes were kept.
    void expectReplaced(const QByteArray& damaged)
    {
        DataManager* store = DataManager::sharedManager();
        ASSERT_TRUE(store->isOpen());
        EXPECT_EQ(store->databaseState(), DataManager::DatabaseState::Replaced);
        const QString kept = store->replacedDatabasePath();
        ASSERT_FALSE(kept.isEmpty());
        EXPECT_EQ(QFileInfo(kept).absolutePath(), QFileInfo(path).absolutePath());
        EXPECT_EQ(readFile(kept), damaged) << "the damaged file must be kept as it was";
        // A fresh seed: every table, no rows, and writable.
        EXPECT_EQ(countRows(u"salesOrder"_s), 0);
        EXPECT_EQ(countRows(u"material"_s), 0);
        EXPECT_TRUE(store->saveOrder(order(u"NEW.1"_s), QString(), {line(u"NEW.1"_s, u"A100"_s, 2)}));
        Statement check = store->executeQuery(u"PRAGMA integrity_check"_s);
        ASSERT_EQ(check.step(), Statement::Row);
        EXPECT_EQ(check.columnText(0), u"ok"_s);
        // Told once, with the name of the kept file.
        const QString message = StoreNotice::pendingMessage();
        EXPECT_TRUE(message.contains(QFileInfo(kept).fileName())) << qPrintable(message);
        EXPECT_TRUE(StoreNotice::pendingMessage().isNull());
    }
};

} // namespace

TEST_F(CorruptDatabase, OverwrittenHeaderIsReplacedAndKept)
{
    writeAt(path, 0, garbage(100, 1));
    expectReplaced(readFile(path));
}

TEST_F(CorruptDatabase, OverwrittenTablePageIsReplacedAndKept)
{
    const qint64 offset = rootPageOffset("salesOrder");
    ASSERT_GT(offset, 0);
    writeAt(path, offset, garbage(pageSize, 2));
    expectReplaced(readFile(path));
}

TEST_F(CorruptDatabase, OverwrittenIndexBytesAreReplacedAndKept)
{
    // A few bytes in the middle of the order lines' page: the kind of damage
    // that opens fine and breaks a later read.
    const qint64 offset = rootPageOffset("salesOrderDetails");
    ASSERT_GT(offset, 0);
    writeAt(path, offset + 8, garbage(24, 3));
    expectReplaced(readFile(path));
}

TEST_F(CorruptDatabase, TruncatedFileIsReplacedAndKept)
{
    const QByteArray whole = readFile(path);
    {
        QFile file(path);
        ASSERT_TRUE(file.resize(whole.size() / 3));
    }
    expectReplaced(readFile(path));
}

TEST_F(CorruptDatabase, TheWalOfADamagedFileTravelsWithIt)
{
    // A writer killed with orders still in its WAL.
    Faults::Child child;
    ASSERT_TRUE(child.start({u"save-orders"_s, sandbox.root(), u"1"_s}));
    ASSERT_TRUE(child.waitForLine(u"saved"_s, 10s));
    child.kill();
    const QByteArray wal = readFile(path + u"-wal"_s);
    ASSERT_FALSE(wal.isEmpty());
    writeAt(path, 0, garbage(100, 4));
    const QByteArray damaged = readFile(path);

    expectReplaced(damaged);
    const QString kept = DataManager::sharedManager()->replacedDatabasePath();
    EXPECT_EQ(readFile(kept + u"-wal"_s), wal);
    // The new database did not take the old WAL in.
    EXPECT_EQ(countRows(u"salesOrder"_s), 1);
}

TEST_F(CorruptDatabase, ASecondDamageNeverOverwritesTheFirstKeptFile)
{
    TestSandbox::setNow(u"2025-03-07 09:05:03"_s); // both in the same second
    writeAt(path, 0, garbage(100, 5));
    const QByteArray first = readFile(path);
    expectReplaced(first);
    const QString firstKept = DataManager::sharedManager()->replacedDatabasePath();
    DataManager::releaseManager();

    writeAt(path, 0, garbage(100, 6));
    const QByteArray second = readFile(path);
    ASSERT_NE(first, second);
    expectReplaced(second);
    EXPECT_NE(DataManager::sharedManager()->replacedDatabasePath(), firstKept);
    EXPECT_EQ(readFile(firstKept), first);
    EXPECT_EQ(keptFiles().size(), 2);
}

TEST_F(CorruptDatabase, TheNextSynchronisationAsksForEverything)
{
    // The stored time stamp stood for records the new database does not hold.
    Session::storeTimeStamp(u"00000000000042"_s);
    writeAt(path, 0, garbage(100, 8));
    ASSERT_EQ(DataManager::sharedManager()->databaseState(), DataManager::DatabaseState::Replaced);
    EXPECT_TRUE(Session::storedTimeStamp().isEmpty());
    // What the next answer brings counts again.
    Session::storeTimeStamp(u"00000000000050"_s);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000050"_s);
}

TEST_F(CorruptDatabase, TheRootScreenTellsTheSalesmanAtStart)
{
    writeAt(path, 0, garbage(100, 7));
    const QStringList asked = Faults::rootScreenAsks();
    ASSERT_EQ(asked.size(), 1) << qPrintable(asked.join('\n'));
    EXPECT_TRUE(asked[0].startsWith(u"alert:"_s) && asked[0].contains(u".damaged-"_s)) << qPrintable(asked[0]);
    EXPECT_FALSE(asked[0].contains(u"STORE_DATABASE_REPLACED"_s)) << "the text is in the strings table";
    // A root screen built again later in the run (a new day) does not repeat it.
    EXPECT_TRUE(Faults::rootScreenAsks().isEmpty());
}

TEST_F(CorruptDatabase, AHealthyDatabaseIsLeftAsItIs)
{
    const QByteArray before = readFile(path);
    DataManager* store = DataManager::sharedManager();
    EXPECT_EQ(store->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(u"salesOrder"_s), 7);
    EXPECT_TRUE(keptFiles().isEmpty());
    EXPECT_TRUE(StoreNotice::pendingMessage().isNull());
    DataManager::releaseManager();
    EXPECT_EQ(readFile(path), before);
}

TEST_F(CorruptDatabase, AFileThatCannotBeOpenedIsNotTakenForDamage)
{
    // Something that is not a file where the database must be: opening fails,
    // which says nothing about the salesman's data. It stays where it is.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    DataManager* store = DataManager::sharedManager();
    EXPECT_FALSE(store->isOpen());
    EXPECT_EQ(store->databaseState(), DataManager::DatabaseState::Unavailable);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(keptFiles().isEmpty());
    EXPECT_EQ(StoreNotice::pendingMessage(), Strings::localized("STORE_DATABASE_UNAVAILABLE"));
}
