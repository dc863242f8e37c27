#include "http/HttpClient.h"

#include "http/FormEncoding.h"
#include "http/ResponseChecks.h"
#include "http/ServerTrust.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTimer>
#include <optional>

struct HttpClient::Request
{
    QPointer<QNetworkReply> reply;
    bool json = true;
    JsonHandler onJson;
    // Streamed JSON answers: the body goes to the receiver as it arrives.
    std::optional<BodyReceiver> receiver;
    DownloadHandler onDownload;
    FailureHandler onFailure;
    // Downloads: the destination, and the temporary file that replaces it on
    // success. Nothing is written before the status is known to be good.
    QString path;
    std::unique_ptr<QSaveFile> file;
    std::optional<HttpError> writeError;
    QTimer timer;
    bool timedOut = false;
};

namespace {
bool isSuccessStatus(const QVariant& status)
{
    return !status.isValid() || (status.toInt() >= 200 && status.toInt() <= 299);
}

HttpError cannotWrite(const QString& path, const QString& reason)
{
    return HttpError(HttpError::CannotWriteFile,
                     QStringLiteral("The file %1 could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), reason));
}

std::optional<HttpError> openDestination(std::unique_ptr<QSaveFile>& file, const QString& path)
{
    if (file)
        return std::nullopt;
    QDir().mkpath(QFileInfo(path).absolutePath());
    file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return cannotWrite(path, file->errorString());
    return std::nullopt;
}

std::optional<HttpError> writeChunk(QSaveFile& file, const QString& path, const QByteArray& chunk)
{
    if (!chunk.isEmpty() && file.write(chunk) != chunk.size())
        return cannotWrite(path, file.errorString());
    return std::nullopt;
}

// A connection that closes cleanly before the announced length is not always
// reported as an error by the transport; a picture cut off there must not be
// stored as whole. A compressed body is counted after decompression, so its
// announced length says nothing about it.
std::optional<HttpError> checkWhole(QNetworkReply& reply, qint64 received)
{
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    if (!announced.isValid() || reply.hasRawHeader("Content-Encoding") || announced.toLongLong() == received)
        return std::nullopt;
    return HttpError::fromNetworkError(
        QNetworkReply::RemoteHostClosedError,
        QStringLiteral("The answer ended after %1 of %2 bytes.").arg(received).arg(announced.toLongLong()));
}
} // namespace

HttpClient::HttpClient(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent), _manager(manager ? manager : sharedNetworkAccessManager()),
      _headers(HttpHeaders::defaults())
{}

HttpClient::~HttpClient()
{
    for (auto& entry : _requests) {
        if (QNetworkReply* reply = entry.second->reply) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
    }
    _requests.clear();
}

QNetworkAccessManager* HttpClient::sharedNetworkAccessManager()
{
    static QPointer<QNetworkAccessManager> shared;
    if (!shared)
        shared = new QNetworkAccessManager(QCoreApplication::instance());
    return shared;
}

void HttpClient::setDefaultHeader(const QByteArray& name, const QByteArray& value)
{
    _headers.removeIf(
        [&](const auto& header) { return header.first.compare(name, Qt::CaseInsensitive) == 0; });
    if (!value.isEmpty())
        _headers.append({name, value});
}

QNetworkRequest HttpClient::makeRequest(const QString& url) const
{
    QNetworkRequest request{QUrl(url, QUrl::TolerantMode)};
    for (const auto& header : _headers)
        request.setRawHeader(header.first, header.second);
    ServerTrust::apply(request);
    return request;
}

QNetworkRequest HttpClient::makeFormRequest(const QString& url) const
{
    QNetworkRequest request = makeRequest(url);
    if (!request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    return request;
}

void HttpClient::postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                          FailureHandler failure)
{
    const QNetworkRequest request = makeFormRequest(url);
    auto pending = std::make_unique<Request>();
    pending->onJson = std::move(success);
    pending->onFailure = std::move(failure);
    if (!_manager) {
        failSoon(pending->onFailure,
                 HttpError(HttpError::Unknown, QStringLiteral("The network is not available.")));
        return;
    }
    start(std::move(pending), _manager->post(request, FormEncoding::encode(parameters)));
}

void HttpClient::postFormStreamed(const QString& url, const QVariantMap& parameters, BodyReceiver receiver)
{
    auto pending = std::make_unique<Request>();
    pending->onFailure = receiver.failure;
    pending->receiver = std::move(receiver);
    if (!_manager) {
        failSoon(pending->onFailure,
                 HttpError(HttpError::Unknown, QStringLiteral("The network is not available.")));
        return;
    }
    start(std::move(pending), _manager->post(makeFormRequest(url), FormEncoding::encode(parameters)));
}

void HttpClient::postMultipart(const QString& url, const QVariantMap& parameters,
                               PartsBuilder appendParts, JsonHandler success,
                               FailureHandler failure)
{
    MultipartFormData form;
    form.appendParameters(parameters);
    if (appendParts)
        appendParts(form);
    const QByteArray body = form.body();

    QNetworkRequest request = makeRequest(url);
    request.setRawHeader("Content-Type", form.contentType());
    request.setRawHeader("Content-Length", QByteArray::number(body.size()));
    auto pending = std::make_unique<Request>();
    pending->onJson = std::move(success);
    pending->onFailure = std::move(failure);
    if (!_manager) {
        failSoon(pending->onFailure,
                 HttpError(HttpError::Unknown, QStringLiteral("The network is not available.")));
        return;
    }
    start(std::move(pending), _manager->post(request, body));
}

void HttpClient::download(const QString& url, const QString& path, DownloadHandler success,
                          FailureHandler failure)
{
    auto pending = std::make_unique<Request>();
    pending->json = false;
    pending->path = path;
    pending->onDownload = std::move(success);
    pending->onFailure = std::move(failure);
    if (path.isEmpty() || !_manager) {
        failSoon(pending->onFailure,
                 path.isEmpty() ? cannotWrite(path, QStringLiteral("no destination"))
                                : HttpError(HttpError::Unknown,
                                            QStringLiteral("The network is not available.")));
        return;
    }
    start(std::move(pending), _manager->get(makeRequest(url)));
}

void HttpClient::start(std::unique_ptr<Request> request, QNetworkReply* reply)
{
    Request* pending = request.get();
    pending->reply = reply;
    pending->timer.setSingleShot(true);
    pending->timer.setInterval(pending->json ? _timeout : _downloadTimeout);
    connect(&pending->timer, &QTimer::timeout, this, [this, reply] { onTimeout(reply); });
    connect(reply, &QNetworkReply::uploadProgress, this, [this, reply] { onProgress(reply); });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) { onProgress(reply, received, total); });
    if (!pending->json || pending->receiver)
        connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onReadyRead(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
    // A manager that drops its replies (destroyed with them) must not leave
    // the caller waiting.
    connect(reply, &QObject::destroyed, this, [this, reply] {
        const auto it = _requests.find(reply);
        if (it == _requests.end())
            return;
        const FailureHandler failure = it->second->onFailure;
        _requests.erase(it);
        if (failure)
            failure(HttpError(HttpError::Unknown, QStringLiteral("The request was cancelled.")));
    });
    _requests.emplace(reply, std::move(request));
    pending->timer.start();
    if (reply->isFinished())
        QTimer::singleShot(0, this, [this, reply] { onFinished(reply); });
}

void HttpClient::onProgress(QNetworkReply* reply, qint64 received, qint64 total)
{
    const auto it = _requests.find(reply);
    if (it == _requests.end() || it->second->timedOut)
        return;
    it->second->timer.start();
    const std::optional<BodyReceiver>& receiver = it->second->receiver;
    if (received >= 0 && receiver && receiver->progress)
        receiver->progress(received, total);
}

// A streamed answer's body goes on only once its status and content type are
// known to be good; anything else stays in the reply for the checks at the end.
bool HttpClient::passesBody(QNetworkReply* reply)
{
    return isSuccessStatus(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute)) &&
           reply->error() == QNetworkReply::NoError &&
           !ResponseChecks::checkContentType(reply->rawHeader("Content-Type"), ResponseChecks::jsonContentTypes());
}

