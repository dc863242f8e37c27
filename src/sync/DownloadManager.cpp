#include "sync/DownloadManager.h"

#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "support/RQFile.h"

#include <QCoreApplication>
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
// Changes gathered before the file is rewritten: a quarter of the queue as
// last saved, and never fewer than this, so that a drain writes the file a few
// times over in all rather than once per picture.
constexpr int kMinUnsaved = 32;

// The server has no such file: asking again will not help.
bool isMissingOnServer(const HttpError& error)
{
    return error.httpStatus() == 404 || error.httpStatus() == 410;
}

// A JSON string as QJsonDocument writes it in its compact form: UTF-8, with
// quotes, backslashes and control characters escaped, and a surrogate that is
// not part of a pair as \uXXXX so that it reads back the same.
void appendJsonString(QByteArray& out, const QString& text)
{
    static const char kHex[] = "0123456789abcdef";
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    // Written through a pointer into room for the longest form (six bytes a
    // unit), then cut to what was written: appending byte by byte costs more
    // than all the rest of a large queue's save.
    const qsizetype start = out.size();
    out.resize(start + 2 + 6 * size);
    char* to = out.data() + start;
    auto escaped = [&to](char16_t unit) {
        *to++ = '\\';
        *to++ = 'u';
        for (int shift = 12; shift >= 0; shift -= 4)
            *to++ = kHex[(unit >> shift) & 0xf];
    };
    auto pair = [&to](char letter) {
        *to++ = '\\';
        *to++ = letter;
    };
    *to++ = '"';
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            switch (unit) {
            case u'"':
                pair('"');
                break;
            case u'\\':
                pair('\\');
                break;
            case u'\b':
                pair('b');
                break;
            case u'\f':
                pair('f');
                break;
            case u'\n':
                pair('n');
                break;
            case u'\r':
                pair('r');
                break;
            case u'\t':
                pair('t');
                break;
            default:
                if (unit < 0x20)
                    escaped(unit);
                else
                    *to++ = char(unit);
            }
        } else if (unit < 0x800) {
            *to++ = char(0xc0 | (unit >> 6));
            *to++ = char(0x80 | (unit & 0x3f));
        } else if (QChar::isSurrogate(unit)) {
            if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
                const char32_t point = QChar::surrogateToUcs4(unit, units[++i]);
                *to++ = char(0xf0 | (point >> 18));
                *to++ = char(0x80 | ((point >> 12) & 0x3f));
                *to++ = char(0x80 | ((point >> 6) & 0x3f));
                *to++ = char(0x80 | (point & 0x3f));
            } else {
                escaped(unit);
            }
        } else {
            *to++ = char(0xe0 | (unit >> 12));
            *to++ = char(0x80 | ((unit >> 6) & 0x3f));
            *to++ = char(0x80 | (unit & 0x3f));
        }
    }
    *to++ = '"';
    out.truncate(to - out.constData());
}
} // namespace

DownloadManager::DownloadManager() = default;

DownloadManager* DownloadManager::sharedManager()
{
    if (!g_manager) {
        g_manager = new DownloadManager();
        g_manager->loadDownloadQueue();
        if (QCoreApplication* application = QCoreApplication::instance())
            QObject::connect(application, &QCoreApplication::aboutToQuit, g_manager, &DownloadManager::flush);
        // Pictures left over from the last run resume at once.
        g_manager->startDownload();
    }
    return g_manager;
}

void DownloadManager::releaseManager()
{
    if (g_manager) {
        *g_manager->_alive = false;
        g_manager->flush();
    }
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
    _queued.clear();
    _unsaved = 0;
    _savedSize = 0;
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
        if (!data.sourcePath.isEmpty() && isSafeTarget(data.targetPath))
            enqueue(data);
    }
    _savedSize = _array.size();
    return true;
}

bool DownloadManager::saveDownloadQueue()
{
    // The same JSON array as ever, one {"filename", "serverPath"} object per
    // entry, written straight into the buffer: building a JSON tree of a large
    // queue first costs more than the write.
    QByteArray bytes;
    bytes.reserve(2 + _array.size() * 128);
    bytes += '[';
    for (const DownloadData& data : _array) {
        if (bytes.size() > 1)
            bytes += ',';
        bytes += "{\"filename\":";
        appendJsonString(bytes, data.targetPath);
        bytes += ",\"serverPath\":";
        appendJsonString(bytes, data.sourcePath);
        bytes += '}';
    }
    bytes += ']';
    const QString path = getQueuePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcDownload) << "Cannot write the download queue:" << file.errorString();
        return false;
    }
    file.write(bytes);
    if (!file.commit()) {
        qCWarning(lcDownload) << "Cannot write the download queue:" << file.errorString();
        return false;
    }
    _unsaved = 0;
    _savedSize = _array.size();
    ++_saveStats.saves;
    _saveStats.bytes += bytes.size();
    return true;
}

