#include "core/AppManager.h"
#include "support/ScreenFixture.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderListViewController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
// Dark pixels inside an item once drawn: its text is on screen.
int darkPixels(QQuickWindow* window, QQuickItem* item)
{
    settleFrames(window);
    const QImage frame = window->grabWindow();
    const QRectF area = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    int dark = 0;
    for (int y = int(area.top()); y < int(area.bottom()); ++y)
        for (int x = int(area.left()); x < int(area.right()); ++x)
            dark += frame.pixelColor(x, y).lightness() < 110 ? 1 : 0;
    return dark;
}

struct OrderEditorViewFixture : ScreenFixture
{
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ScreenFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(logIn());
    }
    OrderDetailViewController* editor() const { return screen<OrderDetailViewController>(); }
    void openFromList(const QString& number)
    {
        auto* list = qobject_cast<OrderListViewController*>(current());
        ASSERT_NE(list, nullptr);
        int row = -1;
        for (int i = 0; i < list->salesOrderArray().size(); ++i)
            if (list->salesOrderArray()[i].purchaseOrderNo == number)
                row = i;
        ASSERT_GE(row, 0);
        list->rowClicked(row);
        ASSERT_NE(editor(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return item("orderDetailView") && item("orderDetailView")->opacity() == 1.0; },
            3000));
    }
};
} // namespace

TEST_F(OrderEditorViewFixture, ShowsTheOrderAndItsLines)
{
    openFromList("ACME.1001");
    EXPECT_EQ(itemText(item("purchaseOrderNoField")), "ACME.1001");
    EXPECT_EQ(itemText(item("soldToCodeField")), "C100");
    EXPECT_EQ(itemText(item("soldToNameLabel")), "Acme Stores Ltd");
    EXPECT_EQ(itemText(item("deliveryToDescriptionLabel")), "Acme Main Depot");
    EXPECT_EQ(itemText(item("deliveryDateField")), "2025-04-15");
    EXPECT_EQ(itemText(item("photoCountButton")), "1");
    EXPECT_FALSE(item("readOnlyNote")->isVisible());
    EXPECT_EQ(item("linesList")->property("count").toInt(), 3);
    QQuickItem* row = item("lineRow0");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->height(), 100);
    EXPECT_EQ(itemText(in(row, "rowNumber")), "1");
    EXPECT_FALSE(itemText(in(row, "itemCode")).isEmpty());
    EXPECT_GT(darkPixels(window(), in(row, "itemCode")), 20);
    EXPECT_GT(darkPixels(window(), item("soldToNameLabel")), 20);
    // The order type cannot change once the order has lines.
    EXPECT_FALSE(item("orderTypePicker")->property("active").toBool());
    EXPECT_TRUE(item("vdTypePicker")->property("active").toBool());
}

TEST_F(OrderEditorViewFixture, TouchesReachTheController)
{
    openFromList("ACME.1001");

    // A line opens the quantity entry with its quantity.
    const QString quantity = itemText(in(item("lineRow0"), "quantity"));
    clickItem(window(), item("lineRow0"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return popupIsOpen(window(), "popover") && item("quantityField"); }));
    EXPECT_EQ(itemText(item("quantityField")), quantity);
    clickItem(window(), item("quantityCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));

    // The toggle gives the lines the larger share.
    const qreal tall = item("headerPane")->height();
    clickItem(window(), item("layoutToggle"));
    EXPECT_FALSE(editor()->headerExpanded());
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("headerPane")->height() < tall * 0.6; }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("toggleArrow")->rotation() == 180; }, 2000));

    // The remark button asks for the remark.
    clickItem(window(), item("layoutToggle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("headerPane")->height() == tall; }, 2000));
    clickItem(window(), item("remarkButton"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popupIsOpen(window(), "alertDialog") && item("alertField1"); }));
    clickItem(window(), item("alertButton1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "alertDialog"); }));

    // The delivery date opens its picker; "Done" ends it.
    clickItem(window(), item("deliveryDateField"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupIsOpen(window(), "deliveryDatePopup"); }));
    clickItem(window(), item("dateDoneButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "deliveryDatePopup"); }));
}

TEST_F(OrderEditorViewFixture, AnUploadedOrderIsShownReadOnly)
{
    openFromList("OHARA.1003");
    EXPECT_TRUE(item("readOnlyNote")->isVisible());
    EXPECT_FALSE(item("takePhotoButton")->isEnabled());
    EXPECT_TRUE(item("remarkButton")->isEnabled());
    EXPECT_FALSE(item("vdTypePicker")->property("active").toBool());
    EXPECT_FALSE(item("deliveryToCodeField")->property("active").toBool());
    EXPECT_FALSE(item("deliveryDateField")->property("active").toBool());
    clickItem(window(), item("deliveryDateField"));
    QTest::qWait(100);
    EXPECT_FALSE(popupIsOpen(window(), "deliveryDatePopup"));
}
