#include "support/RQFile.h"

#include "platform/Sandbox.h"

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
