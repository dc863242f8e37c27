#pragma once

#include "http/HttpError.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <climits>
#include <optional>

// The order server's answer envelope: "status", "message", "authToken",
// "timeStamp" and "result", each optional on the wire. Also how a failed call
// is told to the salesman.
class ServerAnswer
{
public:
    enum Verdict {
        Ignored,         // no parsed object at all: nothing to act on
        ConnectionError, // an object without "status"
        Refused,         // "status" other than 0
        Accepted,        // "status" 0 (a number, or a text of digits)
    };
    // A "status" that is present but neither a whole number nor a text of
    // digits; it is never taken for 0.
    static constexpr int UnreadableStatus = INT_MIN;

    // The object a JSON call delivered (null when the body was empty).
    explicit ServerAnswer(const QVariant& json);

    Verdict verdict() const;
    bool isDictionary() const { return _isDictionary; }
    QVariantMap dictionary() const { return _answer; }

    bool hasStatus() const;
    // The status read as an integer; `whenAbsent` when there is none, and
    // UnreadableStatus when it cannot be read.
    int status(int whenAbsent = UnreadableStatus) const;
    // Null texts when absent.
    QString message() const;
    QString authToken() const;
    QString timeStamp() const;
    QVariant result() const;

    // What a failure notification carries: the refused answer itself (with
    // the server's "message"), or "message" "Connection error..." for an answer
    // without status. Empty for the other verdicts.
    QVariantMap failureUserInfo() const;

    // "Connection error...": the server answered, but not with our envelope.
    static QString connectionErrorMessage();
    // "Unknown error...": the device is off line and nothing else can be said.
    static QString unknownErrorMessage();
    // Connection lost, cannot connect to host, not connected.
    static bool isOffline(const HttpError& error);
    // The text for a failed call: "Unknown error..." off line, else the
    // error's own description. (A login does not show it off line: it falls
    // back to the local accounts.)
    static QString failureMessage(const HttpError& error);

    // A JSON number with no fraction, or a text of digits (with an optional
    // sign and surrounding blanks), as an integer.
    static std::optional<qint64> readInteger(const QVariant& value);

private:
    QVariantMap _answer;
    bool _isDictionary = false;
};
