#pragma once

#include <QString>
#include <QStringList>

// Sandbox paths. Names are joined to their directory with exactly one "/"
// between them; a null name gives a null path.
class RQFile
{
public:
    static QString getDocumentsDirectory();
    static QString getCachesDirectory();
    static QString makeFilePathInApplication(const QString& name);
    static QString makeFilePathInDocument(const QString& name);
    static QString makeFilePathInCache(const QString& relativePath);

    static QString joinPath(const QString& directory, const QString& name);

    // A name beside the file for keeping a damaged copy of it:
    // "<path>.<label>-<yyyyMMdd-HHmmss>", with "-2", "-3", ... added until no
    // file of that name, nor of that name followed by any of the suffixes
    // (for files that travel with companions such as "-wal"), exists.
    static QString freeAsidePath(const QString& path, const QString& label,
                                 const QStringList& suffixes = {});
    // Renames the file to freeAsidePath(); the new path, or a null text when
    // the file could not be moved (then it is left where it was). An existing
    // file is never overwritten.
    static QString keepAside(const QString& path, const QString& label);
};
