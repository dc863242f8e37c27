// A sandbox the application cannot write, in ways that hold for root too (see
// faults/README.md): told, no crash, nothing stored before lost.
#include "FaultSupport.h"
#include "platform/Sandbox.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "support/FakeTransport.h"
#include "workflow/StoreNotice.h"

using namespace StoreFixtures;
using Faults::readFile;

namespace {

DataManager* store()
{
    return DataManager::sharedManager();
}

// What must hold whatever made the sandbox unwritable: the save fails with
// the storage message, the root screen tells the salesman at start (that
// the orders can only be read, when the database opened read-only), and the
// rest of the application goes on without a crash.
void expectToldAndNothingStored(bool documentsWritable)
{
    EXPECT_EQ(store()->databaseState(), documentsWritable
                                            ? DataManager::DatabaseState::ReadOnly
                                            : DataManager::DatabaseState::Unavailable);
    EXPECT_FALSE(
        store()->saveOrder(order(u"ACME.3001"_s), QString(), {line(u"ACME.3001"_s, u"A100"_s, 4)}));
    EXPECT_EQ(StoreNotice::saveFailureMessage(), Strings::localized("STORE_SAVE_FAILED_STORAGE"));

    const char* told = documentsWritable ? "STORE_DATABASE_READONLY" : "STORE_DATABASE_UNAVAILABLE";
    EXPECT_EQ(Faults::rootScreenAsks(), QStringList{u"alert:"_s + Strings::localized(told)});

    EXPECT_EQ(store()->localLoginWithUsername(u"6162"_s, u"6364"_s).value(u"status"_s).toString(),
              u"-30"_s);
    DownloadManager* queue = DownloadManager::sharedManager();
    queue->setTransport(std::make_shared<FakeTransport>());
    queue->addDownload(u"http://127.0.0.1:9/__files__/material/A100.jpg"_s,
                       u"/material/A100.jpg"_s);
    EXPECT_EQ(queue->entries().size(), 1);
    EXPECT_EQ(queue->saveDownloadQueue(), documentsWritable);
    DownloadManager::releaseManager();

    // Settings: written and read back within the run, whatever the disk says.
    Faults::pointAt(u"http://192.0.2.9/api/"_s);
    EXPECT_EQ(UserDefaults::standard().stringForKey(u"host"_s), u"http://192.0.2.9/api/"_s);
}

struct UnwritableSandbox : ::testing::Test
{
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

TEST_F(UnwritableSandbox, NoFolderCanBeMade)
{
    {
        SCOPED_TRACE("a file where the folders must be");
        sandbox.writeFile(u"Documents"_s, "not a folder");
        sandbox.writeFile(u"Library"_s, "not a folder either");
        expectToldAndNothingStored(false);
        // What was there is still there.
        EXPECT_EQ(readFile(sandbox.root() + u"/Documents"_s), QByteArray("not a folder"));
    }
    SCOPED_TRACE("a root below /proc");
    Sandbox::setRoot(u"/proc/self/fieldbook-sandbox"_s);
    DataManager::releaseManager();
    StoreNotice::reset();
    expectToldAndNothingStored(false);
}

TEST_F(UnwritableSandbox, AnImmutableDatabaseOrDocumentsFolder)
{
    ASSERT_TRUE(seedAll());
    const QString path = store()->getDatabasePath();
    DataManager::releaseManager();
    const QByteArray before = readFile(path);
    for (const QString& target : {path, sandbox.documents()}) {
        SCOPED_TRACE(target.toStdString());
        if (QProcess::execute(u"chattr"_s, {u"+i"_s, target}) != 0)
            GTEST_SKIP() << "chattr +i is not available here";
        const bool documents = target != path;
        // Opened for reading: the salesman still sees his orders.
        EXPECT_EQ(store()->getSalesOrderDetail(u"ACME.1001"_s).size(), documents ? 0 : 3);
        // Without the folder the WAL cannot be made: the database does not
        // open, and it is not taken for damage (nothing renamed or replaced).
        expectToldAndNothingStored(!documents);
        DataManager::releaseManager();
        EXPECT_TRUE(Faults::keptFiles(sandbox.documents(), u"*.damaged-*"_s).isEmpty());
        QProcess::execute(u"chattr"_s, {u"-i"_s, target});

        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Ready);
        DataManager::releaseManager();
        StoreNotice::reset();
    }
}
