#pragma once

#include <QString>

// Where the application keeps its files. Documents (database, queue file, order
// photos, crash report), caches (item pictures) and settings all live under one
// root folder:
//   <root>/Documents, <root>/Library/Caches, <root>/Library/Preferences
// (and <root>/Library/CrashCapture, where CrashCapture leaves a report).
// The root is the environment variable FIELDBOOK_HOME when set (tests and the
// demo), else the user's data location. The application directory is the
// read-only bundle: the seed database and the resource folders of pictures.
class Sandbox
{
public:
    static QString root();
    static QString documentsDirectory();
    static QString libraryDirectory();
    static QString cachesDirectory();
    static QString preferencesDirectory();
    static QString settingsFilePath();
    static QString applicationDirectory();

    // Roots everything in the given folder (empty: back to the environment).
    static void setRoot(const QString& root);
    // Points the application directory at another bundle (empty: the default).
    static void setApplicationDirectory(const QString& directory);
};
