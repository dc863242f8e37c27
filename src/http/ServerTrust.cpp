#include "http/ServerTrust.h"

#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QNetworkRequest>
#include <QSslConfiguration>

Q_LOGGING_CATEGORY(lcTrust, "fieldbook.http.trust")

namespace {
struct CachedFile
{
    QString path;
    QDateTime modified;
    qint64 size = -1;
    QList<QSslCertificate> certificates;
};

CachedFile& cache()
{
    static CachedFile cached;
    return cached;
}

// The system's store is read once per process: it is large and changes only
// with a package update.
const QList<QSslCertificate>& systemCertificates()
{
    static const QList<QSslCertificate> certificates = QSslConfiguration::systemCaCertificates();
    return certificates;
}
} // namespace

QString ServerTrust::settingKey()
{
    return QStringLiteral("serverCA");
}

QList<QSslCertificate> ServerTrust::certificatesInFile(const QString& path)
{
    const QFileInfo info(path);
    CachedFile& cached = cache();
    if (cached.path == path && cached.modified == info.lastModified() && cached.size == info.size())
        return cached.certificates;

    QList<QSslCertificate> certificates;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcTrust) << "Cannot read the server CA file" << path << ":" << file.errorString();
    } else {
        const QByteArray data = file.readAll();
        certificates = QSslCertificate::fromData(data, QSsl::Pem);
        if (certificates.isEmpty())
            certificates = QSslCertificate::fromData(data, QSsl::Der);
        if (certificates.isEmpty())
            qCWarning(lcTrust) << "The server CA file" << path << "holds no certificate";
    }
    cached = CachedFile{path, info.lastModified(), info.size(), certificates};
    return certificates;
}

void ServerTrust::apply(QNetworkRequest& request)
{
    if (request.url().scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const QString path = defaults.stringForKey(settingKey());
    if (path.isEmpty())
        return; // the default configuration checks against the system's store
    // Setting the list replaces the system's store, so it goes in first.
    QSslConfiguration configuration = request.sslConfiguration();
    configuration.setCaCertificates(systemCertificates() + certificatesInFile(path));
    request.setSslConfiguration(configuration);
}
