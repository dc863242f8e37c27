#include "core/AppManager.h"
#include "support/QuickFind.h"
#include "support/TestSandbox.h"
#include "ui/QmlInterface.h"
#include "workflow/ViewController.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>


TEST(RootWindow, OpensOnTheLoginScreenWithVersionAndFooter)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    ASSERT_NE(interface.window(), nullptr);
    EXPECT_EQ(interface.rootController()->currentScreen(), QStringLiteral("LoginPlaceholder"));
    EXPECT_EQ(interface.window()->width(), 1024);

    QQuickItem* version = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (version = findQuickItem(interface.window(), "versionLabel")) != nullptr; }));
    EXPECT_EQ(version->property("text").toString(), QStringLiteral("Version ") + AppManager::getAppVersionString());
    QQuickItem* footer = findQuickItem(interface.window(), "footerLabel");
    ASSERT_NE(footer, nullptr);
    EXPECT_NE(footer->property("text").toString(), QStringLiteral("COPYRIGHTS"));

    interface.window()->show();
    const QImage frame = interface.window()->grabWindow();
    ASSERT_FALSE(frame.isNull());
    // The login background is drawn, not a blank window.
    EXPECT_NE(frame.pixelColor(10, 10), QColor(Qt::white));
}

TEST(RootWindow, RebuildReleasesTheOldWindowAndRoot)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    QPointer<QQuickWindow> oldWindow = interface.window();
    QPointer<ViewController> oldRoot = interface.rootController();
    interface.buildInterface();
    EXPECT_EQ(interface.builds(), 2);
    EXPECT_NE(interface.window(), oldWindow.data());
    ASSERT_TRUE(QTest::qWaitFor([&] { return oldWindow.isNull() && oldRoot.isNull(); }));
    EXPECT_EQ(interface.rootController()->currentScreen(), QStringLiteral("LoginPlaceholder"));
}
