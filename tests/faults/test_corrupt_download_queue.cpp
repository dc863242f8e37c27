// A "download.dat" that is not what the queue wrote (cut short, garbage, the
// wrong JSON): the queue starts empty with a line in the log, the file is kept
// aside byte for byte instead of being overwritten by the next save, and
// nothing crashes. Entries that make sense in an otherwise sound file are
// kept, the others dropped.
#include "FaultSupport.h"
#include "support/FakeTransport.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Faults::readFile;

struct CorruptQueue : ::testing::Test {
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();

    void TearDown() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    void SetUp() override { HttpTransport::setShared(transport); }

    // A sound queue of three pictures, as the queue itself writes it.
    QByteArray soundQueue()
    {
        DownloadManager* queue = DownloadManager::sharedManager();
        for (const char* sku : {"A100", "B200", "C300"})
            queue->addDownload(u"http://127.0.0.1:9/__files__/material/%1.jpg"_s.arg(QLatin1String(sku)),
                               u"/material/%1.jpg"_s.arg(QLatin1String(sku)));
        DownloadManager::releaseManager();
        return readFile(DownloadManager::getQueuePath());
    }

    QStringList kept() const
    {
        return QDir(sandbox.documents()).entryList({u"download.dat.damaged-*"_s}, QDir::Files);
    }

    // Loads the bytes as the queue file at start.
    void expectDamaged(const QByteArray& bytes)
    {
        sandbox.writeFile(u"Documents/download.dat"_s, bytes);
        Faults::LogCapture log;
        DownloadManager* queue = DownloadManager::sharedManager();
        EXPECT_TRUE(queue->entries().isEmpty());
        EXPECT_TRUE(log.contains(u"download queue file is damaged"_s)) << qPrintable(log.messages().join('\n'));
        ASSERT_EQ(kept().size(), 1);
        const QString aside = QDir(sandbox.documents()).filePath(kept().first());
        EXPECT_EQ(readFile(aside), bytes);
        EXPECT_TRUE(log.contains(kept().first())) << "the log names the kept file";

        // The queue goes on: a new entry is saved in a new file, the kept one
        // stays as it was.
        queue->addDownload(u"http://127.0.0.1:9/__files__/material/D400.jpg"_s, u"/material/D400.jpg"_s);
        DownloadManager::releaseManager();
        EXPECT_EQ(readFile(aside), bytes);
        EXPECT_EQ(DownloadManager::sharedManager()->entries().size(), 1);
        EXPECT_EQ(kept().size(), 1);
    }
};

} // namespace

TEST_F(CorruptQueue, DamagedFilesAreKeptAsideAndTheQueueStartsEmpty)
{
    const QByteArray sound = soundQueue();
    ASSERT_GT(sound.size(), 40);
    QByteArray garbage;
    for (int i = 0; i < 512; ++i)
        garbage.append(char((i * 151 + 7) & 0xff));
    const struct {
        const char* kind;
        QByteArray bytes;
    } cases[] = {
        {"truncated", sound.left(sound.size() / 2)},
        {"garbage", garbage},
        {"empty", QByteArray()}, // the queue never writes one: an empty queue is "[]"
        {"JSON that is not a queue", R"({"serverPath": "http://x/a.jpg", "filename": "/material/a.jpg"})"},
        {"invalid UTF-8", "[{\"serverPath\": \"http://x/\xff\xfe.jpg\", \"filename\": \"/material/\xc3.jpg\"}]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        for (const QString& name : kept())
            QFile::remove(QDir(sandbox.documents()).filePath(name));
        expectDamaged(c.bytes);
        DownloadManager::releaseManager();
    }
}

TEST_F(CorruptQueue, FlippedBytesInASoundFile)
{
    // Every single flipped byte of a sound file: never a crash, never an
    // entry that points outside the caches folder, and a file that does not
    // read as a queue is kept aside.
    const QByteArray sound = soundQueue();
    for (qsizetype i = 0; i < sound.size(); ++i) {
        QByteArray bytes = sound;
        bytes[i] = char(bytes[i] ^ 0x5a);
        sandbox.writeFile(u"Documents/download.dat"_s, bytes);
        for (const QString& name : kept())
            QFile::remove(QDir(sandbox.documents()).filePath(name));
        QJsonParseError error;
        const bool readable = QJsonDocument::fromJson(bytes, &error).isArray() && error.error == QJsonParseError::NoError;
        DownloadManager* queue = DownloadManager::sharedManager();
        for (const DownloadData& entry : queue->entries())
            EXPECT_TRUE(DownloadManager::isSafeTarget(entry.targetPath)) << qPrintable(entry.targetPath);
        EXPECT_LE(queue->entries().size(), 3);
        if (readable) {
            EXPECT_TRUE(kept().isEmpty()) << "byte " << i;
        } else {
            EXPECT_TRUE(queue->entries().isEmpty()) << "byte " << i;
            EXPECT_EQ(kept().size(), 1) << "byte " << i;
            EXPECT_FALSE(QFileInfo::exists(DownloadManager::getQueuePath())) << "byte " << i;
        }
        DownloadManager::releaseManager();
    }
}

TEST_F(CorruptQueue, UsableEntriesOfASoundFileAreKept)
{
    sandbox.writeFile(u"Documents/download.dat"_s, R"([
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/B.jpg", "filename": "/../../etc/B.jpg"},
        {"serverPath": "", "filename": "/material/C.jpg"},
        "not an entry", 42, null,
        {"serverPath": "http://h/__files__/material/A.jpg", "filename": "/material/A.jpg"},
        {"serverPath": "http://h/__files__/material/D.jpg", "filename": "/material/D.jpg", "extra": [1]}
    ])");
    DownloadManager* queue = DownloadManager::sharedManager();
    ASSERT_EQ(queue->entries().size(), 2);
    EXPECT_EQ(queue->entries()[0].targetPath, u"/material/A.jpg"_s);
    EXPECT_EQ(queue->entries()[1].targetPath, u"/material/D.jpg"_s);
    EXPECT_TRUE(kept().isEmpty());
}
