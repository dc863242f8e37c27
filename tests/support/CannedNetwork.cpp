#include "support/CannedNetwork.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {
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
        if (isFinished())
            return;
        fail(OperationCanceledError, u"Operation canceled"_s);
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
        if (_answer.status == 0) {
            if (!_answer.stall)
                fail(_answer.transportError, _answer.transportText);
            return;
        }
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
        if (_answer.stall || isFinished())
            return;
        if (_answer.transportError != NoError) {
            fail(_answer.transportError, _answer.transportText);
            return;
        }
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
} // namespace

CannedAnswer CannedAnswer::json(const QByteArray& body, int status)
{
    return withType("application/json", body, status);
}

CannedAnswer CannedAnswer::withType(const QByteArray& contentType, const QByteArray& body,
                                    int status)
{
    return CannedAnswer{status, {}, {{"Content-Type", contentType}}, body, {}, {}, false};
}

CannedAnswer CannedAnswer::failure(QNetworkReply::NetworkError error, const QString& text)
{
    return CannedAnswer{0, {}, {}, {}, error, text};
}

int CannedNetwork::openReplies() const
{
    const QList<QNetworkReply*> replies = findChildren<QNetworkReply*>();
    return int(std::count_if(replies.begin(), replies.end(),
                             [](const QNetworkReply* reply) { return !reply->isFinished(); }));
}

QNetworkReply* CannedNetwork::createRequest(Operation op, const QNetworkRequest& request,
                                            QIODevice*)
{
    CannedAnswer answer = CannedAnswer::json("{}");
    if (!_answers.empty()) {
        answer = _answers.front();
        _answers.pop_front();
    }
    return new CannedReply(op, request, answer, this);
}
