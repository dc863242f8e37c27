#pragma once

#include <QString>

// The session with the order server: which server (the base URL, from the
// settings) and the token the server handed out last. The token is held in
// memory only: after a restart the salesman logs in again before any request
// carries one.
class Session
{
public:
    // The development or production base URL: the stored one, else the
    // built-in one of that mode.
    static QString host();
    // Stores the base URL under the key of the current mode; a null text is ignored.
    static void saveHost(const QString& host);

    static QString authToken();
    static void setAuthToken(const QString& token);

    // The stored synchronisation time stamp, or a null text. After the store
    // replaced a damaged database it is forgotten (once), so that the next
    // request asks for everything.
    static QString storedTimeStamp();
    static void storeTimeStamp(const QString& timeStamp);
};
