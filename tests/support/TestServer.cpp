#include "support/TestServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    const bool connected = socket.waitForConnected(200);
    socket.abort();
    return connected;
}
} // namespace

QString TestServer::sourcePath(const QString& relativePath)
{
    const QString root = qEnvironmentVariable("FIELDBOOK_SOURCE_DIR");
    return root.isEmpty() ? QString() : QDir(root).filePath(relativePath);
}

QString TestServer::serverDirectory()
{
    const QString chosen = qEnvironmentVariable("FIELDBOOK_SERVER_DIR");
    return chosen.isEmpty() ? sourcePath(u"server"_s) : chosen;
}

quint16 TestServer::freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

std::unique_ptr<TestServer> TestServer::startOrderServer()
{
    const QString serve = QDir(serverDirectory()).filePath(u"bin/serve"_s);
    if (!QFileInfo(serve).isExecutable()) {
        _lastError = u"no order server at '%1'"_s.arg(serverDirectory());
        return nullptr;
    }
    std::unique_ptr<TestServer> server(new TestServer);
    server->_orderServer = true;
    QDir().mkpath(server->dataDirectory());
    const QStringList arguments{u"--port"_s,    u"{port}"_s, u"--data"_s, server->dataDirectory(),
                                u"--workers"_s, u"2"_s};
    return server->launch(serve, arguments, serverDirectory()) ? std::move(server) : nullptr;
}

std::unique_ptr<TestServer> TestServer::startRouter(const QString& routerScript)
{
    if (routerScript.isEmpty() || !QFileInfo::exists(routerScript)) {
        _lastError = u"no router script at '%1' (is FIELDBOOK_SOURCE_DIR set?)"_s.arg(routerScript);
        return nullptr;
    }
    std::unique_ptr<TestServer> server(new TestServer);
    const QString root = QFileInfo(routerScript).absolutePath();
    // PHP's workers outlive their parent, so a small shell stands in front:
    // when it is told to stop (or the test process dies) it stops its whole
    // process group and waits for PHP to be gone.
    const QString shell =
        u"trap 'trap \"\" TERM; kill -TERM 0; wait; exit 0' TERM; php \"$@\" & wait"_s;
    const QString router = QFileInfo(routerScript).absoluteFilePath();
    const QStringList arguments{
        u"-c"_s, shell, u"php-test-server"_s, u"-S"_s, u"127.0.0.1:{port}"_s, u"-t"_s,
        root,    router};
    return server->launch(u"/bin/sh"_s, arguments, root) ? std::move(server) : nullptr;
}

std::unique_ptr<TestServer> TestServer::startTlsFront(const TestServer& backend,
                                                      const QString& certificates)
{
    const QString script = sourcePath(u"tests/support/tls_front.py"_s);
    std::unique_ptr<TestServer> front(new TestServer);
    front->_orderServer = backend._orderServer;
    front->_tls = true;
    const QStringList arguments{script, u"{port}"_s, QString::number(backend.port()), certificates};
    const QString python = qEnvironmentVariable("FIELDBOOK_PYTHON3", u"python3"_s);
    return front->launch(python, arguments, QFileInfo(script).absolutePath()) ? std::move(front)
                                                                              : nullptr;
}

// Starts the program and waits until it listens. "{port}" in an argument
// stands for a free port, probed anew for each of three tries: a port can be
// taken between probing and binding.
bool TestServer::launch(const QString& program, const QStringList& arguments,
                        const QString& workingDirectory)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        stop();
        _port = freePort();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A slow answer must not hold up the next request of the same test.
        environment.insert(u"PHP_CLI_SERVER_WORKERS"_s, u"3"_s);
        if (_orderServer)
            environment.insert(u"FIELDBOOK_SERVER_DATA"_s, dataDirectory());

        _process = std::make_unique<QProcess>();
        _process->setWorkingDirectory(workingDirectory);
        _process->setProcessEnvironment(environment);
        _process->setStandardInputFile(QProcess::nullDevice());
        _process->setProcessChannelMode(QProcess::MergedChannels);
        _process->setStandardOutputFile(_directory.filePath(u"server.log"_s), QIODevice::Append);
        _process->setChildProcessModifier([] {
            // A process group of its own, so stop() reaches the PHP workers too,
            // and SIGTERM when the test process dies without stopping it.
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        });
        _process->start(
            program, QStringList(arguments).replaceInStrings(u"{port}"_s, QString::number(_port)));
        _process->waitForStarted(3000);
        const QDeadlineTimer deadline(20000); // openssl makes keys before a TLS front listens
        while (_process->state() == QProcess::Running && !deadline.hasExpired()) {
            if (accepts(_port))
                return true;
            QThread::msleep(50);
        }
        _lastError = u"%1 %2 on port %3: %4"_s.arg(program,
                                                   _process->state() == QProcess::Running
                                                       ? u"did not listen in time"_s
                                                       : _process->errorString(),
                                                   QString::number(_port), log());
        stop();
    }
    return false;
}

void TestServer::stop()
{
    if (!_process)
        return;
    const auto group = static_cast<pid_t>(-_process->processId());
    if (group < 0 && _process->state() != QProcess::NotRunning) {
        ::kill(group, SIGTERM);
        _process->waitForFinished(5000);
    }
    // Workers that outlived their parent still belong to the group.
    if (group < 0)
        ::kill(group, SIGKILL);
    _process.reset();
}

QString TestServer::baseUrl() const
{
    return u"%1://127.0.0.1:%2/%3"_s.arg(_tls ? u"https"_s : u"http"_s)
        .arg(_port)
        .arg(_orderServer ? u"api/"_s : QString());
}

QString TestServer::log() const
{
    QFile file(_directory.filePath(u"server.log"_s));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QJsonDocument TestServer::admin(const QStringList& arguments) const
{
    QProcess process;
    process.setWorkingDirectory(serverDirectory());
    process.start(QDir(serverDirectory()).filePath(u"bin/admin"_s),
                  QStringList{u"--data"_s, dataDirectory()} + arguments);
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        _lastError = u"admin %1 failed: %2"_s.arg(
            arguments.join(QLatin1Char(' ')), QString::fromUtf8(process.readAllStandardError()));
        return QJsonDocument();
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput());
}
