#include "core/AppManager.h"
#include "support/QuickFind.h"
#include "support/TestSandbox.h"
#include "ui/QmlInterface.h"
#include "workflow/ViewController.h"

#include <QPointer>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(RootWindow, OpensOnTheLoginScreenWithVersionAndFooterAndRebuildsCleanly)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    ASSERT_NE(interface.window(), nullptr);
    EXPECT_EQ(interface.window()->width(), 1024);
    const QString version = "Version " + AppManager::getAppVersionString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return itemText(findQuickItem(interface.window(), "versionLabel")) == version; }));
    EXPECT_NE(itemText(findQuickItem(interface.window(), "footerLabel")), u"COPYRIGHTS"_s);

    interface.window()->show();
    // The background is drawn.
    EXPECT_NE(interface.window()->grabWindow().pixelColor(10, 10), QColor(Qt::white));

    // A rebuild releases the old window and root.
    QPointer<QQuickWindow> oldWindow = interface.window();
    QPointer<ViewController> oldRoot = interface.rootController();
    interface.buildInterface();
    EXPECT_NE(interface.window(), oldWindow.data());
    ASSERT_TRUE(QTest::qWaitFor([&] { return oldWindow.isNull() && oldRoot.isNull(); }));
    EXPECT_NE(interface.rootController()->currentScreen(), nullptr);
}
