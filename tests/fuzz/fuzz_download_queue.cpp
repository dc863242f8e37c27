// Any bytes as "download.dat" at start: no crash; the queue holds only
// entries with a URL and a target inside the caches folder, each once; a
// file that is not a queue is kept aside, byte for byte, and the queue starts
// empty; a queue that was read is written and read back the same.
#include "FuzzSupport.h"
#include "sync/DownloadManager.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    QDir().mkpath(QFileInfo(DownloadManager::getQueuePath()).absolutePath());
    return 0;
}

namespace {
QStringList asideFiles()
{
    const QFileInfo queue(DownloadManager::getQueuePath());
    return queue.dir().entryList({queue.fileName() + QStringLiteral(".damaged-*")}, QDir::Files);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = DownloadManager::getQueuePath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            FuzzSupport::fail("the queue file can be written", path);
        file.write(bytes);
    }
    QJsonParseError error;
    const bool isQueue = QJsonDocument::fromJson(bytes, &error).isArray() && error.error == QJsonParseError::NoError;

    DownloadManager::releaseManager();
    DownloadManager* queue = DownloadManager::sharedManager();
    const QVector<DownloadData> entries = queue->entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(!entries.at(i).sourcePath.isEmpty(), QString());
        FUZZ_CHECK(DownloadManager::isSafeTarget(entries.at(i).targetPath), entries.at(i).targetPath);
        for (qsizetype j = 0; j < i; ++j)
            FUZZ_CHECK(!(entries.at(i) == entries.at(j)), entries.at(i).targetPath);
    }

    const QStringList aside = asideFiles();
    if (isQueue) {
        FUZZ_CHECK(aside.isEmpty(), QStringLiteral("a readable queue was moved aside"));
        if (!entries.isEmpty()) {
            FUZZ_CHECK(queue->saveDownloadQueue(), path);
            DownloadManager::releaseManager();
            FUZZ_CHECK(DownloadManager::sharedManager()->entries() == entries, QStringLiteral("the queue changed on a round trip"));
        }
    } else {
        FUZZ_CHECK(entries.isEmpty(), QStringLiteral("entries from a damaged file"));
        FUZZ_CHECK(!QFile::exists(path), QStringLiteral("the damaged file was left in place"));
        FUZZ_CHECK(aside.size() == 1, aside.join(QLatin1Char(',')));
        QFile kept(QFileInfo(path).dir().filePath(aside.first()));
        FUZZ_CHECK(kept.open(QIODevice::ReadOnly) && kept.readAll() == bytes, QStringLiteral("the kept file differs"));
    }
    for (const QString& name : aside)
        QFile::remove(QFileInfo(path).dir().filePath(name));
    DownloadManager::releaseManager();
    return 0;
}
