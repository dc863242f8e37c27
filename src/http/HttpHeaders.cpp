#include "http/HttpHeaders.h"

#include "platform/AppInfo.h"
#include "platform/DeviceInfo.h"
#include "support/RQImage.h"

#include <QHash>
#include <QLocale>

HttpHeaders::List HttpHeaders::defaults()
{
    List headers;
    const QByteArray languages = acceptLanguage(preferredLanguages());
    if (!languages.isEmpty())
        headers.append({QByteArrayLiteral("Accept-Language"), languages});
    headers.append({QByteArrayLiteral("User-Agent"), userAgent()});
    return headers;
}

QStringList HttpHeaders::preferredLanguages()
{
    return QLocale::system().uiLanguages();
}

QByteArray HttpHeaders::acceptLanguage(const QStringList& languages)
{
    QStringList entries;
    for (qsizetype i = 0; i < languages.size(); ++i) {
        const float q = 1.0f - 0.1f * static_cast<float>(i);
        entries.append(QString::asprintf("%s;q=%0.1g", languages.at(i).toUtf8().constData(),
                                         static_cast<double>(q)));
        if (q <= 0.5f)
            break;
    }
    return entries.join(QStringLiteral(", ")).toUtf8();
}

QByteArray HttpHeaders::userAgent(const QString& executable, const QString& version,
                                  const QString& model, const QString& systemVersion, double scale)
{
    const QString text =
        QString::asprintf("%s/%s (%s; iOS %s; Scale/%0.2f)", executable.toUtf8().constData(),
                          version.toUtf8().constData(), model.toUtf8().constData(),
                          systemVersion.toUtf8().constData(), scale);
    return toAscii(text).toLatin1();
}

QByteArray HttpHeaders::userAgent()
{
    QString executable = AppInfo::value(QStringLiteral("CFBundleExecutable"));
    if (executable.isEmpty())
        executable = AppInfo::bundleIdentifier();
    QString version = AppInfo::value(QStringLiteral("CFBundleShortVersionString"));
    if (version.isEmpty())
        version = AppInfo::value(QStringLiteral("CFBundleVersion"));
    return userAgent(executable, version, DeviceInfo::model(), DeviceInfo::systemVersion(),
                     RQImage::getSystemScaleFactor());
}

QString HttpHeaders::toAscii(const QString& text)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return text;

    // Letters that do not decompose into a base letter and marks.
    static const QHash<char16_t, const char*> spelled = {
        {u'ß', "ss"}, {u'Æ', "AE"}, {u'æ', "ae"}, {u'Œ', "OE"}, {u'œ', "oe"},     {u'Ø', "O"},
        {u'ø', "o"},  {u'Ł', "L"},  {u'ł', "l"},  {u'Đ', "D"},  {u'đ', "d"},      {u'Ð', "D"},
        {u'ð', "d"},  {u'Þ', "TH"}, {u'þ', "th"}, {u'ı', "i"},  {u'‘', "'"},      {u'’', "'"},
        {u'“', "\""}, {u'”', "\""}, {u'–', "-"},  {u'—', "-"},  {u'\u00a0', " "},
    };
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            out.append(c);
            continue;
        }
        if (const auto it = spelled.constFind(c.unicode()); it != spelled.cend()) {
            out.append(QLatin1String(it.value()));
            continue;
        }
        // Compatibility decomposition splits "é" into "e" and a combining mark
        // and "ﬁ" into "fi"; whatever is left outside ASCII is dropped.
        for (const QChar part : QString(c).normalized(QString::NormalizationForm_KD)) {
            if (part.unicode() < 0x80)
                out.append(part);
        }
    }
    return out;
}
