#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// Gives a test its own sandbox: documents, caches, settings and keychain file
// in a temporary folder, a fresh store, no crash report taken over and the
// system clock. Everything is put
// back when the sandbox goes out of scope.
class TestSandbox
{
public:
    TestSandbox();
    ~TestSandbox();

    QString root() const { return _dir.path(); }
    QString documents() const;
    QString caches() const;

    // Freezes the clock at the given local time.
    static void setNow(const QDateTime& now);
    static void setNow(const QString& localTime); // "yyyy-MM-dd HH:mm:ss"
    static void restoreClock();

    // Writes a file below the sandbox root (folders created as needed).
    void writeFile(const QString& relativePath, const QByteArray& content) const;

private:
    QTemporaryDir _dir;
};
