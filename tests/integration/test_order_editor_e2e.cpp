// A salesman creates an order from nothing through the screens' controllers
// (no QML): customer and delivery address from the pickers, lines from the
// purchase list, a photo from the camera, save, then upload. The reference
// order server ends up holding the order with its lines and its photo.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/FakeDialogs.h"
#include "support/FakePhotoSource.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"
#include "workflow/OrderDetailSoldToPopoverViewController.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderDetailViewPopoverViewController.h"
#include "workflow/OrderListViewController.h"
#include "workflow/ViewController.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct OrderEditorE2E : ::testing::Test
{
    TestSandbox sandbox;
    DemoSession session;
    FakeDialogs dialogs;
    FakePhotoSource photos;
    std::unique_ptr<ViewController> root;
    TestServer* server = nullptr;
    QStringList& events = session.events;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(session.start());
        server = session.server.get();
        root = std::make_unique<ViewController>();
        root->setDialogs(&dialogs);
        root->setPhotoSource(&photos);
        root->viewDidLoad();
        ASSERT_NO_FATAL_FAILURE(session.logIn());
    }
    void TearDown() override { root.reset(); }
    static void tag(int t)
    {
        NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                                 {{"headerViewButtonTag", t}});
    }
    OrderDetailViewController* editor() const
    {
        return qobject_cast<OrderDetailViewController*>(root->currentScreen());
    }
    OrderListViewController* list() const
    {
        return qobject_cast<OrderListViewController*>(root->currentScreen());
    }
    template <typename T> T* popover()
    {
        FakeDialogs::Request* r = dialogs.last("popover");
        return r && dialogs.isPopoverOpen() ? qobject_cast<T*>(r->controller) : nullptr;
    }
    QJsonObject serverOrder(const QString& number) const
    {
        const QJsonArray orders = server->admin({"orders", "--po", number}).array();
        return orders.isEmpty() ? QJsonObject() : orders.first().toObject();
    }
};

// Two lines as the purchase list makes them: an item that needs a photo and
// an ordinary one.
QList<SalesOrderDetails> fixtureLines(QStringList* skus)
{
    QList<SalesOrderDetails> lines;
    const QList<Material> catalogue = AppManager::getItemList();
    const Material* needsPhoto = nullptr;
    const Material* ordinary = nullptr;
    for (const Material& item : catalogue) {
        if (!needsPhoto && item.phototype == "1")
            needsPhoto = &item;
        else if (!ordinary && item.phototype != "1")
            ordinary = &item;
    }
    if (!needsPhoto || !ordinary)
        return lines;
    int minute = 0;
    for (const Material* item : {needsPhoto, ordinary}) {
        SalesOrderDetails line;
        line.skuCode = item->skuCode;
        line.uomCode = item->unit1.isEmpty() ? QStringLiteral("CS") : item->unit1;
        line.quantity = 3 + minute;
        line.promocode = " ";
        line.lastupdate = QStringLiteral("2025-01-01 10:0%1:00").arg(minute++);
        lines << line;
        *skus << item->skuCode;
    }
    return lines;
}
} // namespace

