#pragma once

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"

#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The reference order server on 127.0.0.1 with the tablet pointed at it, as
// the demo salesman. Declare it after the test's sandbox and before any
// screens: the screens go first, then the managers, then the server.
//
//   DemoSession session;
//   ASSERT_NO_FATAL_FAILURE(session.logIn());
struct DemoSession
{
    std::unique_ptr<TestServer> server;
    std::unique_ptr<AppDelegate> delegate;
    QObject observer;
    // "loginSuccess", "loginFailed", "updateSuccess", "updateFailed" and
    // "uploadComplete" as they are posted, and the message of the last one.
    QStringList events;
    QString message;

    DemoSession()
    {
        for (const char* name :
             {"loginSuccess", "loginFailed", "updateSuccess", "updateFailed", "uploadComplete"}) {
            const QString n = QString::fromLatin1(name);
            NotificationCenter::defaultCenter().addObserver(
                &observer, n, [this, n](const QVariantMap& info) {
                    events << n;
                    message = info.value("message").toString();
                });
        }
    }
    ~DemoSession()
    {
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        Session::setAuthToken(QString());
    }

    // Starts the server and makes the app delegate; fails the test when the
    // server does not come up.
    void start()
    {
        server = TestServer::startOrderServer();
        ASSERT_TRUE(server) << qPrintable(TestServer::lastError());
        UserDefaults::standard().setObject(server->baseUrl(), "host");
        delegate = std::make_unique<AppDelegate>(nullptr);
        delegate->setUserName("demo");
    }
    // Logs in on line (starting the server first if need be) and waits for
    // the login to succeed; the events seen so far are then forgotten.
    void logIn()
    {
        if (!server) {
            ASSERT_NO_FATAL_FAILURE(start());
        }
        AppManager::loginWithUsername("demo", "demo1234");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 20000))
            << qPrintable(server->log());
        ASSERT_EQ(events, QStringList({"loginSuccess"})) << qPrintable(server->log());
        events.clear();
    }
};
