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

namespace {
QString& lastErrorText()
{
    static QString text;
    return text;
}

bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    const bool connected = socket.waitForConnected(200);
    socket.abort();
    return connected;
}
} // namespace

QString TestServer::lastError()
{
    return lastErrorText();
}

QString TestServer::sourcePath(const QString& relativePath)
{
    const QString root = qEnvironmentVariable("FIELDBOOK_SOURCE_DIR");
    return root.isEmpty() ? QString() : QDir(root).filePath(relativePath);
}

QString TestServer::serverDirectory()
{
    const QString chosen = qEnvironmentVariable("FIELDBOOK_SERVER_DIR");
    return chosen.isEmpty() ? sourcePath(QStringLiteral("server")) : chosen;
}

bool TestServer::orderServerAvailable()
{
    const QDir server(serverDirectory());
    return !serverDirectory().isEmpty() &&
           QFileInfo(server.filePath(QStringLiteral("bin/serve"))).isExecutable() &&
           QFileInfo::exists(server.filePath(QStringLiteral("router.php")));
}

quint16 TestServer::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

std::unique_ptr<TestServer> TestServer::startOrderServer(Duration startTimeout)
{
    if (!orderServerAvailable()) {
        lastErrorText() = QStringLiteral("no order server at '%1'").arg(serverDirectory());
        return nullptr;
    }
    std::unique_ptr<TestServer> server(new TestServer);
    server->_orderServer = true;
    const QString data = server->dataDirectory();
    QDir().mkpath(data);
    // A port can be taken between probing and binding; try another then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        server->_port = freePort();
        const QStringList arguments{QStringLiteral("--port"),    QString::number(server->_port),
                                    QStringLiteral("--data"),    data,
                                    QStringLiteral("--workers"), QStringLiteral("2")};
        if (server->launch(QDir(serverDirectory()).filePath(QStringLiteral("bin/serve")), arguments,
                           serverDirectory(), startTimeout))
            return server;
    }
    return nullptr;
}

std::unique_ptr<TestServer> TestServer::startRouter(const QString& routerScript,
                                                    Duration startTimeout)
{
    if (routerScript.isEmpty() || !QFileInfo::exists(routerScript)) {
        lastErrorText() = QStringLiteral("no router script at '%1' (is FIELDBOOK_SOURCE_DIR set?)")
                              .arg(routerScript);
        return nullptr;
    }
    std::unique_ptr<TestServer> server(new TestServer);
    const QString root = QFileInfo(routerScript).absolutePath();
    for (int attempt = 0; attempt < 3; ++attempt) {
        server->_port = freePort();
        // PHP's workers outlive their parent, so a small shell stands in front:
        // when it is told to stop (or the test process dies) it stops its whole
        // process group and waits for PHP to be gone.
        const QStringList arguments{
            QStringLiteral("-c"),
            QStringLiteral("trap 'trap \"\" TERM; kill -TERM 0; wait; exit 0' TERM; "
                           "php \"$@\" & wait"),
            QStringLiteral("php-test-server"),
            QStringLiteral("-S"),
            QStringLiteral("127.0.0.1:%1").arg(server->_port),
            QStringLiteral("-t"),
            root,
            QFileInfo(routerScript).absoluteFilePath()};
        if (server->launch(QStringLiteral("/bin/sh"), arguments, root, startTimeout))
            return server;
    }
    return nullptr;
}

std::unique_ptr<TestServer> TestServer::startTlsFront(const TestServer& backend,
                                                      const QString& certificates,
                                                      Duration startTimeout)
{
    const QString script = sourcePath(QStringLiteral("tests/support/tls_front.py"));
    std::unique_ptr<TestServer> front(new TestServer);
    front->_orderServer = backend._orderServer;
    front->_tls = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        front->_port = freePort();
        const QStringList arguments{script,
                                    QStringLiteral("--port"),    QString::number(front->_port),
                                    QStringLiteral("--backend"), QString::number(backend.port()),
                                    QStringLiteral("--certs"),   certificates};
        if (front->launch(qEnvironmentVariable("FIELDBOOK_PYTHON3", QStringLiteral("python3")),
                          arguments, QFileInfo(script).absolutePath(), startTimeout))
            return front;
    }
    return nullptr;
}

