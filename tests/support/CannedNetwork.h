#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <deque>

// What a canned reply answers. With `transportError` set and no status the
// request fails before any answer (refused, host not found); with a status
// too, the error strikes after the body has started (connection lost).
struct CannedAnswer
{
    int status = 200;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QNetworkReply::NetworkError transportError = QNetworkReply::NoError;
    QString transportText;
    // Never finishes (a stalled server); only an abort ends it.
    bool stall = false;

    static CannedAnswer json(const QByteArray& body, int status = 200)
    {
        return withType("application/json", body, status);
    }
    static CannedAnswer withType(const QByteArray& contentType, const QByteArray& body,
                                 int status = 200)
    {
        return CannedAnswer{status, {}, {{"Content-Type", contentType}}, body, {}, {}, false};
    }
    static CannedAnswer failure(QNetworkReply::NetworkError error, const QString& text)
    {
        return CannedAnswer{0, {}, {}, {}, error, text, false};
    }
};

// The reply to one request: the answer, on the next turn of the event loop.
class CannedReply : public QNetworkReply
{
public:
    CannedReply(QNetworkAccessManager::Operation op, const QNetworkRequest& request,
                const CannedAnswer& answer, QObject* parent)
        : QNetworkReply(parent), _answer(answer)
    {
        setOperation(op);
        setRequest(request);
        setUrl(request.url());
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QTimer::singleShot(0, this, [this] { deliver(); });
    }

    void abort() override
    {
        if (!isFinished())
            fail(OperationCanceledError, QStringLiteral("Operation canceled"));
    }
    qint64 bytesAvailable() const override { return _buffer.size() + QIODevice::bytesAvailable(); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, _buffer.size());
        memcpy(data, _buffer.constData(), static_cast<size_t>(n));
        _buffer.remove(0, n);
        return n;
    }

private:
    void deliver()
    {
        if (isFinished())
            return;
        if (_answer.status != 0) {
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, _answer.status);
            if (!_answer.reason.isEmpty())
                setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, _answer.reason);
            for (const auto& header : _answer.headers)
                setRawHeader(header.first, header.second);
            emit metaDataChanged();
            _buffer = _answer.body;
            emit downloadProgress(_buffer.size(), _answer.stall ? -1 : _buffer.size());
            if (!_buffer.isEmpty())
                emit readyRead();
        }
        if (_answer.stall || isFinished())
            return;
        if (_answer.transportError != NoError)
            return fail(_answer.transportError, _answer.transportText);
        setFinished(true);
        emit finished();
    }

    void fail(NetworkError error, const QString& text)
    {
        setError(error, text);
        setFinished(true);
        emit errorOccurred(error);
        emit finished();
    }

    CannedAnswer _answer;
    QByteArray _buffer;
};

// A QNetworkAccessManager that never opens a socket: it answers each request
// from a queue of canned answers. An empty queue answers 200 with "{}" as JSON.
class CannedNetwork : public QNetworkAccessManager
{
public:
    using QNetworkAccessManager::QNetworkAccessManager;

    void enqueue(const CannedAnswer& answer) { _answers.push_back(answer); }
    int openReplies() const
    {
        const QList<QNetworkReply*> replies = findChildren<QNetworkReply*>();
        return int(std::count_if(replies.begin(), replies.end(),
                                 [](const QNetworkReply* reply) { return !reply->isFinished(); }));
    }

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice*) override
    {
        CannedAnswer answer = CannedAnswer::json("{}");
        if (!_answers.empty()) {
            answer = _answers.front();
            _answers.pop_front();
        }
        return new CannedReply(op, request, answer, this);
    }

private:
    std::deque<CannedAnswer> _answers;
};
