#include "core/AppManager.h"
#include "support/ScreenFixture.h"
#include "workflow/PurchaseListViewController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace {
// Logged in as alice, with the draft ACME.1001 (A100 5 CS, A120 2 PC and
// B200 1 CS in the promotion P100) open in the editor and its add-item command
// pressed: the purchase list, as a salesman reaches it.
struct PurchaseViewFixture : ScreenFixture
{
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ScreenFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(logIn());
        NotificationCenter& center = NotificationCenter::defaultCenter();
        const std::optional<SalesOrder> order = AppManager::getSalesOrder("ACME.1001");
        ASSERT_TRUE(order);
        center.post("rowclicked", {{"order number", QVariant::fromValue(*order)}});
        center.post("headerViewbuttonClicked", {{"headerViewButtonTag", 33}});
        ASSERT_NE(purchase(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("purchaseCell0") != nullptr; }, 3000));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return item("purchaseListView")->opacity() == 1.0; }, 2000));
    }
    PurchaseListViewController* purchase() const { return screen<PurchaseListViewController>(); }
    // A row as drawn: "A120 Item A120 [2PC]", without brackets when no badge shows.
    QString row(int n) const
    {
        QQuickItem* cell = item(qPrintable(QStringLiteral("purchaseCell%1").arg(n)));
        QQuickItem* badge = cell ? in(cell, "badgeView") : nullptr;
        return !cell ? QString()
                     : itemText(in(cell, "skuCodeLabel")) + ' ' +
                           itemText(in(cell, "descriptionLabel")) +
                           (badge->isVisible() ? " [" + itemText(in(badge, "badgeLabel")) + ']'
                                               : QString());
    }
    static bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, 3000);
    }
};
} // namespace

TEST_F(PurchaseViewFixture, RowsDrawTheOrdersBadgesAndATouchAsksForTheQuantityBelowIt)
{
    // B200 is ordered only inside P100: no badge in the catalogue.
    EXPECT_EQ(QStringList({row(0), row(1), row(2)}),
              QStringList({"A120 Item A120 [2PC]", "A100 Item A100 [5CS]", "B200 Item B200"}));
    // The badge is drawn: red pixels at its place.
    settleFrames(window());
    QQuickItem* badge = in(item("purchaseCell0"), "badgeView");
    const QColor colour = window()->grabWindow().pixelColor(
        badge->mapToScene(QPointF(5, badge->height() / 2)).toPoint());
    EXPECT_GT(colour.red(), 150);
    EXPECT_LT(colour.green(), 100);

    clickItem(window(), item("purchaseCell1"));
    ASSERT_TRUE(waitFor([&] { return popupIsOpen(window(), "popover") && item("quantityField"); }));
    QQuickItem* field = item("quantityField");
    EXPECT_EQ(itemText(field), "5");
    // The popover stands below the touched row.
    QObject* popover = window()->findChild<QObject*>("popover");
    ASSERT_NE(popover, nullptr);
    QQuickItem* touched = item("purchaseCell1");
    EXPECT_GE(popover->property("y").toReal(),
              touched->mapToScene(QPointF(0, touched->height())).y() - 1);

    // The field holds the focus with its text selected: typing replaces it.
    ASSERT_TRUE(waitFor([&] { return field->hasActiveFocus(); }));
    QTest::keyClick(window(), '8');
    clickItem(window(), item("unitLabel"));
    ASSERT_TRUE(waitFor([&] { return purchase()->popOverController()->capacity() == "PC"; }));
    clickItem(window(), item("quantityConfirm"));
    EXPECT_TRUE(waitFor([&] { return row(1) == "A100 Item A100 [8CS]"; })) << qPrintable(row(1));
}

TEST_F(PurchaseViewFixture, CategoryButtonsOpenTheirSheetAndSearchFilters)
{
    clickItem(window(), item("cateButton2"));
    ASSERT_TRUE(
        waitFor([&] { return popupIsOpen(window(), "actionSheet") && item("sheetButton0"); }));
    EXPECT_EQ(itemText(item("sheetButton0")), "Dry");
    clickItem(window(), item("sheetButton0"));
    ASSERT_TRUE(waitFor([&] { return itemText(item("cateButton2")) == "Dry"; }));

    QQuickItem* search = item("searchField");
    clickItem(window(), search);
    for (char c : QByteArray("b2"))
        QTest::keyClick(window(), c);
    const auto count = [&] { return item("purchaseList")->property("count").toInt(); };
    ASSERT_TRUE(waitFor([&] { return count() == 1; }));
    clickItem(window(), item("searchCancel"));
    ASSERT_TRUE(waitFor([&] { return count() == 4; }));
    EXPECT_TRUE(itemText(search).isEmpty());

    clickItem(window(), item("cateCancelButton"));
    ASSERT_TRUE(waitFor([&] { return itemText(item("cateButton2")) == "Category2"; }));

    // The promotion button shows the promotions and turns the categories off.
    clickItem(window(), item("promoButton"));
    ASSERT_TRUE(waitFor([&] { return row(0).startsWith("Spring Deal "); }));
    EXPECT_FALSE(item("cateButton1")->isEnabled());
}
