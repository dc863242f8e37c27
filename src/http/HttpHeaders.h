#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The headers every request of the client carries.
class HttpHeaders
{
public:
    using List = QList<QPair<QByteArray, QByteArray>>;

    // "Accept-Language" and "User-Agent" for this device.
    static List defaults();

    // The user's preferred languages, in order ("de-DE", "de", "en-US", ...).
    static QStringList preferredLanguages();

    // "<language>;q=<q>" joined with ", ", with q = 1.0 - 0.1 * index, computed in
    // single precision and printed with one significant digit ("1", "0.9", ...).
    // The list ends after the first entry whose q is 0.5 or less.
    static QByteArray acceptLanguage(const QStringList& languages);

    // "<executable>/<version> (<model>; iOS <system version>; Scale/<scale>)"; the
    // servers of the deployment parse this form, so its words stay as they are.
    static QByteArray userAgent(const QString& executable, const QString& version,
                                const QString& model, const QString& systemVersion, double scale);
    // The same for this application and device.
    static QByteArray userAgent();

    // Latin letters lose their accents, a few letters become their usual ASCII
    // spelling, anything else that is not ASCII is dropped.
    static QString toAscii(const QString& text);
};
