#include "http/HttpError.h"

#include "platform/Strings.h"

#include <QRegularExpression>

HttpError::HttpError(int code, const QString& description, int httpStatus, const QString& detail)
    : _code(code), _description(description), _httpStatus(httpStatus),
      _detail(detail.isEmpty() ? description : detail)
{}

bool HttpError::isOfflineCode(int code)
{
    return code == NetworkConnectionLost || code == CannotConnectToHost ||
           code == NotConnectedToInternet;
}

bool HttpError::isOffline() const
{
    return isOfflineCode(_code);
}

HttpError HttpError::timedOut()
{
    return HttpError(TimedOut, QStringLiteral("The request timed out."));
}

HttpError HttpError::fromNetworkError(QNetworkReply::NetworkError error,
                                      const QString& transportText)
{
    const auto lost = [&] {
        return HttpError(NetworkConnectionLost, QStringLiteral("The network connection was lost."),
                         0, transportText);
    };
    const auto cannotConnect = [&] {
        return HttpError(CannotConnectToHost, QStringLiteral("Could not connect to the server."), 0,
                         transportText);
    };
    const auto notConnected = [&] {
        return HttpError(NotConnectedToInternet,
                         QStringLiteral("The device is not connected to a network."), 0,
                         transportText);
    };

    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return lost();
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
        return cannotConnect();
    case QNetworkReply::NetworkSessionFailedError:
        return notConnected();
    case QNetworkReply::TimeoutError:
        return timedOut();
    case QNetworkReply::SslHandshakeFailedError: {
        // The salesman reads the reason, not the transport's preamble.
        QString reason = transportText;
        reason.remove(QRegularExpression(QStringLiteral("^SSL handshake failed: ")));
        return HttpError(ServerCertificateUntrusted,
                         Strings::localized("HTTP_SERVER_CERTIFICATE_UNTRUSTED").arg(reason), 0,
                         transportText);
    }
    case QNetworkReply::UnknownNetworkError:
        // The socket layer has no error of its own for missing routes; it
        // reports them as a plain network error with the system's words.
        if (transportText.contains(QLatin1String("Network unreachable"), Qt::CaseInsensitive))
            return notConnected();
        if (transportText.contains(QLatin1String("Host unreachable"), Qt::CaseInsensitive))
            return cannotConnect();
        break;
    default:
        break;
    }
    return HttpError(Unknown,
                     transportText.isEmpty() ? QStringLiteral("Unknown error") : transportText);
}
