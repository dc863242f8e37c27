#pragma once

#include "core/CrashHelper.h"
#include "platform/Clock.h"
#include "platform/CrashCapture.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "sync/SyncWorker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

// Gives a test its own sandbox: documents, caches, settings and keychain file
// in a temporary folder, a fresh store, no crash report taken over and the
// system clock. Everything is put back when the sandbox goes out of scope.
class TestSandbox
{
public:
    TestSandbox()
    {
        SyncWorker::shutdown();
        DataManager::releaseManager();
        CrashHelper::releaseCrashHelper();
        Sandbox::setRoot(_dir.path());
        restoreClock();
    }
    ~TestSandbox()
    {
        // An answer still being read belongs to this test's database.
        SyncWorker::shutdown();
        DataManager::releaseManager();
        // No crash question or stand-in capture carries over to the next test.
        CrashHelper::releaseCrashHelper();
        CrashCapture::setShared(nullptr);
        restoreClock();
        Sandbox::setRoot(QString());
    }

    QString root() const { return _dir.path(); }
    QString documents() const { return Sandbox::documentsDirectory(); }
    QString caches() const { return Sandbox::cachesDirectory(); }

    // Freezes the clock at the given local time.
    static void setNow(const QDateTime& now)
    {
        Clock::setNowProvider([now]() { return now; });
    }
    static void setNow(const QString& localTime) // "yyyy-MM-dd HH:mm:ss"
    {
        setNow(QDateTime::fromString(localTime, QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    static void restoreClock() { Clock::setNowProvider({}); }

    // Writes a file below the sandbox root (folders created as needed).
    void writeFile(const QString& relativePath, const QByteArray& content) const
    {
        const QString path = QDir(_dir.path()).filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

private:
    QTemporaryDir _dir;
};
