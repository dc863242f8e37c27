#pragma once

#include "core/AppDelegate.h"
#include "platform/NotificationCenter.h"
#include "support/FakeTransport.h"
#include "support/QuickFind.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/UploadManager.h"
#include "ui/QmlInterface.h"
#include "workflow/ViewController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// Field Book drawn offscreen over the seeded store, with alice logged in.
// Screen tests derive from it: SetUp seeds the store, a derived SetUp may add
// to the sandbox, then logIn() builds the interface and waits for the order
// list, which is where every salesman starts.
struct ScreenFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    AppDelegate delegate{nullptr};
    std::unique_ptr<QmlInterface> interface;

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(StoreFixtures::seedAll());
        delegate.setUserName(StoreFixtures::kAlice);
    }
    void TearDown() override
    {
        interface.reset();
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }

    void logIn()
    {
        interface = std::make_unique<QmlInterface>(true);
        interface->buildInterface();
        ASSERT_NE(interface->window(), nullptr);
        NotificationCenter::defaultCenter().post("loginSuccess");
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("orderCell0") != nullptr; }, 3000));
    }

    QQuickWindow* window() const { return interface->window(); }
    QQuickItem* item(const char* name) const { return findQuickItem(window(), name); }
    QQuickItem* in(QQuickItem* parent, const char* name) const
    {
        return findQuickItem(parent, QString::fromLatin1(name));
    }
    ScreenController* current() const { return interface->rootController()->currentScreen(); }
    template <typename Screen> Screen* screen() const { return qobject_cast<Screen*>(current()); }
};
