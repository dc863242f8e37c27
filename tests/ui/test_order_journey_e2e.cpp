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
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    void waitFor(const std::function<bool()>& done, const char* what, int ms = 5000) const
    {
        ASSERT_TRUE(QTest::qWaitFor(done, ms)) << what << "\n" << qPrintable(session.server->log());
    }
    // The view has faded in, and the one it replaced is gone.
    void waitForView(const char* view, const char* gone) const
    {
        waitFor([&] { return item(view) && item(view)->opacity() == 1.0 && !item(gone); }, view,
                10000);
    }
    // Waits for the item to take touches, brings it into view and clicks it.
    void click(const char* name) const
    {
        ASSERT_NO_FATAL_FAILURE(waitFor(
            [&] { return item(name) && item(name)->isVisible() && item(name)->isEnabled(); },
            name));
        ASSERT_NO_FATAL_FAILURE(scrollIntoView(window(), item(name)));
        clickItem(window(), item(name));
    }
    void enterQuantity(const QString& quantity) const
    {
        waitFor([&] { return item("quantityField") && item("quantityField")->hasActiveFocus(); },
                "quantity");
        typeText(window(), quantity);
        click("quantityConfirm");
        waitFor([&] { return !popupIsOpen(window(), "popover"); }, "quantity closed");
    }
    QQuickItem* wheel(const char* name) const
    {
        return item(name)->property("wheel").value<QQuickItem*>();
    }
    // Turns a choice wheel one row on, as a finger does.
    void turnOneRow(const char* name) const
    {
        ASSERT_NO_FATAL_FAILURE(scrollIntoView(window(), item(name)));
        QQuickItem* w = wheel(name);
        const int row = w->property("currentIndex").toInt();
        dragVertically(window(), w->mapToScene(QPointF(w->width() / 2, w->height() / 2)).toPoint(),
                       -int(w->height() / 3));
        waitFor(
            [&] {
                return w->property("currentIndex").toInt() == row + 1 &&
                       !w->property("moving").toBool();
            },
            name);
    }
    // The rows the three choice wheels show, and whether the type can change.
    QString wheelRows() const
    {
        QStringList rows;
        for (const char* name : {"orderTypePicker", "vdTypePicker", "paymentTypePicker"})
            rows << wheel(name)->property("currentIndex").toString();
        return rows.join('/') +
               (item("orderTypePicker")->property("active").toBool() ? "" : " locked");
    }
    // Picks a picture file in the open photo picker.
    void pickFile(const char* name, QColor colour) const
    {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = QDir(sandbox.root()).filePath(QString::fromLatin1(name));
        ASSERT_TRUE(image.save(path, "PNG"));
        QQuickItem* picker = item("photoPicker");
        waitFor(
            [&] {
                return picker->property("requestId").toInt() != 0 &&
                       !item("photoReview")->isVisible();
            },
            name);
        QMetaObject::invokeMethod(picker, "answerFile",
                                  Q_ARG(QVariant, QUrl::fromLocalFile(path).toString()));
        waitFor([&] { return item("photoReview")->isVisible(); }, name);
    }
    QJsonArray serverOrders(const QString& number) const
    {
        return session.server->admin({"orders", "--po", number}).array();
    }
};
} // namespace

