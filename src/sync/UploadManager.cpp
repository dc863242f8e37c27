#include "sync/UploadManager.h"

#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/RQFile.h"
#include "sync/Endpoints.h"
#include "sync/ServerAnswer.h"
#include "sync/Session.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcUpload, "fieldbook.upload")

namespace {
UploadManager* g_manager = nullptr;
constexpr int kMaxFailures = 10;

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "JPEG", 100))
        return QByteArray();
    return bytes;
}
} // namespace

UploadManager::UploadManager() = default;

UploadManager* UploadManager::sharedManager()
{
    if (!g_manager) {
        g_manager = new UploadManager();
        g_manager->startUpload();
    }
    return g_manager;
}

UploadManager* UploadManager::existingManager()
{
    return g_manager;
}

void UploadManager::releaseManager()
{
    if (g_manager)
        *g_manager->_alive = false;
    delete g_manager;
    g_manager = nullptr;
}

HttpTransport& UploadManager::transport() const
{
    return _transport ? *_transport : HttpTransport::shared();
}

void UploadManager::addDataUpload(int type, const QVariantMap& dataDictionary, const QString& purchaseOrderNo)
{
    UploadData entry;
    entry.type = type;
    entry.dataDictionary = dataDictionary;
    entry.orderNo = purchaseOrderNo;
    _array.append(entry);
    startUpload();
}

void UploadManager::addUpload(const QString& skuCode, const QString& source)
{
    if (skuCode.isEmpty() || source.isEmpty())
        return;
    for (const UploadData& e : _array) {
        if (e.type == 1 && e.sourcePath == source && e.skuCode == skuCode)
            return;
    }
    UploadData entry;
    entry.type = 1;
    entry.skuCode = skuCode;
    entry.sourcePath = source;
    _array.append(entry);
    startUpload();
}

void UploadManager::startUpload()
{
    if (_array.isEmpty() || _uploading)
        return;
    // Every request carries the session token; without one the server would
    // refuse each try and the entries would be dropped. They wait instead.
    if (Session::authToken().isEmpty()) {
        qCInfo(lcUpload) << _array.size() << "uploads wait for a session token";
        return;
    }
    const UploadData head = _array.first();
    if (head.type == 2)
        sendOrder(head);
    else
        sendPicture(head);
}

void UploadManager::sendOrder(const UploadData& entry)
{
    _uploading = true;
    QVariantMap fields = entry.dataDictionary;
    fields.insert(QStringLiteral("authToken"), Session::authToken());
    std::weak_ptr<bool> alive = _alive;
    transport().postMultipart(
        Endpoints::url(Endpoints::UpdateOrder, Session::host()), fields, {},
        [this, alive](const QVariant& json) {
            if (alive.lock())
                orderAnswered(json);
        },
        [this, alive](const HttpError& error) {
            if (alive.lock())
                sendFailed(error);
        });
}

void UploadManager::sendPicture(const UploadData& entry)
{
    QFile file(RQFile::makeFilePathInCache(entry.sourcePath));
    if (!file.open(QIODevice::ReadOnly)) {
        // Nothing to send for it; the entries behind it go on.
        qCWarning(lcUpload) << "Dropped the picture of" << entry.skuCode << ": cannot read" << file.fileName();
        _array.removeFirst();
        next();
        return;
    }
    const QByteArray bytes = file.readAll();
    _uploading = true;
    const QString sku = entry.skuCode;
    std::weak_ptr<bool> alive = _alive;
    transport().postMultipart(
        Endpoints::url(Endpoints::UploadFile, Session::host()),
        {{QStringLiteral("authToken"), Session::authToken()}, {QStringLiteral("skuCode"), sku}},
        [bytes, sku](MultipartFormData& form) {
            form.appendPartWithFileData(bytes, QStringLiteral("file"), sku, QStringLiteral("image/jpeg"));
        },
        [this, alive](const QVariant& json) {
            if (alive.lock())
                pictureAnswered(json);
        },
        [this, alive](const HttpError& error) {
            if (alive.lock())
                sendFailed(error);
        });
}

void UploadManager::takeToken(const QVariant& json)
{
    // A token is only ever replaced by another: an answer without one does
    // not end the session.
    const QString token = ServerAnswer(json).authToken();
    if (!token.isEmpty())
        Session::setAuthToken(token);
}

