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
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "workflow/StoreNotice.h"
#include "workflow/ViewController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {

DataManager* store()
{
    return DataManager::sharedManager();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets the immutable attribute for the guard's lifetime.
class Immutable
{
public:
    explicit Immutable(const QString& path) : _path(path)
    {
        QProcess chattr;
        chattr.start(QStringLiteral("chattr"), {QStringLiteral("+i"), path});
        _set = chattr.waitForFinished(10000) && chattr.exitStatus() == QProcess::NormalExit && chattr.exitCode() == 0;
    }
    ~Immutable() { release(); }
    void release()
    {
        if (_set)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), _path});
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
    SalesOrder draft = order(QStringLiteral("ACME.3001"));
    EXPECT_FALSE(store()->saveOrder(draft, QString(), {line(QStringLiteral("ACME.3001"), QStringLiteral("A100"), 4)}));
    EXPECT_EQ(StoreNotice::saveFailureMessage(), Strings::localized("STORE_SAVE_FAILED_STORAGE"));

    FakeDialogs dialogs;
    ViewController root;
    root.setDialogs(&dialogs);
    root.viewDidLoad();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, QStringLiteral("alert"));
    EXPECT_TRUE(dialogs.requests[0].message == Strings::localized("STORE_DATABASE_UNAVAILABLE") ||
                dialogs.requests[0].message == Strings::localized("STORE_DATABASE_READONLY"))
        << qPrintable(dialogs.requests[0].message);

    EXPECT_EQ(store()->localLoginWithUsername(QStringLiteral("6162"), QStringLiteral("6364")).value(QStringLiteral("status")).toString(),
              QStringLiteral("-30"));
    DownloadManager::releaseManager();
    DownloadManager* queue = DownloadManager::sharedManager();
    auto transport = std::make_shared<FakeTransport>();
    queue->setTransport(transport);
    queue->addDownload(QStringLiteral("http://127.0.0.1:9/__files__/material/A100.jpg"), QStringLiteral("/material/A100.jpg"));
    EXPECT_EQ(queue->entries().size(), 1);
    EXPECT_EQ(queue->saveDownloadQueue(), documentsWritable);
    DownloadManager::releaseManager();

    // Settings: written and read back within the run, whatever the disk says.
    UserDefaults::standard().setObject(QStringLiteral("http://192.0.2.9/api/"), QStringLiteral("host"));
    UserDefaults::standard().synchronize();
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("host")), QStringLiteral("http://192.0.2.9/api/"));
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
        QFile::remove(sandbox.root() + QStringLiteral("/Documents"));
        QFile::remove(sandbox.root() + QStringLiteral("/Library"));
        Sandbox::setRoot(sandbox.root());
        UserDefaults::standard().synchronize();
    }
};

} // namespace

TEST_F(UnwritableSandbox, AFileWhereTheFoldersMustBe)
{
    sandbox.writeFile(QStringLiteral("Documents"), "not a folder");
    sandbox.writeFile(QStringLiteral("Library"), "not a folder either");
    EXPECT_FALSE(store()->isOpen());
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Unavailable);
    expectToldAndNothingStored(false);
    // What was there is still there.
    EXPECT_EQ(readFile(sandbox.root() + QStringLiteral("/Documents")), QByteArray("not a folder"));
}

TEST_F(UnwritableSandbox, ARootWhereNoFolderCanBeMade)
{
    Sandbox::setRoot(QStringLiteral("/proc/self/fieldbook-sandbox"));
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
        EXPECT_EQ(store()->getSalesOrderDetail(QStringLiteral("ACME.1001")).size(), 3);
        expectToldAndNothingStored(true);
        DataManager::releaseManager();
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);
    EXPECT_TRUE(store()->saveOrder(order(QStringLiteral("ACME.3001")), QString(), {line(QStringLiteral("ACME.3001"), QStringLiteral("A100"), 4)}));
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
        EXPECT_EQ(QDir(sandbox.documents()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files).size(), 0);
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(store()->databaseState(), DataManager::DatabaseState::Ready);
    EXPECT_EQ(countRows(QStringLiteral("salesOrder")), 7);
}
