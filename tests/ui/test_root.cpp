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

namespace {
// Waits until the window shows the named item with that text.
::testing::AssertionResult shows(QQuickWindow* window, const char* name, const QString& text)
{
    if (QTest::qWaitFor([&] { return itemText(findQuickItem(window, name)) == text; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << name << " shows " << qPrintable(itemText(findQuickItem(window, name)));
}
} // namespace

TEST(RootWindow, OpensOnTheLoginScreenWithVersionAndFooterAndRebuildsCleanly)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    ASSERT_NE(interface.window(), nullptr);
    EXPECT_EQ(interface.window()->width(), 1024);
    EXPECT_TRUE(
        shows(interface.window(), "versionLabel", "Version " + AppManager::getAppVersionString()));
    EXPECT_NE(itemText(findQuickItem(interface.window(), "footerLabel")), u"COPYRIGHTS"_s);

    interface.window()->show();
    const QImage frame = interface.window()->grabWindow();
    ASSERT_FALSE(frame.isNull());
    EXPECT_NE(frame.pixelColor(10, 10), QColor(Qt::white)); // the background is drawn

    // A rebuild releases the old window and root.
    QPointer<QQuickWindow> oldWindow = interface.window();
    QPointer<ViewController> oldRoot = interface.rootController();
    interface.buildInterface();
    EXPECT_NE(interface.window(), oldWindow.data());
    ASSERT_TRUE(QTest::qWaitFor([&] { return oldWindow.isNull() && oldRoot.isNull(); }));
    EXPECT_NE(interface.rootController()->currentScreen(), nullptr);
}

// Clicking the alerts' buttons, and a sheet's, is the screens' tests; here
// that alerts wait their turn and answer with their fields.
TEST(DialogHost, AlertsQueueAndAnswerWithTheChosenButtonAndFields)
{
    TestSandbox sandbox;
    QmlInterface interface(true);
    interface.buildInterface();
    QQuickWindow* window = interface.window();
    QStringList answers;
    interface.dialogs()->showAlert(
        u"Field Book"_s, u"First"_s, {u"OK"_s},
        [&](int i, const QString& t) { answers << u"%1:%2"_s.arg(i).arg(t); });
    interface.dialogs()->showTextEntry(u"Remark"_s, u"Please in put remark."_s,
                                       {QString(), u"old"_s}, {u"OK"_s, u"Cancel"_s},
                                       [&](int i, const QString&, const QStringList& texts) {
                                           answers << u"%1:%2"_s.arg(i).arg(texts.join('|'));
                                       });
    ASSERT_TRUE(shows(window, "alertMessage", "First"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupIsOpen(window, "alertDialog"); }));
    clickItem(window, findQuickItem(window, "alertButton0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 1; }));

    // The second alert follows, with its two fields.
    ASSERT_TRUE(shows(window, "alertMessage", "Please in put remark."));
    ASSERT_TRUE(shows(window, "alertField1", "old"));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return popupIsOpen(window, "alertDialog") && findQuickItem(window, "alertButton1");
    }));
    findQuickItem(window, "alertField0")->setProperty("text", u"A"_s);
    clickItem(window, findQuickItem(window, "alertButton0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, QStringList({"0:OK", "0:A|old"}));
}
