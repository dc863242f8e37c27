#include "core/AppDelegate.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/FakeTransport.h"
#include "support/QuickFind.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "ui/QmlInterface.h"
#include "workflow/OrderListViewController.h"
#include "workflow/ViewController.h"

#include <QDirIterator>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
QString text(QQuickItem* item)
{
    return item ? item->property("text").toString() : QStringLiteral("<missing>");
}

void settleFrames(QQuickWindow* window)
{
    QSignalSpy frames(window, &QQuickWindow::frameSwapped);
    window->update();
    (void)QTest::qWaitFor([&] { return frames.count() >= 2; }, 1000);
}

void click(QQuickWindow* window, QQuickItem* item)
{
    ASSERT_NE(item, nullptr);
    settleFrames(window);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

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

// Pulls the list down a little: the sort and filter bar comes into view.
void pullALittle(QQuickWindow* window, QQuickItem* list)
{
    const QPointF start = list->mapToScene(QPointF(list->width() / 2, list->height() / 3));
    drag(window, start, start + QPointF(0, 70));
    (void)QTest::qWaitFor([&] { return !list->property("moving").toBool(); }, 3000);
}

struct OrderListViewFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    AppDelegate delegate{nullptr};
    std::unique_ptr<QmlInterface> interface;

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        interface = std::make_unique<QmlInterface>(true);
        interface->buildInterface();
        ASSERT_NE(interface->window(), nullptr);
        NotificationCenter::defaultCenter().post("loginSuccess");
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("orderCell0") != nullptr; }, 3000));
    }
    void TearDown() override
    {
        interface.reset();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    QQuickWindow* window() const { return interface->window(); }
    QQuickItem* item(const char* name) const { return findQuickItem(window(), name); }
    QQuickItem* in(QQuickItem* parent, const char* name) const
    {
        return findQuickItem(parent, QString::fromLatin1(name));
    }
    OrderListViewController* list() const
    {
        return qobject_cast<OrderListViewController*>(interface->rootController()->currentScreen());
    }
};
} // namespace

TEST_F(OrderListViewFixture, RendersTheRowsOfItsController)
{
    ASSERT_NE(list(), nullptr);
    QQuickItem* first = item("orderCell0");
    EXPECT_EQ(text(in(first, "firstLine")), "ACME.1004");
    EXPECT_EQ(text(in(first, "secondLine")), "1004");
    EXPECT_EQ(text(in(first, "creationDate")), "2025-04-01");
    EXPECT_TRUE(in(first, "draftMark")->isVisible());
    QQuickItem* numbered = item("orderCell1");
    EXPECT_EQ(text(in(numbered, "firstLine")), "C300-OHARA");
    EXPECT_EQ(text(in(numbered, "secondLine")), "4500002");
    EXPECT_FALSE(in(numbered, "draftMark")->isVisible());
    EXPECT_EQ(item("orderList")->property("count").toInt(), 6);
    EXPECT_FALSE(item("emptyLabel")->isVisible());

    // The rows are drawn: the first line's label holds dark text pixels once
    // the screen has faded in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("orderListView")->opacity() == 1.0; }, 2000));
    settleFrames(window());
    const QImage frame = window()->grabWindow();
    QQuickItem* label = in(first, "firstLine");
    const QRectF area = label->mapRectToScene(QRectF(0, 0, label->width(), label->height()));
    int dark = 0;
    for (int y = int(area.top()); y < int(area.bottom()); ++y)
        for (int x = int(area.left()); x < int(area.right()); ++x)
            dark += frame.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    EXPECT_GT(dark, 20);
}

TEST_F(OrderListViewFixture, TouchesSortButtonsAndSearchReachTheController)
{
    // In multiple selection a touch selects the row.
    list()->startMultiSelectionMode();
    click(window(), item("orderCell2"));
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
    pullALittle(window(), rows);
    EXPECT_GE(dateSort->mapToItem(rows, QPointF(0, 0)).y(), 0.0);
    EXPECT_FALSE(list()->refreshing());
    ASSERT_NE(dateSort, nullptr);
    click(window(), dateSort);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->dateButtonTag() == 1; }));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return text(in(item("orderCell0"), "firstLine")) == "MULLER.1005"; }));

    // Typing in the search bar filters the rows.
    QQuickItem* search = item("searchField");
    ASSERT_NE(search, nullptr);
    click(window(), search);
    for (char c : QByteArray("bolt"))
        QTest::keyClick(window(), c);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->salesOrderArray().size() == 1; }));
    EXPECT_TRUE(item("searchCancel")->isVisible());
    click(window(), item("searchCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->salesOrderArray().size() == 6; }));
    EXPECT_TRUE(text(search).isEmpty());

    // Outside selection a touch opens the order in the editor.
    click(window(), item("orderCell3"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return interface->rootController()->header()->getType() == 6; }));
    EXPECT_EQ(list(), nullptr);
}

TEST_F(OrderListViewFixture, TheDatePanelOpensAtItsButtonAndFiltersOnConfirm)
{
    TestSandbox::setNow("2025-03-15 10:00:00");
    pullALittle(window(), item("orderList"));
    click(window(), item("filterButton6"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return popupIsOpen(window(), "popover") && item("confirmButton"); }));
    EXPECT_NE(item("startDatePicker"), nullptr);
    EXPECT_NE(item("endDatePicker"), nullptr);
    click(window(), item("confirmButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));
    QStringList shown;
    for (const SalesOrder& o : list()->salesOrderArray())
        shown << o.purchaseOrderNo;
    shown.sort();
    EXPECT_EQ(shown, QStringList({"ACME.1006", "BOLT.1002"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("filterBar")->isVisible(); }));
    EXPECT_EQ(text(item("filterLabel")), "2025-03-15 – 2025-03-15");
    TestSandbox::restoreClock();
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
    ASSERT_EQ(text(title), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
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