void UploadManager::orderAnswered(const QVariant& json)
{
    _uploading = false;
    const ServerAnswer answer(json);
    // Only an explicit "status" 0 means the server holds the order.
    if (answer.verdict() != ServerAnswer::Accepted) {
        qCInfo(lcUpload) << "The order upload was refused:" << answer.message();
        countFailure(true);
        return;
    }
    takeToken(json);
    _errorTry = 0;
    if (_array.isEmpty())
        return;
    const UploadData entry = _array.takeFirst();

    QString serverNumber;
    const QVariantList result = answer.result().toList();
    if (!result.isEmpty())
        serverNumber = result.first().toMap().value(QStringLiteral("orderNo")).toString();

    // Photos go under the number the device used, before the renumbering.
    UploadImage(entry.orderNo);
    DataManager* store = DataManager::sharedManager();
    {
        Transaction transaction(store);
        store->updateStatus(entry.orderNo);
        if (serverNumber.isEmpty())
            qCWarning(lcUpload) << "The server accepted order" << entry.orderNo << "without giving its number";
        else
            OrderNoUpdate(entry.orderNo, serverNumber);
        transaction.commit();
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("uploadComplete"), entry.dataDictionary);
    next();
}

void UploadManager::pictureAnswered(const QVariant& json)
{
    _uploading = false;
    takeToken(json);
    _errorTry = 0;
    if (!_array.isEmpty())
        _array.removeFirst();
    next();
}

void UploadManager::sendFailed(const HttpError& error)
{
    _uploading = false;
    qCInfo(lcUpload) << "Upload failed:" << error.description();
    if (_array.isEmpty())
        return;
    // A certificate that fails the check will fail again: nothing is retried,
    // the entry stays at the head (an order stays a draft) and goes again with
    // the next addition.
    if (error.code() == HttpError::ServerCertificateUntrusted) {
        _errorTry = 0;
        return;
    }
    // A picture that keeps failing is given up; an order that could not reach
    // the server stays at the head and goes again with the next addition.
    countFailure(_array.first().type == 1);
}

void UploadManager::countFailure(bool dropAfterLimit)
{
    ++_errorTry;
    if (_errorTry >= kMaxFailures) {
        _errorTry = 0;
        if (dropAfterLimit && !_array.isEmpty()) {
            const UploadData dropped = _array.takeFirst();
            qCWarning(lcUpload) << "Gave up an upload after" << kMaxFailures << "tries:"
                                << (dropped.type == 2 ? dropped.orderNo : dropped.skuCode);
        }
        return;
    }
    if (_array.size() >= 2)
        _array.append(_array.takeFirst());
    startUpload();
}

void UploadManager::next()
{
    if (_array.isEmpty())
        return;
    // Deferred: a picture dropped for want of a file must not recurse.
    std::weak_ptr<bool> alive = _alive;
    QTimer::singleShot(0, this, [this, alive]() {
        if (alive.lock())
            startUpload();
    });
}

void UploadManager::UploadImage(const QString& orderNo)
{
    for (const QVariantMap& row : DataManager::sharedManager()->getOrderImg(orderNo))
        UploadIMageRun(orderNo, row.value(QStringLiteral("imagename")).toString());
}

void UploadManager::UploadIMageRun(const QString& orderNo, const QString& imageName)
{
    if (imageName.isEmpty() || imageName.contains(QLatin1Char('/')))
        return;
    const QByteArray jpeg = jpegOf(QImage(RQFile::makeFilePathInDocument(imageName)));
    if (jpeg.isEmpty()) {
        qCInfo(lcUpload) << "Skipped the unreadable photo" << imageName << "of order" << orderNo;
        return;
    }
    transport().postMultipart(
        Endpoints::url(Endpoints::UploadOrderImage, Session::host()),
        {{QStringLiteral("authToken"), Session::authToken()},
         {QStringLiteral("orderno"), orderNo},
         {QStringLiteral("image"), QString::fromLatin1(jpeg.toBase64())}},
        [jpeg](MultipartFormData& form) {
            form.appendPartWithFileData(jpeg, QStringLiteral("image"), QStringLiteral(""), QStringLiteral("image/jpeg"));
        },
        [](const QVariant&) {},
        [orderNo](const HttpError& error) { qCInfo(lcUpload) << "Photo of" << orderNo << "not sent:" << error.description(); });
}

bool UploadManager::OrderNoUpdate(const QString& orderNo, const QString& newOrder)
{
    return DataManager::sharedManager()->OrderNoUpdate(orderNo, newOrder);
}
