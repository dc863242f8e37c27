// A "download.dat" that is not what the queue wrote (cut short, garbage, the
// wrong JSON): the queue starts empty with a line in the log, the file is kept
// aside byte for byte instead of being overwritten by the next save, and
// nothing crashes. Entries that make sense in an otherwise sound file are
// kept, the others dropped.
#include "FaultSupport.h"
#include "support/FakeTransport.h"

#include <QJsonDocument>

using Faults::readFile;

namespace {

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

TEST_F(CorruptQueue, DamagedFilesAreKeptAsideAndTheQueueStartsEmpty)
{
    // A sound queue of three pictures, as the queue itself writes it.
    for (const QString& sku : {u"A100"_s, u"B200"_s, u"C300"_s})
        add(sku);
    DownloadManager::releaseManager();
    const QByteArray sound = readFile(DownloadManager::getQueuePath());
    ASSERT_GT(sound.size(), 40);
    QByteArray garbage;
    for (int i = 0; i < 512; ++i)
        garbage.append(char((i * 151 + 7) & 0xff));
    const struct
    {
        const char* kind;
        QByteArray bytes;
    } cases[] = {
        {"truncated", sound.left(sound.size() / 2)},
        {"garbage", garbage},
        {"empty", QByteArray()}, // the queue never writes one: an empty queue is "[]"
        {"JSON that is not a queue",
         R"({"serverPath": "http://x/a.jpg", "filename": "/material/a.jpg"})"},
        {"invalid UTF-8",
         "[{\"serverPath\": \"http://x/\xff\xfe.jpg\", \"filename\": \"/material/\xc3.jpg\"}]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        Faults::LogCapture log;
        const QStringList aside = load(c.bytes);
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(DownloadManager::sharedManager()->entries().isEmpty());
        // The log says so and names the kept file.
        EXPECT_TRUE(log.text().contains(u"download queue file is damaged"_s) &&
                    log.text().contains(aside.first()))
            << qPrintable(log.text());

        // The queue goes on: a new entry is saved in a new file, the kept one
        // stays as it was.
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
        QJsonParseError error;
        const bool readable = QJsonDocument::fromJson(bytes, &error).isArray() &&
                              error.error == QJsonParseError::NoError;
        const QList<DownloadData> entries = DownloadManager::sharedManager()->entries();
        for (const DownloadData& entry : entries)
            EXPECT_TRUE(DownloadManager::isSafeTarget(entry.targetPath))
                << qPrintable(entry.targetPath);
        EXPECT_LE(entries.size(), 3);
        if (!readable) {
            EXPECT_TRUE(entries.isEmpty() && !QFile::exists(DownloadManager::getQueuePath()));
        }
        EXPECT_EQ(aside.size(), readable ? 0 : 1);
    }
}

TEST_F(CorruptQueue, UsableEntriesOfASoundFileAreKept)
{
    const QStringList aside = load(R"([
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/B.jpg", "filename": "/../../etc/B.jpg"},
        {"serverPath": "", "filename": "/material/C.jpg"},
        "not an entry", 42, null,
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/D.jpg", "filename": "/material/D.jpg", "extra": [1]}
    ])");
    QStringList targets;
    for (const DownloadData& entry : DownloadManager::sharedManager()->entries())
        targets << entry.targetPath;
    EXPECT_EQ(targets, QStringList({u"/material/A.jpg"_s, u"/material/D.jpg"_s}));
    EXPECT_TRUE(aside.isEmpty());
}