void DownloadManager::changed()
{
    ++_unsaved;
    if (_unsaved >= std::max<qsizetype>(kMinUnsaved, _savedSize / 4))
        saveDownloadQueue();
}

void DownloadManager::flush()
{
    if (_unsaved > 0)
        saveDownloadQueue();
}

bool DownloadManager::enqueue(DownloadData data)
{
    if (_queued.contains(data))
        return false;
    _queued.insert(data);
    _array.append(std::move(data));
    return true;
}

DownloadData DownloadManager::takeHead()
{
    DownloadData head = _array.takeFirst();
    _queued.remove(head);
    return head;
}

bool DownloadManager::isSafeTarget(const QString& target)
{
    // The target is joined below the caches directory. Without "." or ".."
    // among its names, and without the other separator or a NUL, nothing can
    // lead it out; it must name at least one file or folder. Checked without
    // building a string: an answer may name tens of thousands of pictures.
    if (target.isEmpty() || target.contains(QLatin1Char('\\')) || target.contains(QChar(0)))
        return false;
    bool named = false;
    for (const QStringView part : QStringView(target).tokenize(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return false;
        named = true;
    }
    return named;
}

void DownloadManager::addDownload(const QString& url, const QString& target)
{
    if (url.isEmpty() || target.isEmpty() || _missing.contains(target))
        return;
    if (!isSafeTarget(target)) {
        qCWarning(lcDownload) << "Refused a download target outside the caches directory:" << target;
        return;
    }
    if (!enqueue({url, target}))
        return;
    changed();
    startDownload();
}

void DownloadManager::downloadFile(const QVariantList& files)
{
    const QString url = QStringLiteral("url");
    const QString filename = QStringLiteral("filename");
    int added = 0;
    _queued.reserve(_array.size() + files.size());
    for (const QVariant& file : files) {
        const QVariantMap record = file.toMap();
        DownloadData data{record.value(url).toString(), record.value(filename).toString()};
        if (data.sourcePath.isEmpty() || data.targetPath.isEmpty())
            continue;
        if (!isSafeTarget(data.targetPath)) {
            qCWarning(lcDownload) << "Refused a download target outside the caches directory:" << data.targetPath;
            continue;
        }
        // The server names the file again: it may have it by now.
        _missing.remove(data.targetPath);
        if (enqueue(std::move(data)))
            ++added;
    }
    // The answer is committed: its pictures are in the file before any fetch.
    if (added > 0) {
        saveDownloadQueue();
        startDownload();
    }
}

int DownloadManager::removeDownload(const QString& target)
{
    // The head of a running download stays: its answer removes the head.
    const qsizetype first = _downloading ? 1 : 0;
    int removed = 0;
    for (qsizetype i = _array.size() - 1; i >= first; --i) {
        if (_array.at(i).targetPath == target) {
            _queued.remove(_array.at(i));
            _array.removeAt(i);
            ++removed;
        }
    }
    // Saved at once: after a crash the server's older picture must not come
    // back over the one taken on the device.
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
    const DownloadData finished = takeHead();
    changed();
    // The folder of "/material/X.jpg" is "material": only item pictures are
    // announced (the catalogue and purchase list redraw on it).
    const QStringList parts = finished.targetPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() >= 2 && parts.first() == QLatin1String("material"))
        NotificationCenter::defaultCenter().post(QStringLiteral("downloadComplete"),
                                                 {{QStringLiteral("type"), parts.first()}});
    if (_array.isEmpty())
        flush();
    startDownload();
}

void DownloadManager::downloadFailed(const HttpError& error)
{
    _downloading = false;
    if (isMissingOnServer(error) && !_array.isEmpty()) {
        // Not a passing failure: retrying would only bury the real downloads.
        const DownloadData missing = takeHead();
        _missing.insert(missing.targetPath);
        qCInfo(lcDownload) << "The server has no" << missing.sourcePath << "(" << error.httpStatus()
                           << "); not asked for again until the next start";
        changed();
        if (_array.isEmpty())
            flush();
        startDownload();
        return;
    }
    ++_errorTry;
    if (_errorTry > kMaxFailures - 1) {
        qCInfo(lcDownload) << "Downloads rest after" << kMaxFailures << "failures; last:" << error.description();
        _errorTry = 0;
        flush();
        return;
    }
    if (_array.size() >= 2) {
        _array.append(_array.takeFirst());
        changed();
    }
    startDownload();
}
