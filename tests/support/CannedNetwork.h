#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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

    static CannedAnswer json(const QByteArray& body, int status = 200);
    static CannedAnswer withType(const QByteArray& contentType, const QByteArray& body,
                                 int status = 200);
    static CannedAnswer failure(QNetworkReply::NetworkError error, const QString& text);
};

// A QNetworkAccessManager that never opens a socket: it answers each request
// from a queue of canned answers, on the next turn of the event loop. An empty queue answers 200
// with "{}" as JSON.
class CannedNetwork : public QNetworkAccessManager
{
public:
    using QNetworkAccessManager::QNetworkAccessManager;

    void enqueue(const CannedAnswer& answer) { _answers.push_back(answer); }
    int openReplies() const;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override;

private:
    std::deque<CannedAnswer> _answers;
};
