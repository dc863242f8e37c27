#include "support/RQFile.h"

#include "platform/Clock.h"
#include "platform/Sandbox.h"

#include <QFile>
#include <QFileInfo>

QString RQFile::joinPath(const QString& directory, const QString& name)
{
    if (name.isNull())
        return QString();
    qsizetype start = 0;
    while (start < name.size() && name.at(start) == QLatin1Char('/'))
        ++start;
    QString base = directory;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1Char('/') + name.mid(start);
}

QString RQFile::getDocumentsDirectory()
{
    return Sandbox::documentsDirectory();
}

QString RQFile::getCachesDirectory()
{
    return Sandbox::cachesDirectory();
}

QString RQFile::makeFilePathInApplication(const QString& name)
{
    return joinPath(Sandbox::applicationDirectory(), name);
}

QString RQFile::makeFilePathInDocument(const QString& name)
{
    return joinPath(Sandbox::documentsDirectory(), name);
}

QString RQFile::makeFilePathInCache(const QString& relativePath)
{
    return joinPath(Sandbox::cachesDirectory(), relativePath);
}

QString RQFile::freeAsidePath(const QString& path, const QString& label, const QStringList& suffixes)
{
    const QString stem = path + QLatin1Char('.') + label + QLatin1Char('-') +
                         Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    auto taken = [&suffixes](const QString& candidate) {
        if (QFileInfo::exists(candidate))
            return true;
        for (const QString& suffix : suffixes) {
            if (QFileInfo::exists(candidate + suffix))
                return true;
        }
        return false;
    };
    QString candidate = stem;
    for (int n = 2; taken(candidate); ++n)
        candidate = stem + QLatin1Char('-') + QString::number(n);
    return candidate;
}

QString RQFile::keepAside(const QString& path, const QString& label)
{
    const QString aside = freeAsidePath(path, label);
    // QFile::rename refuses an existing target, so nothing is overwritten
    // even if a file of that name appeared in the meantime.
    return QFile::rename(path, aside) ? aside : QString();
}
