#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

// A web server on 127.0.0.1 for the length of a test: either the reference
// order server (server/bin/serve) with a fresh data folder, or PHP's built-in
// server with a router script of the test's own. It listens on a free port,
// is ready when start() returns, and is stopped (with every process it
// started) when the object goes, also when the test failed. Should the test
// process die outright, the server gets SIGTERM from the kernel.
//
//   auto server =
//   TestServer::startRouter(TestServer::sourcePath("tests/integration/echo_router.php"));
//   ASSERT_TRUE(server) << TestServer::lastError();
//   client.postForm(server->url("echo"), ...);
class TestServer
{
public:
    using Duration = std::chrono::milliseconds;

    // The order server with its demo data; null when it is missing or does
    // not come up in time (lastError() says why).
    static std::unique_ptr<TestServer> startOrderServer(Duration startTimeout = Duration(10000));
    // `php -S 127.0.0.1:<port> <router>` with the router's folder as document root.
    static std::unique_ptr<TestServer> startRouter(const QString& routerScript,
                                                   Duration startTimeout = Duration(10000));

    // tests/support/tls_front.py: TLS on a port of its own in front of the
    // given server, with a certificate authority and a server certificate for
    // 127.0.0.1 made by openssl in `certificates` (ca.pem is the authority).
    // Its log says "handshake ok" or "handshake failed: ..." per connection.
    static std::unique_ptr<TestServer> startTlsFront(const TestServer& backend,
                                                     const QString& certificates,
                                                     Duration startTimeout = Duration(20000));

    static bool orderServerAvailable();
    // The order server's folder: FIELDBOOK_SERVER_DIR, else "server" in the source tree.
    static QString serverDirectory();
    // A path inside the source tree (FIELDBOOK_SOURCE_DIR).
    static QString sourcePath(const QString& relativePath);
    static QString lastError();
    // A 127.0.0.1 port nobody listens on right now.
    static quint16 freePort();

    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Stops the server; waits at most a few seconds, then kills it.
    void stop();

    quint16 port() const { return _port; }
    // "http://127.0.0.1:<port>/" for a router, ".../api/" for the order server
    // (https for a TLS front).
    QString baseUrl() const;
    QString url(const QString& path) const;
    // The order server's data folder (empty for a router).
    QString dataDirectory() const;
    // What the server wrote to stdout and stderr, for failure messages.
    QString log() const;
    // Runs server/bin/admin on this server's data folder ("orders", "touch-material
    // SKU TEXT", "fault updateOrder refuse 3", ...) and answers its JSON output;
    // a null document when the command failed.
    QJsonDocument admin(const QStringList& arguments) const;

private:
    TestServer() = default;
    bool launch(const QString& program, const QStringList& arguments,
                const QString& workingDirectory, Duration startTimeout);

    std::unique_ptr<QProcess> _process;
    QTemporaryDir _directory;
    quint16 _port = 0;
    bool _orderServer = false;
    bool _tls = false;
};
