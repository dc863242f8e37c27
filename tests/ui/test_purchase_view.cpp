#include "core/AppManager.h"
#include "support/ScreenFixture.h"
#include "workflow/PurchaseListViewController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

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
    QString badgeOf(const char* cell) const
    {
        QQuickItem* badge = in(item(cell), "badgeView");
        return badge && badge->isVisible() ? itemText(in(badge, "badgeLabel")) : QString();
    }
};
} // namespace

TEST_F(PurchaseViewFixture, RendersTheCatalogueWithTheOrdersBadges)
{
    QQuickItem* first = item("purchaseCell0");
    EXPECT_EQ(itemText(in(first, "skuCodeLabel")), "A120");
    EXPECT_EQ(itemText(in(first, "descriptionLabel")), "Item A120");
    EXPECT_EQ(first->height(), 60);
    EXPECT_EQ(badgeOf("purchaseCell0"), "2PC");
    // B200 is ordered only inside P100: no badge in the catalogue.
    EXPECT_EQ(badgeOf("purchaseCell2"), QString());
    EXPECT_EQ(itemText(item("cateButton1")), "Category1");

    // The badge is drawn: red pixels at its place.
    settleFrames(window());
    const QImage frame = window()->grabWindow();
    QQuickItem* badge = in(first, "badgeView");
    const QPointF centre = badge->mapToScene(QPointF(5, badge->height() / 2));
    const QColor colour = frame.pixelColor(centre.toPoint());
    EXPECT_GT(colour.red(), 150);
    EXPECT_LT(colour.green(), 100);
}

TEST_F(PurchaseViewFixture, TouchingAnItemAsksForTheQuantityAtItsRow)
{
    clickItem(window(), item("purchaseCell1"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return popupIsOpen(window(), "popover") && item("quantityField"); }));
    QQuickItem* field = item("quantityField");
    EXPECT_EQ(itemText(field), "5");
    QuantityInputPopoverViewController* quantity = purchase()->popOverController();
    ASSERT_NE(quantity, nullptr);
    // The popover stands below the touched row.
    QQuickItem* row = item("purchaseCell1");
    QObject* popover = window()->findChild<QObject*>("popover");
    ASSERT_NE(popover, nullptr);
    EXPECT_GE(popover->property("y").toReal(), row->mapToScene(QPointF(0, row->height())).y() - 1);

    // The field holds the focus with its text selected: typing replaces it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasActiveFocus(); }));
    QTest::keyClick(window(), '8');
    clickItem(window(), item("unitLabel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return quantity->capacity() == "PC"; }));
    clickItem(window(), item("quantityConfirm"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));
    EXPECT_EQ(purchase()->getPurchaseItemList().value("A100").quantity, 8);
    ASSERT_TRUE(QTest::qWaitFor([&] { return badgeOf("purchaseCell1") == "8CS"; }));
}

TEST_F(PurchaseViewFixture, CategoryButtonsOpenTheirSheetAndSearchFilters)
{
    clickItem(window(), item("cateButton2"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popupIsOpen(window(), "actionSheet") && item("sheetButton0"); }));
    EXPECT_EQ(itemText(item("sheetButton0")), "Dry");
    clickItem(window(), item("sheetButton0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return itemText(item("cateButton2")) == "Dry"; }));

    QQuickItem* search = item("searchField");
    clickItem(window(), search);
    for (char c : QByteArray("b2"))
        QTest::keyClick(window(), c);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return item("purchaseList")->property("count").toInt() == 1; }));
    EXPECT_EQ(itemText(in(item("purchaseCell0"), "skuCodeLabel")), "B200");
    EXPECT_TRUE(item("searchCancel")->isVisible());
    clickItem(window(), item("searchCancel"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return item("purchaseList")->property("count").toInt() == 4; }));
    EXPECT_TRUE(itemText(search).isEmpty());

    clickItem(window(), item("cateCancelButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return itemText(item("cateButton2")) == "Category2"; }));
}

TEST_F(PurchaseViewFixture, PromotionsOpenTheirProductsWithThePromotionsLines)
{
    clickItem(window(), item("promoButton"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return itemText(in(item("purchaseCell0"), "skuCodeLabel")) == "Spring Deal"; }));
    EXPECT_FALSE(item("cateButton1")->isEnabled());
    EXPECT_TRUE(item("cateCancelButton")->isEnabled());
    // ACME.1001 has a line in P100 (Spring Deal), none in P200.
    EXPECT_EQ(badgeOf("purchaseCell0"), " ");
    EXPECT_EQ(badgeOf("purchaseCell1"), QString());

    clickItem(window(), item("purchaseCell0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("promoProductView") != nullptr; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("purchaseListView") == nullptr; }, 3000));
    EXPECT_EQ(itemText(item("promoNameLabel")), "Spring Deal description");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("purchaseCell1") != nullptr; }));
    EXPECT_EQ(itemText(in(item("purchaseCell0"), "skuCodeLabel")), "A100");
    EXPECT_EQ(badgeOf("purchaseCell0"), QString()); // the plain A100 line is not in the promotion
    EXPECT_EQ(badgeOf("purchaseCell1"), "1CS");     // B200_promoP100

    // Back: a new purchase list with every line, the promotion's included.
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", 51}});
    ASSERT_NE(purchase(), nullptr);
    EXPECT_EQ(purchase()->getPurchaseItemList().keys(),
              QStringList({"A100", "A120", "B200_promoP100"}));
}
