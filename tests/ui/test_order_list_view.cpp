// The order list drawn offscreen, every view compiling, and the root window.
#include "core/AppManager.h"
#include "platform/Strings.h"
#include "support/DarkPixels.h"
#include "support/ScreenFixture.h"
#include "workflow/OrderListViewController.h"

#include <QDirIterator>
#include <QPointer>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
// Drags with the mouse, as a finger would, in small steps.
void drag(QQuickWindow* window, QPointF from, QPointF to)
{
    settleFrames(window);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from.toPoint());
    for (int step = 1; step <= 12; ++step) {
        QTest::qWait(16);
        QTest::mouseMove(window, (from + (to - from) * step / 12.0).toPoint());
    }
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, to.toPoint());
}

struct OrderListViewFixture : ScreenFixture
{
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ScreenFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(logIn());
    }
    OrderListViewController* list() const { return screen<OrderListViewController>(); }
};
} // namespace

TEST_F(OrderListViewFixture, RendersTheRowsOfItsController)
{
    ASSERT_NE(list(), nullptr);
    // A draft shows its own number, a numbered order the customer and the
    // server's number.
    QQuickItem* first = item("orderCell0");
    QStringList shown;
    for (QQuickItem* cell : {first, item("orderCell1")})
        for (const char* name : {"firstLine", "secondLine", "creationDate"})
            shown << itemText(in(cell, name));
    EXPECT_EQ(shown.join('|'), "ACME.1004|1004|2025-04-01|C300-OHARA|4500002|2025-03-31");
    EXPECT_TRUE(in(first, "draftMark")->isVisible());
    EXPECT_FALSE(in(item("orderCell1"), "draftMark")->isVisible());
    EXPECT_EQ(item("orderList")->property("count").toInt(), 6);
    EXPECT_FALSE(item("emptyLabel")->isVisible());

    // The rows are drawn once the screen has faded in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("orderListView")->opacity() == 1.0; }, 2000));
    EXPECT_GT(darkPixels(window(), in(first, "firstLine"), 100), 20);
}

TEST_F(OrderListViewFixture, TouchesSortButtonsAndSearchReachTheController)
{
    // In multiple selection a touch selects the row.
    list()->startMultiSelectionMode();
    clickItem(window(), item("orderCell2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->selectedRowNo() == 1; }));
    EXPECT_TRUE(item("orderCell2")->property("selected").toBool());
    EXPECT_TRUE(in(item("orderCell2"), "selectionMark")->isVisible());
    list()->stopMultiSelectionMode();
    EXPECT_FALSE(item("orderCell2")->property("selected").toBool());

    // The sort bar waits above the first row (as far as the rows let it)
    // until the list is pulled to its top.
    QQuickItem* rows = item("orderList");
    QQuickItem* dateSort = item("sortButtonDate");
    ASSERT_NE(dateSort, nullptr);
    EXPECT_LT(dateSort->mapToItem(rows, QPointF(0, 0)).y(), 0.0);
    const QPointF start = rows->mapToScene(QPointF(rows->width() / 2, rows->height() / 3));
    drag(window(), start, start + QPointF(0, 70));
    (void)QTest::qWaitFor([&] { return !rows->property("moving").toBool(); }, 3000);
    EXPECT_GE(dateSort->mapToItem(rows, QPointF(0, 0)).y(), 0.0);
    EXPECT_FALSE(list()->refreshing()); // a short pull does not refresh
    clickItem(window(), dateSort);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return itemText(in(item("orderCell0"), "firstLine")) == "MULLER.1005"; }));

    // Typing in the search bar filters the rows.
    QQuickItem* search = item("searchField");
    clickItem(window(), search);
    for (char c : QByteArray("bolt"))
        QTest::keyClick(window(), c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->salesOrderArray().size() == 1; }));
    clickItem(window(), item("searchCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->salesOrderArray().size() == 6; }));
    EXPECT_TRUE(itemText(search).isEmpty());
}

TEST_F(OrderListViewFixture, PullingFurtherRefreshesTheData)
{
    QQuickItem* rows = item("orderList");
    const QPointF start = rows->mapToScene(QPointF(rows->width() / 2, 40));
    drag(window(), start, start + QPointF(0, 400));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->refreshing(); }));
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_TRUE(item("refreshSpinner")->isVisible());
    transport->fail(-1009);
    EXPECT_FALSE(list()->refreshing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !item("refreshSpinner")->isVisible(); }));
}

TEST_F(OrderListViewFixture, TheMenuIndicatorFollowsTheTitle)
{
    QQuickItem* indicator = item("headerMenuIndicator");
    QQuickItem* title = item("headerTitleLabel");
    QQuickItem* bar = item("headerBar");
    ASSERT_TRUE(indicator && title && bar);
    auto expected = [&] { return (title->implicitWidth() + bar->width()) / 2; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return qAbs(indicator->x() - expected()) < 0.5; }));
    const qreal before = indicator->x();
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", 20}});
    ASSERT_EQ(itemText(title), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return qAbs(indicator->x() - expected()) < 0.5; }, 2000));
    EXPECT_NE(indicator->x(), before);
    EXPECT_TRUE(indicator->isVisible());
}

TEST(QmlViews, EveryViewCompiles)
{
    TestSandbox sandbox;
    QmlInterface interface(false); // the engine with its context and image provider
    int views = 0;
    QDirIterator it(":/qml", {"*.qml"});
    while (it.hasNext()) {
        const QString path = it.next();
        QQmlComponent component(interface.engine(), QUrl("qrc" + path));
        EXPECT_EQ(component.status(), QQmlComponent::Ready)
            << path.toStdString() << ": " << component.errorString().toStdString();
        ++views;
    }
    EXPECT_GT(views, 10);
}

TEST(RootWindow, OpensOnTheLoginScreenWithVersionAndFooterAndRebuildsCleanly)
{
    TestSandbox sandbox;
    QmlInterface interface(false);
    interface.buildInterface();
    ASSERT_NE(interface.window(), nullptr);
    const QString version = "Version " + AppManager::getAppVersionString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return itemText(findQuickItem(interface.window(), "versionLabel")) == version; }));
    EXPECT_NE(itemText(findQuickItem(interface.window(), "footerLabel")), "COPYRIGHTS");
    interface.window()->show();
    // The background is drawn.
    EXPECT_NE(interface.window()->grabWindow().pixelColor(10, 10), QColor(Qt::white));

    // A rebuild (a new day) releases the old window and root.
    QPointer<QQuickWindow> oldWindow = interface.window();
    QPointer<ViewController> oldRoot = interface.rootController();
    interface.buildInterface();
    EXPECT_NE(interface.window(), oldWindow.data());
    ASSERT_TRUE(QTest::qWaitFor([&] { return oldWindow.isNull() && oldRoot.isNull(); }));
    EXPECT_NE(interface.rootController()->currentScreen(), nullptr);
}