bool TestServer::launch(const QString& program, const QStringList& arguments,
                        const QString& workingDirectory, Duration startTimeout)
{
    stop();
    if (_port == 0) {
        lastErrorText() = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A slow answer must not hold up the next request of the same test.
    environment.insert(QStringLiteral("PHP_CLI_SERVER_WORKERS"), QStringLiteral("3"));
    if (_orderServer)
        environment.insert(QStringLiteral("FIELDBOOK_SERVER_DATA"), dataDirectory());

    _process = std::make_unique<QProcess>();
    _process->setProgram(program);
    _process->setArguments(arguments);
    _process->setWorkingDirectory(workingDirectory);
    _process->setProcessEnvironment(environment);
    _process->setStandardInputFile(QProcess::nullDevice());
    _process->setProcessChannelMode(QProcess::MergedChannels);
    _process->setStandardOutputFile(_directory.filePath(QStringLiteral("server.log")),
                                    QIODevice::Append);
    _process->setChildProcessModifier([] {
        // A process group of its own, so stop() reaches the PHP workers too,
        // and SIGTERM when the test process dies without stopping it.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    _process->start();
    if (!_process->waitForStarted(3000)) {
        lastErrorText() =
            QStringLiteral("%1 did not start: %2").arg(program, _process->errorString());
        _process.reset();
        return false;
    }

    const QDeadlineTimer deadline(startTimeout);
    while (!deadline.hasExpired()) {
        if (_process->state() != QProcess::Running) {
            lastErrorText() = QStringLiteral("%1 exited: %2").arg(program, log());
            _process.reset();
            return false;
        }
        if (accepts(_port))
            return true;
        QThread::msleep(50);
    }
    lastErrorText() = QStringLiteral("%1 did not listen on port %2 within %3 ms: %4")
                          .arg(program)
                          .arg(_port)
                          .arg(startTimeout.count())
                          .arg(log());
    stop();
    return false;
}

TestServer::~TestServer()
{
    stop();
}

void TestServer::stop()
{
    if (!_process)
        return;
    const qint64 pid = _process->processId();
    if (pid > 0 && _process->state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(-pid), SIGTERM);
        if (!_process->waitForFinished(5000)) {
            ::kill(static_cast<pid_t>(-pid), SIGKILL);
            _process->waitForFinished(2000);
        }
    }
    // Workers that outlived their parent still belong to the group.
    if (pid > 0)
        ::kill(static_cast<pid_t>(-pid), SIGKILL);
    _process.reset();
}

bool TestServer::isRunning() const
{
    return _process && _process->state() == QProcess::Running;
}

QString TestServer::baseUrl() const
{
    return QStringLiteral("%1://127.0.0.1:%2/%3")
        .arg(_tls ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(_port)
        .arg(_orderServer ? QStringLiteral("api/") : QString());
}

QString TestServer::url(const QString& path) const
{
    return baseUrl() + (path.startsWith(QLatin1Char('/')) ? path.mid(1) : path);
}

QString TestServer::dataDirectory() const
{
    return _orderServer ? _directory.filePath(QStringLiteral("data")) : QString();
}

QString TestServer::log() const
{
    QFile file(_directory.filePath(QStringLiteral("server.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QJsonDocument TestServer::admin(const QStringList& arguments) const
{
    QProcess process;
    process.setWorkingDirectory(serverDirectory());
    process.start(QDir(serverDirectory()).filePath(QStringLiteral("bin/admin")),
                  QStringList{QStringLiteral("--data"), dataDirectory()} + arguments);
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        lastErrorText() = QStringLiteral("admin %1 failed: %2")
                              .arg(arguments.join(QLatin1Char(' ')), QString::fromUtf8(process.readAllStandardError()));
        return QJsonDocument();
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput());
}
