#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

class QNetworkRequest;

// What an https order server's certificate is checked against: the system's
// trust store, plus the certificates in the file that the "serverCA" setting
// names (a company's own certificate authority, PEM or DER). Like the host,
// the setting is read at every request, so a change takes effect without a
// restart. Plain http requests are left as they are.
//
// A certificate that fails the check ends the request with
// HttpError::ServerCertificateUntrusted, which is never taken for "off line".
class ServerTrust
{
public:
    // "serverCA"
    static QString settingKey();

    // Gives an https request the trust described above.
    static void apply(QNetworkRequest& request);

    // The certificates of the given file, read again only when the file
    // changed; empty (with a warning in the log) when it cannot be read or
    // holds none.
    static QList<QSslCertificate> certificatesInFile(const QString& path);
};
