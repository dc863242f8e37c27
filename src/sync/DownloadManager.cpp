#include "sync/DownloadManager.h"

#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "support/RQFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcDownload, "fieldbook.download")

namespace {
DownloadManager* g_manager = nullptr;
constexpr int kMaxFailures = 10;
} // namespace

DownloadManager::DownloadManager() = default;

DownloadManager* DownloadManager::sharedManager()
{
    if (!g_manager) {
        g_manager = new DownloadManager();
        g_manager->loadDownloadQueue();
        // Pictures left over from the last run resume at once.
        g_manager->startDownload();
    }
    return g_manager;
}

void DownloadManager::releaseManager()
{
    if (g_manager)
        *g_manager->_alive = false;
    delete g_manager;
    g_manager = nullptr;
}

HttpTransport& DownloadManager::transport() const
{
    return _transport ? *_transport : HttpTransport::shared();
}

QString DownloadManager::getQueuePath()
{
    return RQFile::makeFilePathInDocument(QStringLiteral("download.dat"));
}

bool DownloadManager::loadDownloadQueue()
{
    _array.clear();
    QFile file(getQueuePath());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcDownload) << "Cannot read the download queue:" << file.errorString();
        return true;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        // Kept for a look at what went wrong; the next save writes a new file.
        const QString aside = RQFile::keepAside(file.fileName(), QStringLiteral("damaged"));
        qCWarning(lcDownload).noquote()
            << "The download queue file is damaged; starting with an empty queue."
            << (aside.isNull() ? QStringLiteral("It could not be moved aside.")
                               : QStringLiteral("The file was kept as ") + QFileInfo(aside).fileName());
        return true;
    }
    for (const QJsonValue& value : document.array()) {
        const QJsonObject entry = value.toObject();
        const DownloadData data{entry.value(QStringLiteral("serverPath")).toString(),
                                entry.value(QStringLiteral("filename")).toString()};
        if (data.sourcePath.isEmpty() || !isSafeTarget(data.targetPath) || _array.contains(data))
            continue;
        _array.append(data);
    }
    return true;
}

bool DownloadManager::saveDownloadQueue() const
{
    QJsonArray list;
    for (const DownloadData& data : _array)
        list.append(QJsonObject{{QStringLiteral("serverPath"), data.sourcePath},
                                {QStringLiteral("filename"), data.targetPath}});
    const QString path = getQueuePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcDownload) << "Cannot write the download queue:" << file.errorString();
        return false;
    }
    file.write(QJsonDocument(list).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        qCWarning(lcDownload) << "Cannot write the download queue:" << file.errorString();
        return false;
    }
    return true;
}

bool DownloadManager::isSafeTarget(const QString& target)
{
    if (target.isEmpty() || target.contains(QLatin1Char('\\')) || target.contains(QChar(0)))
        return false;
    const QStringList parts = target.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString& part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return false;
    }
    const QString caches = QDir::cleanPath(RQFile::getCachesDirectory());
    const QString resolved = QDir::cleanPath(RQFile::makeFilePathInCache(target));
    return resolved.startsWith(caches + QLatin1Char('/'));
}

void DownloadManager::addDownload(const QString& url, const QString& target)
{
    if (url.isEmpty() || target.isEmpty())
        return;
    if (!isSafeTarget(target)) {
        qCWarning(lcDownload) << "Refused a download target outside the caches directory:" << target;
        return;
    }
    const DownloadData data{url, target};
    if (_array.contains(data))
        return;
    _array.append(data);
    saveDownloadQueue();
    startDownload();
}

void DownloadManager::downloadFile(const QVariantList& files)
{
    for (const QVariant& file : files) {
        const QVariantMap record = file.toMap();
        addDownload(record.value(QStringLiteral("url")).toString(), record.value(QStringLiteral("filename")).toString());
    }
}

int DownloadManager::removeDownload(const QString& target)
{
    // The head of a running download stays: its answer removes the head.
    const qsizetype first = _downloading ? 1 : 0;
    int removed = 0;
    for (qsizetype i = _array.size() - 1; i >= first; --i) {
        if (_array.at(i).targetPath == target) {
            _array.removeAt(i);
            ++removed;
        }
    }
    if (removed > 0)
        saveDownloadQueue();
    return removed;
}

void DownloadManager::startDownload()
{
    if (_array.isEmpty() || _downloading)
        return;
    _downloading = true;
    const DownloadData head = _array.first();
    const QString destination = RQFile::makeFilePathInCache(head.targetPath);
    QDir().mkpath(QFileInfo(destination).absolutePath());
    std::weak_ptr<bool> alive = _alive;
    transport().download(
        head.sourcePath, destination,
        [this, alive](const QString&) {
            if (alive.lock())
                downloadSucceeded();
        },
        [this, alive](const HttpError& error) {
            if (alive.lock())
                downloadFailed(error);
        });
}

void DownloadManager::downloadSucceeded()
{
    _downloading = false;
    _errorTry = 0;
    if (_array.isEmpty())
        return;
    const DownloadData finished = _array.takeFirst();
    saveDownloadQueue();
    // The folder of "/material/X.jpg" is "material": only item pictures are
    // announced (the catalogue and purchase list redraw on it).
    const QStringList parts = finished.targetPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() >= 2 && parts.first() == QLatin1String("material"))
        NotificationCenter::defaultCenter().post(QStringLiteral("downloadComplete"),
                                                 {{QStringLiteral("type"), parts.first()}});
    startDownload();
}

void DownloadManager::downloadFailed(const HttpError& error)
{
    _downloading = false;
    ++_errorTry;
    if (_errorTry > kMaxFailures - 1) {
        qCInfo(lcDownload) << "Downloads rest after" << kMaxFailures << "failures; last:" << error.description();
        _errorTry = 0;
        return;
    }
    if (_array.size() >= 2) {
        _array.append(_array.takeFirst());
        saveDownloadQueue();
    }
    startDownload();
}
