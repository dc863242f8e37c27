#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// The order server's endpoints and the fields the application sends them.
// Every request URL is built here, so "which server does this go to" has one
// answer: the base URL the caller passes in (AppManager::getHost()), except
// for crash reports, which always go to the built-in production server.
class Endpoints
{
public:
    enum Endpoint {
        Login,            // "login.php", form
        GetUpdateData,    // "getUpdateData.php", form
        GetPromotion,     // "getpromotion.php", form
        UpdateOrder,      // "updateOrder.php", multipart without a file
        UploadFile,       // "uploadFile.php", multipart with the item picture
        UploadOrderImage, // "uploadorderimg.php", multipart with an order photo
        CrashLog,         // "crashLog.php", multipart without a file
    };

    // The endpoint's path below the base URL, such as "login.php".
    static QString path(Endpoint endpoint);
    // The endpoint's URL on the server at `baseUrl`. Crash reports ignore the
    // base URL and go to productionBaseUrl(), whatever the development setting.
    static QString url(Endpoint endpoint, const QString& baseUrl);
    // The built-in production base URL (the CMake option FIELDBOOK_PRODUCTION_URL).
    static QString productionBaseUrl();
    // Tests only: stands in for the built-in production base URL in this
    // process, so that a crash report can reach a server the test started;
    // a null text brings the built-in one back. The application never calls
    // it: a shipped build always reports to the URL it was built with.
    static void overrideProductionBaseUrl(const QString& url);
    // The base URL and a path with exactly one "/" between them.
    static QString join(const QString& baseUrl, const QString& path);

    // Where a catalogue picture is fetched from: the base URL with every
    // "/api/" replaced by "/__files__" and the picture's path in the cache, so
    // "http://h/api/" and "/material/ABC.jpg" give "http://h/__files__/material/ABC.jpg".
    static QString pictureUrl(const QString& baseUrl, const QString& picturePath);

    // The time stamp that asks for the full master data.
    static QString noTimeStamp();

    // "deviceModel", "appVersion", "osVersion", "language", "uuid".
    static QVariantMap deviceDescription();
    // A login: the device description, "timeStamp", and the enciphered
    // "username" and "password".
    static QVariantMap loginFields(const QString& timeStamp, const QString& encipheredUsername,
                                   const QString& encipheredPassword);
    // An update or promotion request: "timeStamp" (noTimeStamp() when none is
    // stored) and "authToken" when a token is held.
    static QVariantMap syncFields(const QString& timeStamp, const QString& authToken);
    // Adds "authToken" when a token is held; no token leaves the field out
    // rather than sending it empty.
    static void addAuthToken(QVariantMap& fields, const QString& authToken);
    // A crash report: the device description and "crash_message", which is
    // left out when the report is not UTF-8 text.
    static QVariantMap crashLogFields(const QByteArray& report);
};
