#pragma once

#include "http/HttpTransport.h"

#include <QList>
#include <deque>

// A transport for tests of code that talks to the order server (login, sync,
// queues): set it with HttpTransport::setShared(); it records every call and
// leaves it pending until the test answers it. Answers go to the oldest
// pending call and run its handler at once.
class FakeTransport : public HttpTransport
{
public:
    enum Kind { Form, Multipart, Download };

    struct Call
    {
        Kind kind = Form;
        QString url;
        QVariantMap parameters;
        // Multipart calls: every part, the parameters' form parts first.
        QList<MultipartFormData::Part> parts;
        QString path; // downloads
        JsonHandler onJson;
        DownloadHandler onDownload;
        FailureHandler onFailure;

        // The file parts of a multipart call.
        QList<MultipartFormData::Part> files() const;
    };

    void postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                  FailureHandler failure) override;
    void postMultipart(const QString& url, const QVariantMap& parameters, PartsBuilder appendParts,
                       JsonHandler success, FailureHandler failure) override;
    void download(const QString& url, const QString& path, DownloadHandler success,
                  FailureHandler failure) override;

    // Every call made, answered or not, in order.
    const QList<Call>& calls() const { return _calls; }
    int pendingCount() const { return static_cast<int>(_pending.size()); }
    // The oldest unanswered call (the test fails if there is none).
    const Call& pending() const;

    // Answers the oldest pending JSON call with the object (a null QVariant
    // stands for an empty body).
    void answer(const QVariant& json);
    // Fails the oldest pending call.
    void fail(const HttpError& error);
    // Fails it with one of the transport's codes and a stock description.
    void fail(int code);
    // Writes the content to the oldest pending download's path and succeeds.
    void finishDownload(const QByteArray& content);

private:
    void record(const Call& call);
    Call take();

    QList<Call> _calls;
    std::deque<Call> _pending;
};
