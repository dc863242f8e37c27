#pragma once

#include <QObject>
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

// The download queue: fetches files from the server into the caches directory,
// one at a time, and keeps its pending entries in "download.dat" so that they
// survive a restart. A failed entry is retried behind the others; after 10
// failures in a row the queue rests until an entry is added. Item pictures
// announce themselves with "downloadComplete" ("type": "material").
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
    bool saveDownloadQueue() const;

    // Queues a file unless either text is empty, the same URL and target are
    // already queued, or the target would land outside the caches directory.
    // An idle queue starts fetching.
    void addDownload(const QString& url, const QString& target);
    // Queues every {"url", "filename"} record of a server answer's file list.
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

    // The transport the queue fetches with (tests); null: the shared one.
    void setTransport(std::shared_ptr<HttpTransport> transport) { _transport = std::move(transport); }

    // True when the target is a relative path that stays inside the caches directory.
    static bool isSafeTarget(const QString& target);

private:
    DownloadManager();
    HttpTransport& transport() const;
    void downloadSucceeded();
    void downloadFailed(const HttpError& error);

    QVector<DownloadData> _array;
    bool _downloading = false;
    int _errorTry = 0;
    std::shared_ptr<HttpTransport> _transport;
    // Each answer belongs to the download it was for; answers of a queue that
    // was released are dropped.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