TEST_P(OrderJourney, WhatTheSalesmanChoseIsStoredAndUploaded)
{
    // ---- login; the promotions come right after it
    for (const auto& [field, text] :
         {std::pair{"usernameField", "demo"}, {"passwordField", "demo1234"}}) {
        click(field);
        typeText(window(), text);
    }
    click("loginButton");
    waitFor([&] { return !session.events.isEmpty(); }, "login", 20000);
    ASSERT_EQ(session.events, QStringList({"loginSuccess"}));
    waitFor([] { return !AppManager::getPromoList().isEmpty(); }, "promotions", 10000);

    // ---- a new order: the customer, then the delivery address
    click("headerButton13");
    waitForView("orderDetailView", "orderListView");
    waitFor([&] { return popupIsOpen(window(), "popover") && item("pickerEntry0"); }, "customers");
    auto* editor = screen<OrderDetailViewController>();
    ASSERT_NE(editor, nullptr);
    click("pickerEntry0");
    waitFor([&] { return !popupIsOpen(window(), "popover"); }, "customer chosen");
    ASSERT_TRUE(editor->customerSoldTo().has_value());
    const QString customer = editor->customerSoldTo()->customerCode;
    const QString orderNumber = editor->purchaseOrderNoText();
    ASSERT_NE(orderNumber, ".");

    // A popover on a tablet, a district first; on a phone the panel over the
    // screen lists the customer's addresses at once.
    click("deliveryToCodeField");
    waitFor([&] { return item("shipToPicker") && item("pickerEntry0"); }, "addresses");
    if (GetParam()) {
        const QString district = item("pickerEntry0")->property("modelData").toString();
        click("pickerEntry0");
        waitFor(
            [&] {
                return item("pickerEntry0") &&
                       item("pickerEntry0")->property("modelData").toString() != district;
            },
            "district");
    }
    click("pickerEntry0");
    waitFor([&] { return !item("shipToPicker"); }, "address chosen");
    ASSERT_TRUE(editor->customerShipTo().has_value());
    const QString address = editor->customerShipTo()->shipToCode;
    EXPECT_EQ(itemText(item("deliveryToDescriptionLabel")), editor->customerShipTo()->description);

    // ---- "Good Return", VD "NO", "M30" (stored as 2/2/2)
    for (const char* name : {"orderTypePicker", "vdTypePicker", "paymentTypePicker"})
        ASSERT_NO_FATAL_FAILURE(turnOneRow(name));

    // ---- an item, then a product of a running promotion
    click("headerButton33");
    waitForView("purchaseListView", "orderDetailView");
    click("purchaseCell0");
    enterQuantity("3");
    click("promoButton");
    auto* purchase = screen<PurchaseListViewController>();
    waitFor([&] { return purchase->Showtype() == "Promo" && item("purchaseCell0"); }, "promotions");
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
    EXPECT_EQ(editor->salesOrderItemArray().size(), 2);
    EXPECT_EQ(wheelRows(), "1/1/1 locked");

    // ---- a photo, used after one retake; nothing counts before it is used
    click("takePhotoButton");
    waitFor([&] { return popupIsOpen(window(), "actionSheet") && item("sheetButton1"); }, "sheet");
    ASSERT_EQ(itemText(item("sheetButton1")), "Library");
    click("sheetButton1");
    ASSERT_NO_FATAL_FAILURE(pickFile("blurred.png", Qt::gray));
    click("photoRetake");
    ASSERT_NO_FATAL_FAILURE(pickFile("shelf.png", QColor(30, 140, 60)));
    for (const char* button : {"photoReviewCancel", "photoRetake", "photoUse"}) {
        const QRectF shown = item(button)->mapRectToScene(item(button)->boundingRect());
        EXPECT_TRUE(QRectF(0, 0, window()->width(), window()->height()).contains(shown)) << button;
    }
    EXPECT_EQ(editor->photoCount(), 0);
    click("photoUse");
    waitFor([&] { return itemText(item("photoCountButton")) == "1"; }, "photo counted");

    // ---- the photos, and back: nothing chosen is lost
    click("photoCountButton");
    waitForView("orderImageView", "orderDetailView");
    waitFor([&] { return item("photoCell0"); }, "photo cell");
    click("headerButton53");
    waitForView("orderDetailView", "orderImageView");
    EXPECT_EQ(wheelRows(), "1/1/1 locked");

    // ---- a remark with a comma and an apostrophe, which the wire must carry
    click("remarkButton");
    waitFor([&] { return popupIsOpen(window(), "alertDialog") && item("alertField0"); }, "remark");
    click("alertField0");
    typeText(window(), "Back door, O'Hara's");
    click("alertButton0");
    waitFor([&] { return !popupIsOpen(window(), "alertDialog"); }, "remark closed");

    // ---- save; what the tablet stored is what the server gets below
    click("headerButton31");
    waitForView("orderListView", "orderDetailView");

    // ---- open it again and upload it: the server holds the same
    auto* list = screen<OrderListViewController>();
    ASSERT_NE(list, nullptr);
    const QList<SalesOrder> rows = list->salesOrderArray();
    const auto row =
        std::find_if(rows.begin(), rows.end(),
                     [&](const SalesOrder& o) { return o.purchaseOrderNo == orderNumber; }) -
        rows.begin();
    const QByteArray cell = "orderCell" + QByteArray::number(row);
    click(cell.constData());
    waitForView("orderDetailView", "orderListView");
    click("headerButton32");
    waitForView("orderListView", "orderDetailView");
    waitFor([&] { return session.events.contains("uploadComplete"); }, "upload", 15000);
    ASSERT_EQ(serverOrders(orderNumber).size(), 1);
    const QJsonObject held = serverOrders(orderNumber).first().toObject();
    // Each line with the quantity typed for it, the promotion's with its code.
    QStringList lines;
    for (const QJsonValue& line : held.value("lines").toArray())
        lines << line[u"PromotionCode"_s].toString().trimmed() + " x" +
                     line[u"quantity"_s].toString();
    lines.sort();
    EXPECT_EQ(QStringList({held["soldToCode"].toString(), held["shipToCode"].toString(),
                           u"%1/%2/%3"_s.arg(held["type"].toVariant().toInt())
                               .arg(held["vdtype"].toVariant().toInt())
                               .arg(held["paymenttype"].toVariant().toInt()),
                           held["remark"].toString(), lines.join(", ")}),
              QStringList({customer, address, "2/2/2", "Back door, O'Hara's/n",
                           " x3, " + promotion + " x2"}));
    // Marked uploaded under the server's number; the lines stay under the tablet's.
    const std::optional<SalesOrder> uploaded = AppManager::getSalesOrder(orderNumber);
    ASSERT_TRUE(uploaded.has_value());
    EXPECT_EQ(QStringList({QString::number(uploaded->uploadStatus), uploaded->orderNo}),
              QStringList({"20", held["orderNo"].toString()}));
    EXPECT_EQ(AppManager::getSalesOrderDetail(orderNumber).size(), 2);
    waitFor([&] { return serverOrders(orderNumber)[0][u"photos"_s].toArray().size() == 1; },
            "photo", 10000);

    // Sent again, it is still one order on the server.
    session.events.clear();
    AppManager::uploadSalesOrder(orderNumber);
    waitFor([&] { return session.events.contains("uploadComplete"); }, "upload again", 15000);
    EXPECT_EQ(serverOrders(orderNumber).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Idioms, OrderJourney, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Tablet" : "Phone");
                         });
