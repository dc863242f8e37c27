#pragma once

#include "http/HttpError.h"
#include "http/MultipartFormData.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

// The three calls the application makes to its order server. Handlers run on
// the main thread, always after the call has returned, and exactly one of the
// two runs per call (none when the transport is destroyed first).
//
// HttpClient is the real one. Code that talks to the server takes an
// HttpTransport (or uses shared()), so its tests can hand it a fake that
// records the calls and answers them at will.
class HttpTransport
{
public:
    // The parsed JSON answer: a QVariantMap or QVariantList, or a null QVariant
    // when the body was empty or a single " ".
    using JsonHandler = std::function<void(const QVariant& json)>;
    // The path the file was written to.
    using DownloadHandler = std::function<void(const QString& path)>;
    using FailureHandler = std::function<void(const HttpError& error)>;
    // Appends the file parts of a multipart request.
    using PartsBuilder = std::function<void(MultipartFormData& form)>;

    // Takes the body of a JSON answer while it arrives, for answers too big
    // to be held whole. Exactly one of `end` and `failure` runs last.
    struct BodyReceiver
    {
        // The next bytes of the body, only once the status and the content
        // type are known to be good.
        std::function<void(const QByteArray& piece)> piece;
        // The body is whole.
        std::function<void()> end;
        // The call failed, possibly after some pieces.
        FailureHandler failure;
        // Bytes received so far, and the body's size (-1 when not announced).
        std::function<void(qint64 received, qint64 total)> progress;
    };

    virtual ~HttpTransport() = default;

    // POST of the form-encoded parameters; the answer must be JSON.
    virtual void postForm(const QString& url, const QVariantMap& parameters, JsonHandler success,
                          FailureHandler failure) = 0;
    // POST of the form-encoded parameters whose JSON answer is handed over as
    // it arrives. The default gives the answer of postForm() in one piece.
    virtual void postFormStreamed(const QString& url, const QVariantMap& parameters, BodyReceiver receiver);
    // POST of a multipart body: one part per parameter, then the parts the
    // builder appends (it may be empty). The answer must be JSON.
    virtual void postMultipart(const QString& url, const QVariantMap& parameters,
                               PartsBuilder appendParts, JsonHandler success,
                               FailureHandler failure) = 0;
    // GET of the URL, its body written to the path. The file is replaced only
    // when the whole body has arrived with a 2xx status.
    virtual void download(const QString& url, const QString& path, DownloadHandler success,
                          FailureHandler failure) = 0;

    // The process-wide transport: an HttpClient on the shared network access
    // manager, created on first use.
    static HttpTransport& shared();
    // Replaces the shared transport (tests); null goes back to the default.
    static void setShared(std::shared_ptr<HttpTransport> transport);
};
