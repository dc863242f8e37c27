#pragma once

#include <QNetworkReply>
#include <QString>

// Why a request failed: a code and a description fit to show the salesman.
//
// Transport failures that mean the device is off line carry one of three codes
// (connection lost, cannot connect to host, not connected); callers fall back
// to what they can do off line on those. A time-out has its own code and is
// not one of them: the server was reached, or might have been, and a login
// must not silently fall back to the local accounts because the server is slow.
// Nor is a server certificate that fails the check (ServerTrust): the server
// answered, and a login must not fall back, nor an upload be tried again, while
// the connection cannot be trusted.
// The response checks carry their own codes and fixed texts. Every other
// transport failure keeps the transport's own description.
class HttpError
{
public:
    enum Code : int {
        Unknown = -1,
        TimedOut = -1001,
        CannotConnectToHost = -1004,
        NetworkConnectionLost = -1005,
        NotConnectedToInternet = -1009,
        UnacceptableStatusCode = -1011,
        CannotDecodeContent = -1015,
        UnacceptableContentType = -1016,
        CannotParseResponse = -1017,
        ServerCertificateUntrusted = -1202,
        CannotWriteFile = -3000,
    };

    HttpError() = default;
    HttpError(int code, const QString& description, int httpStatus = 0,
              const QString& detail = QString());

    int code() const { return _code; }
    // The text to show ("localized description").
    QString description() const { return _description; }
    // The HTTP status of the answer that failed the checks; 0 when none came.
    int httpStatus() const { return _httpStatus; }
    // The transport's own words, for the log; may equal the description.
    QString detail() const { return _detail; }

    // Connection lost, cannot connect to host, not connected.
    bool isOffline() const;
    static bool isOfflineCode(int code);

    // Maps a failure of QNetworkAccessManager (a reply that brought no usable
    // HTTP answer) to our codes. `transportText` is the reply's errorString().
    static HttpError fromNetworkError(QNetworkReply::NetworkError error,
                                      const QString& transportText);
    static HttpError timedOut();

private:
    int _code = 0;
    QString _description;
    int _httpStatus = 0;
    QString _detail;
};
