// A "download.dat" that is not what the queue wrote is kept aside and the
// queue starts empty; a sound file keeps its usable entries (faults/README.md).
#include "FaultSupport.h"
#include "support/FakeTransport.h"
#include "support/ListTexts.h"

#include <QJsonDocument>

using Faults::readFile;

namespace {

QStringList g_logged; // what the queue logs while a test listens

struct CorruptQueue : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();

    void SetUp() override { HttpTransport::setShared(transport); }
    void TearDown() override { Faults::releaseNetwork(); }

    // Puts the bytes in place of the queue file and opens the queue as a
    // start does; answers the files kept aside (none left from before).
    QStringList load(const QByteArray& bytes)
    {
        DownloadManager::releaseManager();
        for (const QString& name : kept())
            QFile::remove(QDir(sandbox.documents()).filePath(name));
        sandbox.writeFile(u"Documents/download.dat"_s, bytes);
        DownloadManager::sharedManager();
        return kept();
    }
    QStringList kept() const
    {
        return Faults::keptFiles(sandbox.documents(), u"download.dat.damaged-*"_s);
    }
    static void add(const QString& sku)
    {
        DownloadManager::sharedManager()->addDownload(
            u"http://127.0.0.1:9/__files__/material/%1.jpg"_s.arg(sku),
            u"/material/%1.jpg"_s.arg(sku));
    }
};

} // namespace

TEST_F(CorruptQueue, DamagedFilesAreKeptAsideAndASoundFileKeepsItsUsableEntries)
{
    // A sound queue of three pictures, as the queue itself writes it.
    for (const QString& sku : {u"A100"_s, u"B200"_s, u"C300"_s})
        add(sku);
    DownloadManager::releaseManager();
    const QByteArray sound = readFile(DownloadManager::getQueuePath());
    ASSERT_GT(sound.size(), 40);
    const struct
    {
        const char* kind;
        QByteArray bytes;
    } cases[] = {
        {"truncated", sound.left(sound.size() / 2)},
        {"garbage", QByteArray(512, char(0x9c))},
        {"empty", QByteArray()}, // the queue never writes one: an empty queue is "[]"
        {"JSON that is not a queue",
         R"({"serverPath": "http://x/a.jpg", "filename": "/material/a.jpg"})"},
        {"invalid UTF-8",
         "[{\"serverPath\": \"http://x/\xff\xfe.jpg\", \"filename\": \"/material/\xc3.jpg\"}]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        g_logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& line) { g_logged << line; });
        const QStringList aside = load(c.bytes);
        qInstallMessageHandler(previous);
        ASSERT_EQ(aside.size(), 1);
        // The log says so and names the kept file.
        const QString log = g_logged.join(u'\n');
        EXPECT_TRUE(log.contains(u"download queue file is damaged"_s) &&
                    log.contains(aside.first()))
            << qPrintable(log);

        // The queue goes on, empty: a new entry is saved in a new file, the
        // kept one stays as it was.
        add(u"D400"_s);
        DownloadManager::releaseManager();
        EXPECT_EQ(readFile(QDir(sandbox.documents()).filePath(aside.first())), c.bytes);
        EXPECT_EQ(DownloadManager::sharedManager()->entries().size(), 1);
        EXPECT_EQ(kept(), aside);
    }

    // Every single flipped byte of the sound file: never a crash, never an
    // entry that points outside the caches folder, and a file that does not
    // read as a queue is kept aside.
    for (qsizetype i = 0; i < sound.size(); ++i) {
        SCOPED_TRACE(i);
        QByteArray bytes = sound;
        bytes[i] = char(bytes[i] ^ 0x5a);
        const QStringList aside = load(bytes);
        const QList<DownloadData> entries = DownloadManager::sharedManager()->entries();
        for (const DownloadData& entry : entries)
            EXPECT_TRUE(DownloadManager::isSafeTarget(entry.targetPath))
                << qPrintable(entry.targetPath);
        EXPECT_LE(entries.size(), 3);
        EXPECT_TRUE(QJsonDocument::fromJson(bytes).isArray()
                        ? aside.isEmpty()
                        : aside.size() == 1 && entries.isEmpty() &&
                              !QFile::exists(DownloadManager::getQueuePath()))
            << qPrintable(aside.join(u' '));
    }

    // A sound file keeps its usable entries, and is not kept aside.
    EXPECT_TRUE(load(R"([
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/B.jpg", "filename": "/../../etc/B.jpg"},
        {"serverPath": "", "filename": "/material/C.jpg"},
        "not an entry", 42, null,
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/D.jpg", "filename": "/material/D.jpg", "extra": [1]}
    ])")
                    .isEmpty());
    EXPECT_EQ(texts(DownloadManager::sharedManager()->entries(),
                    [](const DownloadData& entry) { return entry.targetPath; }),
              QStringList({u"/material/A.jpg"_s, u"/material/D.jpg"_s}));
}
