#include "support/Crasher.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

using namespace Qt::StringLiterals;

QString CrasherRun::program()
{
    return QCoreApplication::applicationDirPath() + u"/fieldbook_crasher"_s;
}

CrasherRun CrasherRun::run(const QString& sandboxRoot, const QString& kind)
{
    CrasherRun result;
    QDir().mkpath(sandboxRoot);
    QProcess crasher;
    crasher.start(program(), {sandboxRoot, kind});
    result.started = crasher.waitForStarted(10000);
    if (!result.started || !crasher.waitForFinished(10000)) {
        crasher.kill();
        crasher.waitForFinished();
        return result;
    }
    // After a crash Qt reports the signal as the exit code.
    result.signalled = crasher.exitStatus() == QProcess::CrashExit;
    (result.signalled ? result.signal : result.exitCode) = crasher.exitCode();
    result.errors = crasher.readAllStandardError();
    return result;
}
