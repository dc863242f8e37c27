// A salesman's order through the real screens, drawn offscreen and driven by
// clicks and keys, against the reference order server, on a tablet and on a
// phone: he logs in, starts an order for a customer and a delivery address,
// makes it a Good Return without VD on M30, adds an item and a promotion line,
// photographs the goods (the first picture taken again), looks at the photos,
// writes a remark, saves the order and uploads it, and once more. What he chose
// on the way is what the tablet stores and what the server holds, once, under
// the number the server gave it.
#include "core/AppManager.h"
#include "platform/DeviceIdiom.h"
#include "support/DemoSession.h"
#include "support/QuickFind.h"
#include "support/TestSandbox.h"
#include "ui/QmlInterface.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderListViewController.h"
#include "workflow/PurchaseListViewController.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct OrderJourney : ::testing::TestWithParam<bool>
{
    TestSandbox sandbox;
    DemoSession session;
    std::unique_ptr<QmlInterface> interface;

    void SetUp() override
    {
        // No camera here: photos come from picture files.
        qputenv("FIELDBOOK_CAMERA", "none");
        DeviceIdiom::setTablet(GetParam());
        ASSERT_NO_FATAL_FAILURE(session.start());
        interface = std::make_unique<QmlInterface>(true);
        interface->buildInterface();
        ASSERT_NE(window(), nullptr);
    }
    void TearDown() override
    {
        interface.reset();
        DeviceIdiom::setTablet(true);
        qunsetenv("FIELDBOOK_CAMERA");
    }

    QQuickWindow* window() const { return interface->window(); }
    QQuickItem* item(const char* name) const { return findQuickItem(window(), name); }
    template <typename S> S* screen() const
    {
        return qobject_cast<S*>(interface->rootController()->currentScreen());
    }
    // The view has faded in, and the one it replaced is gone.
    void waitForView(const char* view, const char* gone = nullptr) const
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                QQuickItem* shown = item(view);
                return shown && shown->opacity() == 1.0 && (!gone || !item(gone));
            },
            10000))
            << view;
    }
    // Waits for the item to take touches, brings it into view and clicks it.
    void click(const char* name) const
    {
        ASSERT_TRUE(QTest::qWaitFor([&] {
            QQuickItem* target = item(name);
            return target && target->isVisible() && target->isEnabled();
        })) << name;
        ASSERT_NO_FATAL_FAILURE(scrollIntoView(window(), item(name)));
        clickItem(window(), item(name));
    }
    void enterQuantity(const QString& quantity) const
    {
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return popupIsOpen(window(), "popover") && item("quantityField") &&
                   item("quantityField")->hasActiveFocus();
        }));
        typeText(window(), quantity);
        click("quantityConfirm");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));
    }
    // Turns a choice wheel one row on, as a finger does.
    void turnOneRow(const char* name) const
    {
        QQuickItem* choice = item(name);
        ASSERT_NE(choice, nullptr);
        ASSERT_NO_FATAL_FAILURE(scrollIntoView(window(), choice));
        auto* wheel = choice->property("wheel").value<QQuickItem*>();
        ASSERT_NE(wheel, nullptr);
        const int row = wheel->property("currentIndex").toInt();
        const QPointF centre = wheel->mapToScene(QPointF(wheel->width() / 2, wheel->height() / 2));
        dragVertically(window(), centre.toPoint(), -int(wheel->height() / 3));
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return wheel->property("currentIndex").toInt() == row + 1 &&
                   !wheel->property("moving").toBool();
        })) << name;
    }
    int wheelRow(const char* name) const
    {
        auto* wheel = item(name)->property("wheel").value<QQuickItem*>();
        return wheel ? wheel->property("currentIndex").toInt() : -1;
    }
    // Picks a picture file in the open photo picker.
    void pickFile(const QString& file) const
    {
        QQuickItem* picker = item("photoPicker");
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return picker->property("requestId").toInt() != 0 && !item("photoReview")->isVisible();
        }));
        QMetaObject::invokeMethod(picker, "answerFile",
                                  Q_ARG(QVariant, QUrl::fromLocalFile(file).toString()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("photoReview")->isVisible(); }));
    }
    QString picture(const char* name, QColor colour) const
    {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = QDir(sandbox.root()).filePath(QString::fromLatin1(name));
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    QJsonObject serverOrder(const QString& number) const
    {
        const QJsonArray orders = session.server->admin({"orders", "--po", number}).array();
        return orders.isEmpty() ? QJsonObject() : orders.first().toObject();
    }
};

