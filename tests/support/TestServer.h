#pragma once

#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A web server on 127.0.0.1 for the length of a test: the reference order
// server (server/bin/serve) with a fresh data folder, PHP's built-in server
// with a router script of the test's own, or a TLS front before either. It
// listens on a free port when start*() returns, and is stopped (with every
// process it started) when the object goes, also when the test failed or the
// test process dies. On failure start*() answer null and lastError() says why.
class TestServer
{
public:
    static std::unique_ptr<TestServer> startOrderServer();
    // `php -S 127.0.0.1:<port> <router>` with the router's folder as document root.
    static std::unique_ptr<TestServer> startRouter(const QString& routerScript);
    // tests/support/tls_front.py before `backend`, its authority (ca.pem) and
    // certificate in `certificates`. Its log says "handshake ok" or "handshake
    // failed: ..." per connection.
    static std::unique_ptr<TestServer> startTlsFront(const TestServer& backend,
                                                     const QString& certificates);

    // FIELDBOOK_SERVER_DIR, else "server" in the source tree (FIELDBOOK_SOURCE_DIR).
    static QString serverDirectory();
    static QString sourcePath(const QString& relativePath);
    static QString lastError() { return _lastError; }
    // A 127.0.0.1 port nobody listens on right now.
    static quint16 freePort();

    ~TestServer() { stop(); }
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Waits at most a few seconds, then kills.
    void stop();

    quint16 port() const { return _port; }
    // "http://127.0.0.1:<port>/", with "api/" for the order server, https for a TLS front.
    QString baseUrl() const;
    QString url(const QString& path) const { return baseUrl() + path; }
    // The order server's data folder (empty for a router).
    QString dataDirectory() const
    {
        return _orderServer ? _directory.filePath(QStringLiteral("data")) : QString();
    }
    // What the server wrote to stdout and stderr.
    QString log() const;
    // server/bin/admin on this server's data ("orders", "fault updateOrder refuse 3", ...):
    // its JSON output, or a null document when the command failed.
    QJsonDocument admin(const QStringList& arguments) const;

private:
    TestServer() = default;
    bool launch(const QString& program, const QStringList& arguments,
                const QString& workingDirectory);

    static inline QString _lastError;
    std::unique_ptr<QProcess> _process;
    QTemporaryDir _directory;
    quint16 _port = 0;
    bool _orderServer = false;
    bool _tls = false;
};
