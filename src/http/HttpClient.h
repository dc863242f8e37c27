#pragma once

#include "http/HttpHeaders.h"
#include "http/HttpTransport.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <map>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// The HTTP client on QNetworkAccessManager. Every body byte is written by our
// own encoders (FormEncoding, MultipartFormData); the manager only carries
// them. Answers are checked by ResponseChecks before a success handler runs.
// (A QObject only to own the connections to its replies; it has no signals.)
//
// A request that sees no progress for its time-out fails with
// HttpError::TimedOut, so a stalled server cannot hold a login forever.
class HttpClient : public QObject, public HttpTransport
{
public:
    // The manager stays the caller's; null uses the shared one.
    explicit HttpClient(QNetworkAccessManager* manager = nullptr, QObject* parent = nullptr);
    // Requests still in flight are abandoned; their handlers never run.
    ~HttpClient() override;

    void postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                  FailureHandler failure) override;
    void postFormStreamed(const QString& url, const QVariantMap& parameters, BodyReceiver receiver) override;
    void postMultipart(const QString& url, const QVariantMap& parameters, PartsBuilder appendParts,
                       JsonHandler success, FailureHandler failure) override;
    void download(const QString& url, const QString& path, DownloadHandler success,
                  FailureHandler failure) override;

    // Copied into every request; set from HttpHeaders::defaults() at creation.
    HttpHeaders::List defaultHeaders() const { return _headers; }
    // Replaces a default header; an empty value removes it.
    void setDefaultHeader(const QByteArray& name, const QByteArray& value);

    // Time without progress after which a JSON call, or a download, fails.
    std::chrono::milliseconds timeout() const { return _timeout; }
    void setTimeout(std::chrono::milliseconds timeout) { _timeout = timeout; }
    std::chrono::milliseconds downloadTimeout() const { return _downloadTimeout; }
    void setDownloadTimeout(std::chrono::milliseconds timeout) { _downloadTimeout = timeout; }

    int pendingRequests() const { return static_cast<int>(_requests.size()); }

    QNetworkAccessManager* networkAccessManager() const { return _manager; }
    // One manager for the whole process, owned by the application object.
    static QNetworkAccessManager* sharedNetworkAccessManager();

private:
    struct Request;

    QNetworkRequest makeRequest(const QString& url) const;
    QNetworkRequest makeFormRequest(const QString& url) const;
    void start(std::unique_ptr<Request> request, QNetworkReply* reply);
    void onReadyRead(QNetworkReply* reply);
    static bool passesBody(QNetworkReply* reply);
    void onProgress(QNetworkReply* reply, qint64 received = -1, qint64 total = -1);
    void onTimeout(QNetworkReply* reply);
    void onFinished(QNetworkReply* reply);
    // Runs the failure handler later, for requests that never reach the network.
    void failSoon(FailureHandler failure, const HttpError& error);

    QPointer<QNetworkAccessManager> _manager;
    HttpHeaders::List _headers;
    std::chrono::milliseconds _timeout{30000};
    std::chrono::milliseconds _downloadTimeout{120000};
    std::map<QNetworkReply*, std::unique_ptr<Request>> _requests;
};
