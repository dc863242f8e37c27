#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>
#include <memory>

class HttpTransport;
class HttpError;

// One file to fetch: its URL and where it goes, relative to the caches
// directory ("/material/A100.jpg").
struct DownloadData {
    QString sourcePath;
    QString targetPath;
    bool operator==(const DownloadData& other) const
    {
        return sourcePath == other.sourcePath && targetPath == other.targetPath;
    }
};

inline size_t qHash(const DownloadData& data, size_t seed = 0)
{
    return qHashMulti(seed, data.sourcePath, data.targetPath);
}

// The download queue: fetches files from the server into the caches directory,
// one at a time, and keeps its pending entries in "download.dat" so that they
// survive a restart. A failed entry is retried behind the others; after 10
// failures in a row the queue rests until an entry is added. A file the server
// does not have (404, 410) leaves the queue for good. Item pictures announce
// themselves with "downloadComplete" ("type": "material").
//
// The file is not rewritten for every change. The pictures of a server answer
// are saved at once, in one write: losing them would lose the only request for
// them. Single additions, completions and reorderings are saved together once
// they reach a quarter of the queue, when the queue goes idle or rests, and
// when the queue is released or the application quits; a crash before that
// only means a picture fetched twice or asked for again.
class DownloadManager : public QObject
{
    Q_OBJECT

public:
    static DownloadManager* sharedManager();
    static void releaseManager();

    // The full path of "download.dat" in the documents directory.
    static QString getQueuePath();
    // Reads the saved queue; a missing, truncated or unreadable file gives an
    // empty queue. A file that is not a queue (damaged) is renamed aside
    // ("download.dat.damaged-<time>") rather than overwritten by the next
    // save, and the log says so. Answers whether a queue is held (always,
    // afterwards).
    bool loadDownloadQueue();
    // Writes the whole queue atomically; false when it could not be written.
    bool saveDownloadQueue();

    // Queues a file unless either text is empty, the same URL and target are
    // already queued, the target would land outside the caches directory, or
    // the server answered this run that it has no such file. An idle queue
    // starts fetching.
    void addDownload(const QString& url, const QString& target);
    // Queues every {"url", "filename"} record of a server answer's file list
    // (duplicates once) and saves the queue before fetching starts.
    void downloadFile(const QVariantList& files);
    // Drops the queued downloads into this target, except one in flight, and
    // answers how many went. A picture photographed on the device must not be
    // replaced by the older one the server still serves.
    int removeDownload(const QString& target);
    // Fetches the head entry unless one is in flight or nothing is queued.
    void startDownload();

    const QVector<DownloadData>& entries() const { return _array; }
    bool isDownloading() const { return _downloading; }
    int errorTry() const { return _errorTry; }

    // What the queue has written to its file since it was created.
    struct SaveStats
    {
        int saves = 0;
        qint64 bytes = 0;
    };
    SaveStats saveStats() const { return _saveStats; }

    // The transport the queue fetches with (tests); null: the shared one.
    void setTransport(std::shared_ptr<HttpTransport> transport) { _transport = std::move(transport); }

    // True when the target is a relative path that stays inside the caches directory.
    static bool isSafeTarget(const QString& target);

private:
    DownloadManager();
    HttpTransport& transport() const;
    void downloadSucceeded();
    void downloadFailed(const HttpError& error);
    // Appends an entry that passed the checks unless it is queued already.
    bool enqueue(DownloadData data);
    DownloadData takeHead();
    // Counts a change not yet in the file and saves once enough have gathered.
    void changed();
    // Saves the changes not yet in the file, if any.
    void flush();

    QVector<DownloadData> _array;
    // The entries of _array, for finding duplicates without a scan.
    QSet<DownloadData> _queued;
    // Targets the server answered it does not have: asked for again only by a
    // server answer, not by the catalogue, until the next start.
    QSet<QString> _missing;
    // Changes since the last save, and the queue's size then.
    int _unsaved = 0;
    qsizetype _savedSize = 0;
    SaveStats _saveStats;
    bool _downloading = false;
    int _errorTry = 0;
    std::shared_ptr<HttpTransport> _transport;
    // Each answer belongs to the download it was for; answers of a queue that
    // was released are dropped.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