TEST_F(OrderEditorE2E, ANewOrderReachesTheServerWithItsLinesAndPhoto)
{
    ASSERT_NE(list(), nullptr);

    // Add order: the editor opens, and a moment later the customer picker.
    tag(13);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->purchaseOrderNoText(), ".");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popover<OrderDetailSoldToPopoverViewController>() != nullptr; }, 3000));
    auto* soldTo = popover<OrderDetailSoldToPopoverViewController>();
    soldTo->viewDidLoad();
    ASSERT_FALSE(soldTo->entries().isEmpty());
    const CustomerSoldTo customer = soldTo->soldToArray().first();
    soldTo->customerSoldToSelected(0);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    const QString number = editor()->purchaseOrderNoText();
    const QString word = OrderDetailViewController::firstWord(customer.customerName);
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(word) + "\\.\\d{13,}$")
                    .match(number)
                    .hasMatch())
        << qPrintable(number);

    // Delivery address: a district, then an address in it.
    editor()->deliverytopop();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return popover<OrderDetailViewPopoverViewController>() != nullptr; }, 3000));
    auto* shipTo = popover<OrderDetailViewPopoverViewController>();
    shipTo->viewDidLoad();
    ASSERT_FALSE(shipTo->entries().isEmpty());
    shipTo->entryClicked(0);
    ASSERT_EQ(shipTo->level(), OrderDetailViewPopoverViewController::Addresses);
    ASSERT_FALSE(shipTo->entries().isEmpty());
    const CustomerShipTo address = shipTo->shipToArray().first();
    EXPECT_EQ(address.customerCode, customer.customerCode);
    shipTo->entryClicked(0);
    EXPECT_EQ(editor()->deliveryToCodeText(), address.shipToCode);

    // Items: the purchase list takes the order and gives back its lines.
    tag(33);
    auto* purchase = dynamic_cast<PurchaseScreen*>(root->currentScreen());
    ASSERT_NE(purchase, nullptr);
    QStringList skus;
    const QList<SalesOrderDetails> lines = fixtureLines(&skus);
    ASSERT_EQ(lines.size(), 2);
    purchase->setSalesItem(lines);
    tag(51);
    ASSERT_NE(editor(), nullptr);
    EXPECT_TRUE(editor()->haveChanged());
    EXPECT_EQ(editor()->purchaseOrderNoText(), number);
    EXPECT_EQ(editor()->deliveryToCodeText(), address.shipToCode);
    ASSERT_EQ(editor()->salesOrderItemArray().size(), 2);
    EXPECT_EQ(editor()->NeedPhoto(), "Y");

    // A photo from the camera.
    editor()->TakePhoto();
    ASSERT_TRUE(dialogs.choose("Camera"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !photos.requests.isEmpty(); }, 3000));
    QImage shot(120, 90, QImage::Format_RGB32);
    shot.fill(QColor(200, 60, 30));
    photos.deliver(shot);
    EXPECT_EQ(editor()->photoCount(), 1);

    // Save: back to the list, the order stored as a draft.
    tag(31);
    ASSERT_NE(list(), nullptr);
    const std::optional<SalesOrder> stored = AppManager::getSalesOrder(number);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->uploadStatus, 10);
    EXPECT_EQ(stored->orderNo, number);
    EXPECT_EQ(stored->soldToCode, customer.customerCode);
    EXPECT_EQ(stored->shipToCode, address.shipToCode);
    EXPECT_EQ(AppManager::getSalesOrderDetail(number).size(), 2);
    EXPECT_EQ(AppManager::getOrderImg(number).size(), 1);

    // Open it again and upload it.
    int row = -1;
    for (int i = 0; i < list()->salesOrderArray().size(); ++i)
        if (list()->salesOrderArray()[i].purchaseOrderNo == number)
            row = i;
    ASSERT_GE(row, 0);
    list()->rowClicked(row);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->photoCount(), 1);
    tag(32);
    ASSERT_NE(list(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("uploadComplete"); }, 15000))
        << qPrintable(server->log());

    const QJsonObject held = serverOrder(number);
    ASSERT_FALSE(held.isEmpty());
    EXPECT_EQ(held.value("soldToCode").toString(), customer.customerCode);
    EXPECT_EQ(held.value("shipToCode").toString(), address.shipToCode);
    const QJsonArray heldLines = held.value("lines").toArray();
    ASSERT_EQ(heldLines.size(), 2);
    QStringList heldSkus;
    for (const QJsonValue& l : heldLines)
        heldSkus << l.toObject().value("skuCode").toString();
    heldSkus.sort();
    skus.sort();
    EXPECT_EQ(heldSkus, skus);
    const std::optional<SalesOrder> uploaded = AppManager::getSalesOrder(number);
    ASSERT_TRUE(uploaded.has_value());
    EXPECT_EQ(uploaded->uploadStatus, 20);
    EXPECT_EQ(uploaded->orderNo, held.value("orderNo").toString());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return serverOrder(number).value("photos").toArray().size() == 1; }, 10000))
        << qPrintable(server->log());
}
