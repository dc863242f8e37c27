// Any bytes as "download.dat" at start (what must hold: the fuzzing table of
// faults/README.md).
#include "FuzzSupport.h"
#include "sync/DownloadManager.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    QDir().mkpath(QFileInfo(DownloadManager::getQueuePath()).absolutePath());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = DownloadManager::getQueuePath();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), path);
    }
    const bool isQueue = QJsonDocument::fromJson(bytes).isArray();

    DownloadManager::releaseManager();
    DownloadManager* queue = DownloadManager::sharedManager();
    const QVector<DownloadData> entries = queue->entries();
    for (qsizetype i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(!entries.at(i).sourcePath.isEmpty() &&
                       DownloadManager::isSafeTarget(entries.at(i).targetPath) &&
                       entries.indexOf(entries.at(i)) == i,
                   entries.at(i).targetPath);

    const QDir folder = QFileInfo(path).dir();
    const QStringList aside =
        folder.entryList({QFileInfo(path).fileName() + u".damaged-*"_s}, QDir::Files);
    if (isQueue) {
        FUZZ_CHECK(aside.isEmpty(), u"a readable queue was moved aside"_s);
        if (!entries.isEmpty()) {
            FUZZ_CHECK(queue->saveDownloadQueue(), path);
            DownloadManager::releaseManager();
            FUZZ_CHECK(DownloadManager::sharedManager()->entries() == entries,
                       u"the queue changed on a round trip"_s);
        }
    } else {
        QFile kept(folder.filePath(aside.value(0)));
        FUZZ_CHECK(entries.isEmpty() && !QFile::exists(path) && aside.size() == 1 &&
                       kept.open(QIODevice::ReadOnly) && kept.readAll() == bytes,
                   u"a damaged file was read, left in place or not kept whole: "_s +
                       aside.join(u','));
    }
    for (const QString& name : aside)
        QFile::remove(folder.filePath(name));
    DownloadManager::releaseManager();
    return 0;
}
