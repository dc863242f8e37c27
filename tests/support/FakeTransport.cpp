#include "support/FakeTransport.h"

#include "sync/SyncWorker.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;

QList<MultipartFormData::Part> FakeTransport::Call::files() const
{
    QList<MultipartFormData::Part> files = parts;
    files.removeIf([](const MultipartFormData::Part& part) { return !part.isFile(); });
    return files;
}

void FakeTransport::postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                             FailureHandler failure)
{
    record({Form, url, parameters, {}, {}, std::move(success), {}, std::move(failure)});
}

void FakeTransport::postMultipart(const QString& url, const QVariantMap& parameters,
                                  PartsBuilder appendParts, JsonHandler success,
                                  FailureHandler failure)
{
    MultipartFormData form;
    form.appendParameters(parameters);
    if (appendParts)
        appendParts(form);
    record(
        {Multipart, url, parameters, form.parts(), {}, std::move(success), {}, std::move(failure)});
}

void FakeTransport::download(const QString& url, const QString& path, DownloadHandler success,
                             FailureHandler failure)
{
    record({Download, url, {}, {}, path, {}, std::move(success), std::move(failure)});
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

void FakeTransport::record(const Call& call)
{
    _calls.append(call);
    _pending.push_back(call);
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
    // What the transport reports for each code.
    const std::map<int, std::pair<QNetworkReply::NetworkError, QString>> transport{
        {HttpError::NetworkConnectionLost,
         {QNetworkReply::RemoteHostClosedError, u"Connection closed"_s}},
        {HttpError::CannotConnectToHost,
         {QNetworkReply::ConnectionRefusedError, u"Connection refused"_s}},
        {HttpError::NotConnectedToInternet,
         {QNetworkReply::NetworkSessionFailedError, u"No network"_s}},
        {HttpError::TimedOut, {QNetworkReply::TimeoutError, QString()}}};
    const auto known = transport.find(code);
    fail(known == transport.end()
             ? HttpError(code, u"Simulated failure (%1)"_s.arg(code))
             : HttpError::fromNetworkError(known->second.first, known->second.second));
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
