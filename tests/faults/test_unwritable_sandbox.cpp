// A sandbox the application cannot write. Tests run as root in CI, where
// permission bits stop nothing, so the sandbox is made unwritable in ways
// that hold for root too: a plain file where a folder must be, a root below
// /proc (where nobody creates folders), and the immutable attribute
// (chattr +i, where the file system and the capabilities allow it; those
// cases are skipped elsewhere). Each time: no crash, a clear message at start
// and on saving, and nothing stored before is changed or lost.
#include "FaultSupport.h"
#include "platform/Sandbox.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/FakeTransport.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "workflow/StoreNotice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace StoreFixtures;

namespace {

using Faults::readFile;

DataManager* store()
{
    return DataManager::sharedManager();
}

// Sets the immutable attribute for the guard's lifetime.
class Immutable
{
public:
    explicit Immutable(const QString& path) : _path(path)
    {
        QProcess chattr;
        chattr.start(u"chattr"_s, {u"+i"_s, path});
        _set = chattr.waitForFinished(10000) && chattr.exitStatus() == QProcess::NormalExit && chattr.exitCode() == 0;
    }
    ~Immutable() { release(); }
    void release()
    {
        if (_set)
            QProcess::execute(u"chattr"_s, {u"-i"_s, _path});
        _set = false;
    }
    bool isSet() const { return _set; }

private:
    QString _path;
    bool _set = false;
};

// What must hold whatever made the sandbox unwritable: the save fails with
// the storage message, the root screen tells the salesman at start, and the
// rest of the application goes on without a crash.
void expectToldAndNothingStored(bool documentsWritable)
{
    SalesOrder draft = order(u"ACME.3001"_s);
    EXPECT_FALSE(store()->saveOrder(draft, QString(), {line(u"ACME.3001"_s, u"A100"_s, 4)}));
    EXPECT_EQ(StoreNotice::saveFailureMessage(), Strings::localized("STORE_SAVE_FAILED_STORAGE"));

    const QStringList asked = Faults::rootScreenAsks();
    EXPECT_TRUE(asked == QStringList{u"alert:"_s + Strings::localized("STORE_DATABASE_UNAVAILABLE")} ||
                asked == QStringList{u"alert:"_s + Strings::localized("STORE_DATABASE_READONLY")})
        << qPrintable(asked.join('\n'));

    EXPECT_EQ(store()->localLoginWithUsername(u"6162"_s, u"6364"_s).value(u"status"_s).toString(), u"-30"_s);
    DownloadManager::releaseManager();
    DownloadManager* queue = DownloadManager::sharedManager();
    auto transport = std::make_shared<FakeTransport>();
    queue->setTransport(transport);
    queue->addDownload(u"http://127.0.0.1:9/__files__/material/A100.jpg"_s, u"/material/A100.jpg"_s);
    EXPECT_EQ(queue->entries().size(), 1);
    EXPECT_EQ(queue->saveDownloadQueue(), documentsWritable);
    DownloadManager::releaseManager();

    // Settings: written and read back within the run, whatever the disk says.
    UserDefaults::standard().setObject(u"http://192.0.2.9/api/"_s, u"host"_s);
    UserDefaults::standard().synchronize();
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"host"_s), u"http://192.0.2.9/api/"_s);
}

struct UnwritableSandbox : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
    void SetUp() override { StoreNotice::reset(); }
    void TearDown() override
    {
        DataManager::releaseManager();
        // Settings that could not be written are still pending; written now
        // into the sandbox, they cannot follow the test anywhere else.
        QFile::remove(sandbox.root() + u"/Documents"_s);
        QFile::remove(sandbox.root() + u"/Library"_s);
        Sandbox::setRoot(sandbox.root());
        UserDefaults::standard().synchronize();
    }
};

} // namespace

TEST_F(UnwritableSandbox, AFileWhereTheFoldersMustBe)
{
    sandbox.writeFile(u"Documents"_s, "not a folder");
    sandbox.writeFile(u"Library"_s, "not a folder either");
    EXPECT_FALSE(store()->isOpen());
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Unavailable);
    expectToldAndNothingStored(false);
    // What was there is still there.
    EXPECT_EQ(readFile(sandbox.root() + u"/Documents"_s), QByteArray("not a folder"));
}

TEST_F(UnwritableSandbox, ARootWhereNoFolderCanBeMade)
{
    Sandbox::setRoot(u"/proc/self/fieldbook-sandbox"_s);
    DataManager::releaseManager();
    EXPECT_FALSE(store()->isOpen());
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Unavailable);
    expectToldAndNothingStored(false);
}

TEST_F(UnwritableSandbox, AnImmutableDatabaseKeepsItsOrdersReadable)
{
    ASSERT_TRUE(seedAll());
    const QString path = store()->getDatabasePath();
    DataManager::releaseManager();
    const QByteArray before = readFile(path);
    {
        Immutable lock(path);
        if (!lock.isSet())
            GTEST_SKIP() << "chattr +i is not available here";
        // Opened for reading: the salesman still sees his orders.
        EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::ReadOnly);
        EXPECT_EQ(store()->getSalesOrderDetail(u"ACME.1001"_s).size(), 3);
        expectToldAndNothingStored(true);
        DataManager::releaseManager();
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(u"salesOrder"_s), 7);
    EXPECT_TRUE(store()->saveOrder(order(u"ACME.3001"_s), QString(), {line(u"ACME.3001"_s, u"A100"_s, 4)}));
}

TEST_F(UnwritableSandbox, AnImmutableDocumentsFolderLeavesTheDatabaseAlone)
{
    ASSERT_TRUE(seedAll());
    const QString path = store()->getDatabasePath();
    DataManager::releaseManager();
    const QByteArray before = readFile(path);
    {
        Immutable lock(sandbox.documents());
        if (!lock.isSet())
            GTEST_SKIP() << "chattr +i is not available here";
        expectToldAndNothingStored(false);
        DataManager::releaseManager();
        // Not taken for damage: nothing renamed, nothing replaced.
        EXPECT_EQ(QDir(sandbox.documents()).entryList({u"*.damaged-*"_s}, QDir::Files).size(), 0);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(u"salesOrder"_s), 7);
}