void HttpClient::onTimeout(QNetworkReply* reply)
{
    const auto it = _requests.find(reply);
    if (it == _requests.end())
        return;
    it->second->timedOut = true;
    reply->abort(); // finishes the reply, and with it the request
}

void HttpClient::onReadyRead(QNetworkReply* reply)
{
    const auto it = _requests.find(reply);
    if (it == _requests.end())
        return;
    Request& pending = *it->second;
    if (pending.receiver) {
        if (passesBody(reply) && pending.receiver->piece)
            pending.receiver->piece(reply->readAll());
        return;
    }
    // An error page, or a body we already failed to store, is read and dropped.
    if (pending.writeError ||
        !isSuccessStatus(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute))) {
        reply->readAll();
        return;
    }
    pending.writeError = openDestination(pending.file, pending.path);
    if (!pending.writeError)
        pending.writeError = writeChunk(*pending.file, pending.path, reply->readAll());
    if (pending.writeError)
        reply->abort(); // finishes the request; `pending` is gone after this
}

void HttpClient::onFinished(QNetworkReply* reply)
{
    const auto it = _requests.find(reply);
    if (it == _requests.end())
        return;
    std::unique_ptr<Request> pending = std::move(it->second);
    _requests.erase(it);
    pending->timer.stop();
    reply->disconnect(this);
    reply->deleteLater();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    std::optional<HttpError> error;
    QVariant json;
    if (pending->timedOut) {
        error = HttpError::timedOut();
    } else if (pending->writeError) {
        error = pending->writeError;
    } else if (status.isValid() &&
               (error = ResponseChecks::checkStatus(
                    status.toInt(),
                    reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()))) {
        // the status check failed
    } else if (reply->error() != QNetworkReply::NoError) {
        error = HttpError::fromNetworkError(reply->error(), reply->errorString());
    } else if (pending->json) {
        error = ResponseChecks::checkContentType(reply->rawHeader("Content-Type"),
                                                 ResponseChecks::jsonContentTypes());
        if (!error && pending->receiver) {
            const QByteArray rest = reply->readAll();
            if (!rest.isEmpty() && pending->receiver->piece)
                pending->receiver->piece(rest);
        } else if (!error) {
            error = ResponseChecks::decodeJson(reply->readAll(), json);
        }
    } else {
        error = openDestination(pending->file, pending->path);
        if (!error)
            error = writeChunk(*pending->file, pending->path, reply->readAll());
        if (!error)
            error = checkWhole(*reply, pending->file->size());
        if (!error && !pending->file->commit())
            error = cannotWrite(pending->path, pending->file->errorString());
    }

    if (error) {
        if (pending->file)
            pending->file->cancelWriting();
        if (pending->onFailure)
            pending->onFailure(*error);
    } else if (pending->receiver) {
        if (pending->receiver->end)
            pending->receiver->end();
    } else if (pending->json) {
        if (pending->onJson)
            pending->onJson(json);
    } else if (pending->onDownload) {
        pending->onDownload(pending->path);
    }
}

void HttpClient::failSoon(FailureHandler failure, const HttpError& error)
{
    QTimer::singleShot(0, this, [failure = std::move(failure), error] {
        if (failure)
            failure(error);
    });
}
