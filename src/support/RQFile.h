#pragma once

#include <QString>

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
};