int number(const QJsonObject& object, const char* key)
{
    return object.value(QString::fromLatin1(key)).toVariant().toInt();
}
} // namespace

TEST_P(OrderJourney, WhatTheSalesmanChoseIsStoredAndUploaded)
{
    // ---- login
    click("usernameField");
    typeText(window(), "demo");
    click("passwordField");
    typeText(window(), "demo1234");
    click("loginButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !session.events.isEmpty(); }, 20000))
        << qPrintable(session.server->log());
    ASSERT_EQ(session.events, QStringList({"loginSuccess"}));
    waitForView("orderListView");
    // The promotions come right after the login.
    ASSERT_TRUE(QTest::qWaitFor([] { return !AppManager::getPromoList().isEmpty(); }, 10000));

    // ---- a new order: the customer, then the delivery address
    click("headerButton13");
    waitForView("orderDetailView", "orderListView");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return popupIsOpen(window(), "popover") && item("soldToPicker") && item("pickerEntry0");
        },
        3000));
    auto* editor = screen<OrderDetailViewController>();
    ASSERT_NE(editor, nullptr);
    click("pickerEntry0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "popover"); }));
    ASSERT_TRUE(editor->customerSoldTo().has_value());
    const QString customer = editor->customerSoldTo()->customerCode;
    const QString orderNumber = editor->purchaseOrderNoText();
    ASSERT_NE(orderNumber, ".");

    // A popover on a tablet, a district first; on a phone the panel over the
    // screen lists the customer's addresses at once.
    click("deliveryToCodeField");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return item("shipToPicker") && item("pickerEntry0"); }, 3000));
    if (GetParam()) {
        const QString district = item("pickerEntry0")->property("modelData").toString();
        click("pickerEntry0");
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return item("pickerEntry0") &&
                   item("pickerEntry0")->property("modelData").toString() != district;
        }));
    }
    click("pickerEntry0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !item("shipToPicker"); }, 3000));
    ASSERT_TRUE(editor->customerShipTo().has_value());
    const QString address = editor->customerShipTo()->shipToCode;
    EXPECT_EQ(itemText(item("deliveryToDescriptionLabel")), editor->customerShipTo()->description);

    // ---- "Good Return", VD "NO", "M30"
    for (const char* wheel : {"orderTypePicker", "vdTypePicker", "paymentTypePicker"})
        ASSERT_NO_FATAL_FAILURE(turnOneRow(wheel));
    EXPECT_EQ(editor->nowType(), 2);
    EXPECT_EQ(editor->VDType(), 2);
    EXPECT_EQ(editor->PaymentType(), 2);

    // ---- an item, then a product of a running promotion
    click("headerButton33");
    waitForView("purchaseListView", "orderDetailView");
    click("purchaseCell0");
    enterQuantity("3");
    click("promoButton");
    auto* purchase = screen<PurchaseListViewController>();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return purchase->Showtype() == "Promo" && item("purchaseCell0"); }));
    const QString promotion = purchase->promoListArray().value(0).value("promotionCode").toString();
    click("purchaseCell0");
    waitForView("promoProductView", "purchaseListView");
    click("purchaseCell0");
    enterQuantity("2");
    click("headerButton51");
    waitForView("purchaseListView", "promoProductView");
    click("headerButton51");
    waitForView("orderDetailView", "purchaseListView");

    // Back with the lines and the choices: the order type locked on Good Return.
    editor = screen<OrderDetailViewController>();
    ASSERT_EQ(editor->salesOrderItemArray().size(), 2);
    EXPECT_FALSE(item("orderTypePicker")->property("active").toBool());
    EXPECT_EQ(wheelRow("orderTypePicker"), 1);
    EXPECT_EQ(wheelRow("vdTypePicker"), 1);
    EXPECT_EQ(wheelRow("paymentTypePicker"), 1);

    // ---- a photo, used after one retake
    click("takePhotoButton");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popupIsOpen(window(), "actionSheet") && item("sheetButton1"); }));
    ASSERT_EQ(itemText(item("sheetButton1")), "Library");
    click("sheetButton1");
    ASSERT_NO_FATAL_FAILURE(pickFile(picture("blurred.png", Qt::gray)));
    click("photoRetake");
    ASSERT_NO_FATAL_FAILURE(pickFile(picture("shelf.png", QColor(30, 140, 60))));
    for (const char* button : {"photoReviewCancel", "photoRetake", "photoUse"}) {
        const QRectF shown = item(button)->mapRectToScene(
            QRectF(0, 0, item(button)->width(), item(button)->height()));
        EXPECT_TRUE(QRectF(0, 0, window()->width(), window()->height()).contains(shown)) << button;
    }
    EXPECT_EQ(editor->photoCount(), 0); // nothing counts before it is used
    click("photoUse");
    ASSERT_TRUE(QTest::qWaitFor([&] { return itemText(item("photoCountButton")) == "1"; }));

    // ---- the photos, and back: nothing chosen is lost
    click("photoCountButton");
    waitForView("orderImageView", "orderDetailView");
    ASSERT_TRUE(QTest::qWaitFor([&] { return item("photoCell0"); }));
    click("headerButton53");
    waitForView("orderDetailView", "orderImageView");
    editor = screen<OrderDetailViewController>();
    EXPECT_EQ(wheelRow("orderTypePicker"), 1);
    EXPECT_EQ(editor->salesOrderItemArray().size(), 2);

    // ---- a remark with a comma and an apostrophe, which the wire must carry
    click("remarkButton");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popupIsOpen(window(), "alertDialog") && item("alertField0"); }));
    click("alertField0");
    typeText(window(), "Back door, O'Hara's");
    click("alertButton0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupIsOpen(window(), "alertDialog"); }));

    // ---- save: the tablet stores what was chosen
    click("headerButton31");
    waitForView("orderListView", "orderDetailView");
    const std::optional<SalesOrder> stored = AppManager::getSalesOrder(orderNumber);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->uploadStatus, 10);
    EXPECT_EQ(stored->soldToCode, customer);
    EXPECT_EQ(stored->shipToCode, address);
    EXPECT_EQ(stored->type, 2);
    EXPECT_EQ(stored->vdtype, 2);
    EXPECT_EQ(stored->paymenttype, 2);
    EXPECT_EQ(stored->remark, "Back door, O'Hara's/n");
    EXPECT_EQ(AppManager::getSalesOrderDetail(orderNumber).size(), 2);
    EXPECT_EQ(AppManager::getOrderImg(orderNumber).size(), 1);

    // ---- open it again and upload it: the server holds the same
    auto* list = screen<OrderListViewController>();
    ASSERT_NE(list, nullptr);
    int row = -1;
    for (int i = 0; i < list->salesOrderArray().size(); ++i)
        if (list->salesOrderArray()[i].purchaseOrderNo == orderNumber)
            row = i;
    ASSERT_GE(row, 0);
    const QByteArray cell = "orderCell" + QByteArray::number(row);
    click(cell.constData());
    waitForView("orderDetailView", "orderListView");
    click("headerButton32");
    waitForView("orderListView", "orderDetailView");
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.events.contains("uploadComplete"); }, 15000))
        << qPrintable(session.server->log());
    const QJsonObject held = serverOrder(orderNumber);
    ASSERT_FALSE(held.isEmpty());
    EXPECT_EQ(held.value("soldToCode").toString(), customer);
    EXPECT_EQ(held.value("shipToCode").toString(), address);
    EXPECT_EQ(number(held, "type"), 2);
    EXPECT_EQ(number(held, "vdtype"), 2);
    EXPECT_EQ(number(held, "paymenttype"), 2);
    EXPECT_EQ(held.value("remark").toString(), stored->remark);
    // Each line with the quantity typed for it, the promotion's with its code.
    QStringList lines;
    for (const QJsonValue& line : held.value("lines").toArray())
        lines << line.toObject().value("PromotionCode").toString().trimmed() + " x" +
                     line.toObject().value("quantity").toString();
    lines.sort();
    EXPECT_EQ(lines, QStringList({" x3", promotion + " x2"}));
    // Marked uploaded under the server's number; the lines stay under the tablet's.
    const std::optional<SalesOrder> uploaded = AppManager::getSalesOrder(orderNumber);
    EXPECT_EQ(uploaded->uploadStatus, 20);
    EXPECT_EQ(uploaded->orderNo, held.value("orderNo").toString());
    EXPECT_EQ(AppManager::getSalesOrderDetail(orderNumber).size(), 2);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return serverOrder(orderNumber).value("photos").toArray().size() == 1; }, 10000))
        << qPrintable(session.server->log());

    // Sent again, it is still one order on the server.
    session.events.clear();
    AppManager::uploadSalesOrder(orderNumber);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.events.contains("uploadComplete"); }, 15000));
    EXPECT_EQ(session.server->admin({"orders", "--po", orderNumber}).array().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Idioms, OrderJourney, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Tablet" : "Phone");
                         });
