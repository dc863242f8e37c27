#include "support/TestSandbox.h"

#include "core/CrashHelper.h"
#include "platform/Clock.h"
#include "platform/CrashCapture.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "sync/SyncWorker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestSandbox::TestSandbox()
{
    SyncWorker::shutdown();
    DataManager::releaseManager();
    CrashHelper::releaseCrashHelper();
    Sandbox::setRoot(_dir.path());
    restoreClock();
}

TestSandbox::~TestSandbox()
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

QString TestSandbox::documents() const
{
    return Sandbox::documentsDirectory();
}

QString TestSandbox::caches() const
{
    return Sandbox::cachesDirectory();
}

void TestSandbox::setNow(const QDateTime& now)
{
    Clock::setNowProvider([now]() { return now; });
}

void TestSandbox::setNow(const QString& localTime)
{
    setNow(QDateTime::fromString(localTime, QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void TestSandbox::restoreClock()
{
    Clock::setNowProvider({});
}

void TestSandbox::writeFile(const QString& relativePath, const QByteArray& content) const
{
    const QString path = QDir(_dir.path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}
