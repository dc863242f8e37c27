// A working database damaged while the application was away (bytes
// overwritten, the file cut short): the next start detects it, keeps the
// damaged file aside byte for byte with its WAL (never overwriting an earlier
// one), starts on a fresh copy of the seed, and the root screen tells the
// salesman once. A healthy file, and one that cannot be opened for other
// reasons, are left where they are.
#include "FaultSupport.h"
#include "platform/Strings.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/Session.h"
#include "workflow/StoreNotice.h"
#include "workflow/ViewController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace StoreFixtures;
using namespace std::chrono_literals;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
        return QDir(sandbox.documents()).entryList({QStringLiteral("data.sqlite.damaged-*")}, QDir::Files);
    }

    // Where the first page of the table starts in the file.
    qint64 rootPageOffset(const char* table)
    {
        Faults::Peek peek(path);
        const qint64 page =
            peek.value(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"), {QLatin1String(table)}).toLongLong();
        pageSize = peek.value(QStringLiteral("PRAGMA page_size")).toInt();
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
        EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 0);
        EXPECT_EQ(countRows(QStringLiteral("material")), 0);
        EXPECT_TRUE(store->saveOrder(order(QStringLiteral("NEW.1")), QString(), {line(QStringLiteral("NEW.1"), QStringLiteral("A100"), 2)}));
        Statement check = store->executeQuery(QStringLiteral("PRAGMA integrity_check"));
        ASSERT_EQ(check.step(), Statement::Row);
        EXPECT_EQ(check.columnText(0), QStringLiteral("ok"));
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
    ASSERT_TRUE(child.start({QStringLiteral("save-orders"), sandbox.root(), QStringLiteral("1")}));
    ASSERT_TRUE(child.waitForLine(QStringLiteral("saved"), 10s));
    child.kill();
    const QByteArray wal = readFile(path + QStringLiteral("-wal"));
    ASSERT_FALSE(wal.isEmpty());
    writeAt(path, 0, garbage(100, 4));
    const QByteArray damaged = readFile(path);

    expectReplaced(damaged);
    const QString kept = DataManager::sharedManager()->replacedDatabasePath();
    EXPECT_EQ(readFile(kept + QStringLiteral("-wal")), wal);
    // The new database did not take the old WAL in.
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 1);
}

TEST_F(CorruptDatabase, ASecondDamageNeverOverwritesTheFirstKeptFile)
{
    TestSandbox::setNow(QStringLiteral("2025-03-07 09:05:03")); // both in the same second
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
    Session::storeTimeStamp(QStringLiteral("00000000000042"));
    writeAt(path, 0, garbage(100, 8));
    ASSERT_EQ(DataManager::sharedManager()->databaseState(), DataManager::DatabaseState::Replaced);
    EXPECT_TRUE(Session::storedTimeStamp().isEmpty());
    // What the next answer brings counts again.
    Session::storeTimeStamp(QStringLiteral("00000000000050"));
    EXPECT_EQ(Session::storedTimeStamp(), QStringLiteral("00000000000050"));
}

TEST_F(CorruptDatabase, TheRootScreenTellsTheSalesmanAtStart)
{
    writeAt(path, 0, garbage(100, 7));
    FakeDialogs dialogs;
    ViewController root;
    root.setDialogs(&dialogs);
    root.viewDidLoad();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, QStringLiteral("alert"));
    EXPECT_TRUE(dialogs.requests[0].message.contains(QStringLiteral(".damaged-"))) << qPrintable(dialogs.requests[0].message);
    EXPECT_NE(dialogs.requests[0].message, QStringLiteral("STORE_DATABASE_REPLACED")) << "the text is in the strings table";

    // A root screen built again later in the run (a new day) does not repeat it.
    FakeDialogs again;
    ViewController second;
    second.setDialogs(&again);
    second.viewDidLoad();
    EXPECT_TRUE(again.requests.empty());
}

TEST_F(CorruptDatabase, AHealthyDatabaseIsLeftAsItIs)
{
    const QByteArray before = readFile(path);
    DataManager* store = DataManager::sharedManager();
    EXPECT_EQ(store->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);
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
