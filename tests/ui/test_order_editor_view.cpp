#include "support/DarkPixels.h"
#include "support/ScreenFixture.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderListViewController.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
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
        for (int row = 0; row < list->salesOrderArray().size(); ++row)
            if (list->salesOrderArray()[row].purchaseOrderNo == number)
                list->rowClicked(row);
        ASSERT_NE(editor(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return item("orderDetailView") && item("orderDetailView")->opacity() == 1.0; },
            3000));
    }
};
} // namespace

TEST_F(OrderEditorViewFixture, ShowsTheOrderAndItsLinesAndTouchesReachTheController)
{
    // The order type cannot change once the order has lines.
    openFromList("ACME.1001");
    QStringList shown;
    for (const char* name : {"purchaseOrderNoField", "soldToCodeField", "soldToNameLabel",
                             "deliveryToDescriptionLabel", "deliveryDateField", "photoCountButton"})
        shown << itemText(item(name));
    EXPECT_EQ(shown.join('|'), "ACME.1001|C100|Acme Stores Ltd|Acme Main Depot|2025-04-15|1");
    EXPECT_FALSE(item("readOnlyNote")->isVisible());
    EXPECT_EQ(item("linesList")->property("count").toInt(), 3);
    QQuickItem* row = item("lineRow0");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->height(), 100);
    EXPECT_EQ(itemText(in(row, "rowNumber")), "1");
    EXPECT_GT(darkPixels(window(), in(row, "itemCode")), 20);
    EXPECT_GT(darkPixels(window(), item("soldToNameLabel")), 20);
    EXPECT_FALSE(item("orderTypePicker")->property("active").toBool());
    EXPECT_TRUE(item("vdTypePicker")->property("active").toBool());

    // A line opens the quantity entry with its quantity.
    const QString quantity = itemText(in(row, "quantity"));
    clickItem(window(), row);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return popupIsOpen(window(), "popover") && item("quantityField"); }));
    EXPECT_EQ(itemText(item("quantityField")), quantity);
    clickItem(window(), item("quantityCancel"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));

    // The toggle gives the lines the larger share, and back.
    const qreal tall = item("headerPane")->height();
    clickItem(window(), item("layoutToggle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("headerPane")->height() < tall * 0.6; }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("toggleArrow")->rotation() == 180; }, 2000));
    clickItem(window(), item("layoutToggle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("headerPane")->height() == tall; }, 2000));

    // The delivery date opens its picker; "Done" ends it.
    clickItem(window(), item("deliveryDateField"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupIsOpen(window(), "deliveryDatePopup"); }));
    clickItem(window(), item("dateDoneButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "deliveryDatePopup"); }));
}

TEST_F(OrderEditorViewFixture, AnUploadedOrderIsShownReadOnly)
{
    // Only the remark stays open; the date field opens no picker.
    openFromList("OHARA.1003");
    EXPECT_TRUE(item("readOnlyNote")->isVisible());
    EXPECT_FALSE(item("takePhotoButton")->isEnabled());
    EXPECT_TRUE(item("remarkButton")->isEnabled());
    for (const char* name : {"vdTypePicker", "deliveryToCodeField", "deliveryDateField"})
        EXPECT_FALSE(item(name)->property("active").toBool()) << name;
    clickItem(window(), item("deliveryDateField"));
    QTest::qWait(100);
    EXPECT_FALSE(popupIsOpen(window(), "deliveryDatePopup"));
}
