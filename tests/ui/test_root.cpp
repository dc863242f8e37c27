#include "core/AppManager.h"
#include "support/QuickFind.h"
#include "support/TestSandbox.h"
#include "ui/QmlInterface.h"
#include "workflow/PlaceholderController.h"
#include "workflow/ViewController.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>


TEST(RootWindow, OpensOnTheLoginScreenWithVersionAndFooterAndRebuildsCleanly)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    ASSERT_NE(interface.window(), nullptr);
    ASSERT_NE(interface.rootController()->currentScreen(), nullptr);
    EXPECT_EQ(interface.window()->width(), 1024);

    QQuickItem* version = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (version = findQuickItem(interface.window(), "versionLabel")) != nullptr; }));
    EXPECT_EQ(itemText(version), QStringLiteral("Version ") + AppManager::getAppVersionString());
    EXPECT_NE(itemText(findQuickItem(interface.window(), "footerLabel")), QStringLiteral("COPYRIGHTS"));

    interface.window()->show();
    const QImage frame = interface.window()->grabWindow();
    ASSERT_FALSE(frame.isNull());
    // The background is drawn, not a blank window.
    EXPECT_NE(frame.pixelColor(10, 10), QColor(Qt::white));

    // A rebuild releases the old window and root.
    QPointer<QQuickWindow> oldWindow = interface.window();
    QPointer<ViewController> oldRoot = interface.rootController();
    interface.buildInterface();
    EXPECT_EQ(interface.builds(), 2);
    EXPECT_NE(interface.window(), oldWindow.data());
    ASSERT_TRUE(QTest::qWaitFor([&] { return oldWindow.isNull() && oldRoot.isNull(); }));
    EXPECT_NE(interface.rootController()->currentScreen(), nullptr);
}


TEST(RootWindow, TransitionFadesInAndReleasesTheReplacedScreen)
{
    TestSandbox sandbox;
    QmlInterface interface(true);
    interface.buildInterface();
    ViewController* root = interface.rootController();
    QPointer<ScreenController> first = root->currentScreen();
    ASSERT_FALSE(first.isNull());

    root->performTransition(new PlaceholderController(QStringLiteral("Orders"), QStringLiteral("next")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return itemText(findQuickItem(interface.window(), "placeholderTitle")) == "Orders"; }));
    // Only the new view is left on screen.
    int titles = 0;
    QQuickItem* host = findQuickItem(interface.window(), "screenHost");
    ASSERT_NE(host, nullptr);
    for (QQuickItem* child : host->childItems())
        titles += findQuickItem(child, QStringLiteral("placeholderTitle")) ? 1 : 0;
    EXPECT_EQ(titles, 1);
}

TEST(DialogHost, AlertsQueueAndAnswerWithTheChosenButtonAndFields)
{
    TestSandbox sandbox;
    QmlInterface interface(true);
    interface.buildInterface();
    QQuickWindow* window = interface.window();
    std::vector<QString> answers;
    interface.dialogs()->showAlert(QStringLiteral("Field Book"), QStringLiteral("First"),
                                   {QStringLiteral("OK")}, [&](int i, const QString& t) {
                                       answers.push_back(QStringLiteral("%1:%2").arg(i).arg(t));
                                   });
    interface.dialogs()->showTextEntry(QStringLiteral("Remark"), QStringLiteral("Please in put remark."),
                                       {QString(), QStringLiteral("old")}, {QStringLiteral("OK"), QStringLiteral("Cancel")},
                                       [&](int i, const QString&, const QStringList& texts) {
                                           answers.push_back(QStringLiteral("%1:%2").arg(i).arg(texts.join('|')));
                                       });
    QQuickItem* message = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        message = findQuickItem(window, "alertMessage");
        return message && itemText(message) == "First" && popupIsOpen(window, "alertDialog");
    }));
    clickItem(window, findQuickItem(window, "alertButton0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 1; }));
    EXPECT_EQ(answers[0], QStringLiteral("0:OK"));

    // The second alert follows, with its two fields.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return itemText(findQuickItem(window, "alertMessage")) == "Please in put remark." && popupIsOpen(window, "alertDialog");
    }));
    QQuickItem* field = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (field = findQuickItem(window, "alertField0")) != nullptr; }));
    field->setProperty("text", QStringLiteral("A"));
    EXPECT_EQ(itemText(findQuickItem(window, "alertField1")), QStringLiteral("old"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return findQuickItem(window, "alertButton1") != nullptr; }));
    clickItem(window, findQuickItem(window, "alertButton0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[1], QStringLiteral("0:A|old"));
}

TEST(DialogHost, ActionSheetAnswersTitleOrDismissal)
{
    TestSandbox sandbox;
    QmlInterface interface(true);
    interface.buildInterface();
    QQuickWindow* window = interface.window();
    int chosen = -2;
    QString title;
    interface.dialogs()->showActionSheet(QStringLiteral("Log out?"), QStringLiteral("Cancel"),
                                         {QStringLiteral("Log out"), QStringLiteral("Cancel")},
                                         [&](int i, const QString& t) {
                                             chosen = i;
                                             title = t;
                                         });
    QQuickItem* button = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (button = findQuickItem(window, "sheetButton0")) && popupIsOpen(window, "actionSheet"); }));
    clickItem(window, button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen != -2; }));
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(title, QStringLiteral("Log out"));
}
