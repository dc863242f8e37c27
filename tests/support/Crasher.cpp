#include "support/Crasher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

extern char** environ;

QString CrasherRun::program()
{
    return QCoreApplication::applicationDirPath() + u"/fieldbook_crasher"_s;
}

CrasherRun CrasherRun::run(const QString& sandboxRoot, const QString& kind)
{
    CrasherRun result;
    QDir().mkpath(sandboxRoot);
    const QByteArray path = QFile::encodeName(program());
    const QByteArray root = QFile::encodeName(sandboxRoot);
    const QByteArray kindBytes = kind.toLocal8Bit();
    const QByteArray errorPath = QFile::encodeName(QDir(sandboxRoot).filePath(u"crasher.stderr"_s));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(root.constData()),
                    const_cast<char*>(kindBytes.constData()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    result.started = true;

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 || std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFSIGNALED(status)) {
        result.signalled = true;
        result.signal = WTERMSIG(status);
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    QFile errors(QString::fromLocal8Bit(errorPath));
    if (errors.open(QIODevice::ReadOnly))
        result.errors = errors.readAll();
    return result;
}
