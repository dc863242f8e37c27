#include "support/FakeTransport.h"

#include "sync/SyncWorker.h"

#include <QTest>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <gtest/gtest.h>

QList<MultipartFormData::Part> FakeTransport::Call::files() const
{
    QList<MultipartFormData::Part> files;
    for (const auto& part : parts) {
        if (part.isFile())
            files.append(part);
    }
    return files;
}

void FakeTransport::postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                             FailureHandler failure)
{
    Call call;
    call.kind = Form;
    call.url = url;
    call.parameters = parameters;
    call.onJson = std::move(success);
    call.onFailure = std::move(failure);
    _calls.append(call);
    _pending.push_back(call);
}

void FakeTransport::postMultipart(const QString& url, const QVariantMap& parameters,
                                  PartsBuilder appendParts, JsonHandler success,
                                  FailureHandler failure)
{
    MultipartFormData form;
    form.appendParameters(parameters);
    if (appendParts)
        appendParts(form);
    Call call;
    call.kind = Multipart;
    call.url = url;
    call.parameters = parameters;
    call.parts = form.parts();
    call.onJson = std::move(success);
    call.onFailure = std::move(failure);
    _calls.append(call);
    _pending.push_back(call);
}

void FakeTransport::download(const QString& url, const QString& path, DownloadHandler success,
                             FailureHandler failure)
{
    Call call;
    call.kind = Download;
    call.url = url;
    call.path = path;
    call.onDownload = std::move(success);
    call.onFailure = std::move(failure);
    _calls.append(call);
    _pending.push_back(call);
}

const FakeTransport::Call& FakeTransport::pending() const
{
    static const Call none;
    if (_pending.empty()) {
        ADD_FAILURE() << "FakeTransport: no call is pending";
        return none;
    }
    return _pending.front();
}

FakeTransport::Call FakeTransport::take()
{
    Call call = _pending.front();
    _pending.pop_front();
    return call;
}

void FakeTransport::answer(const QVariant& json)
{
    if (_pending.empty() || _pending.front().kind == Download) {
        ADD_FAILURE() << "FakeTransport: no JSON call is pending";
        return;
    }
    const Call call = take();
    if (call.onJson)
        call.onJson(json);
    // Big answers are read and stored on the sync thread: the answer has been
    // acted on once its outcome is back on this thread.
    if (!SyncWorker::isIdle() && !QTest::qWaitFor([] { return SyncWorker::isIdle(); }, 20000))
        ADD_FAILURE() << "FakeTransport: the answer was not applied within 20 s";
}

void FakeTransport::fail(const HttpError& error)
{
    if (_pending.empty()) {
        ADD_FAILURE() << "FakeTransport: no call is pending";
        return;
    }
    const Call call = take();
    if (call.onFailure)
        call.onFailure(error);
}

void FakeTransport::fail(int code)
{
    switch (code) {
    case HttpError::NetworkConnectionLost:
        fail(HttpError::fromNetworkError(QNetworkReply::RemoteHostClosedError,
                                         QStringLiteral("Connection closed")));
        break;
    case HttpError::CannotConnectToHost:
        fail(HttpError::fromNetworkError(QNetworkReply::ConnectionRefusedError,
                                         QStringLiteral("Connection refused")));
        break;
    case HttpError::NotConnectedToInternet:
        fail(HttpError::fromNetworkError(QNetworkReply::NetworkSessionFailedError,
                                         QStringLiteral("No network")));
        break;
    case HttpError::TimedOut:
        fail(HttpError::timedOut());
        break;
    default:
        fail(HttpError(code, QStringLiteral("Simulated failure (%1)").arg(code)));
        break;
    }
}

void FakeTransport::finishDownload(const QByteArray& content)
{
    if (_pending.empty() || _pending.front().kind != Download) {
        ADD_FAILURE() << "FakeTransport: no download is pending";
        return;
    }
    const Call call = take();
    QDir().mkpath(QFileInfo(call.path).absolutePath());
    QSaveFile file(call.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        ADD_FAILURE() << "FakeTransport: cannot write " << qPrintable(call.path);
        return;
    }
    if (call.onDownload)
        call.onDownload(call.path);
}
