#include "support/FakeTransport.h"

#include "sync/SyncWorker.h"

#include <QTest>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    const Call call{Form, url, parameters, {}, {}, std::move(success), {}, std::move(failure)};
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
    const Call call{Multipart,          url, parameters,        form.parts(), {},
                    std::move(success), {},  std::move(failure)};
    _calls.append(call);
    _pending.push_back(call);
}

void FakeTransport::download(const QString& url, const QString& path, DownloadHandler success,
                             FailureHandler failure)
{
    const Call call{Download, url, {}, {}, path, {}, std::move(success), std::move(failure)};
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
                                         u"Connection closed"_s));
        break;
    case HttpError::CannotConnectToHost:
        fail(HttpError::fromNetworkError(QNetworkReply::ConnectionRefusedError,
                                         u"Connection refused"_s));
        break;
    case HttpError::NotConnectedToInternet:
        fail(
            HttpError::fromNetworkError(QNetworkReply::NetworkSessionFailedError, u"No network"_s));
        break;
    case HttpError::TimedOut:
        fail(HttpError::timedOut());
        break;
    default:
        fail(HttpError(code, u"Simulated failure (%1)"_s.arg(code)));
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
