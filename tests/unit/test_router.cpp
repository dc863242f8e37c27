#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/DeviceIdiom.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "support/FakeMailer.h"
#include "support/FakePhotoSource.h"
#include "support/FakeTransport.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/UploadManager.h"
#include "workflow/LoginViewController.h"
#include "workflow/OrderListViewController.h"
#include "workflow/ScreenRoles.h"
#include "workflow/ViewController.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;
using namespace Qt::StringLiterals;

namespace {
// Stand-ins for the screens the router builds, recording what it asks of them.
struct FakeScreen : ScreenController
{
    QString viewName() const override { return u"Placeholder"_s; }
    QStringList calls;
    QList<SalesOrderDetails> lines; // the order's lines, or the picked items
    bool changed = false;
    QList<QImage> images;
    int reloads = 0;
};

// The order and customers a screen holds for the way back.
template <class Role> struct Holding : FakeScreen, Role
{
    SalesOrder order;
    std::optional<CustomerShipTo> shipTo;
    std::optional<CustomerSoldTo> soldTo;
    SalesOrder salesOrder() const override { return order; }
    void setSalesOrder(const SalesOrder& o) override { order = o; }
    std::optional<CustomerShipTo> customerShipTo() const override { return shipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& s) override { shipTo = s; }
    std::optional<CustomerSoldTo> customerSoldTo() const override { return soldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& s) override { soldTo = s; }
    // "order|lines|changed|ship-to|sold-to" as handed over.
    QString held() const
    {
        return u"%1|%2|%3|%4|%5"_s.arg(order.purchaseOrderNo)
            .arg(lines.size())
            .arg(changed ? "changed" : "unchanged")
            .arg(shipTo ? shipTo->shipToCode : u"-"_s)
            .arg(soldTo ? soldTo->customerCode : u"-"_s);
    }
};

struct FakeEditor : Holding<OrderEditorScreen>
{
    QList<SalesOrder> listed;
    PurchaseItemList picked;
    bool verifyAnswer = true;

    void setSalesOrder(const SalesOrder& o) override
    {
        order = o;
        changed = false;
        lines = AppManager::getSalesOrderDetail(o.purchaseOrderNo);
    }
    void setSalesOrderArray(const QList<SalesOrder>& orders) override { listed = orders; }
    bool haveChanged() const override { return changed; }
    void setHaveChanged(bool c) override { changed = c; }
    QList<SalesOrderDetails> salesOrderItemArray() const override { return lines; }
    bool verifyNewOrderNumber() override
    {
        calls << "verify";
        return verifyAnswer;
    }
    void uploadOrder() override { calls << "upload"; }
    void saveOrder(bool persist) override { calls << (persist ? "save" : "copy"); }
    void deleteOrder() override { AppManager::deleteSalesOrder(order.purchaseOrderNo); }
    void setPurchaseItemList(const PurchaseItemList& items, const SalesOrder& o) override
    {
        picked = items;
        order = o;
        lines = items.values();
    }
    void showPopover(const QString&) override { calls << "showPopover"; }
    void processCapturedImage(const QImage& image) override { images << image; }
};

// The purchase list and the promotion products.
struct FakePurchase : Holding<PurchaseScreen>, CollectionScreen
{
    void setSalesItem(const QList<SalesOrderDetails>& i) override { lines = i; }
    PurchaseItemList getPurchaseItemList() const override
    {
        PurchaseItemList list;
        for (const SalesOrderDetails& d : lines)
            list.insert(d.skuCode, d);
        return list;
    }
    QList<SalesOrderDetails> getSalesOrderItemArray() const override { return lines; }
    void reloadCollection() override { ++reloads; }
};

struct FakeItemList : FakeScreen, ItemCatalogueScreen
{
    bool scanning = false;
    void startBarcodeScanning() override { scanning = true; }
    void processCapturedImage(const QImage& image) override { images << image; }
    void reloadCollection() override { ++reloads; }
};

struct RouterFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    FakePhotoSource photos;
    FakeMailer mailer;
    AppDelegate delegate{nullptr};
    std::unique_ptr<ViewController> root;

    static QString text(const char* key) { return Strings::localized(key); }
    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        delegate.setPromoClick("N");
        root = std::make_unique<ViewController>();
        root->setDialogs(&dialogs);
        root->setPhotoSource(&photos);
        ScreenFactory f;
        f.orderEditor = [] { return new FakeEditor(); };
        f.purchaseList = [] { return new FakePurchase(); };
        f.promotionProducts = [] { return new FakePurchase(); };
        f.itemList = [] { return new FakeItemList(); };
        root->setScreenFactory(f);
        root->viewDidLoad();
        post("loginSuccess");
    }
    void TearDown() override
    {
        root.reset();
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    static void post(const QString& name, const QVariantMap& info = {})
    {
        NotificationCenter::defaultCenter().post(name, info);
    }
    static void tag(int t, QVariantMap info = {})
    {
        info.insert("headerViewButtonTag", t);
        post("headerViewbuttonClicked", info);
    }
    template <typename T> T* screen() const { return dynamic_cast<T*>(root->currentScreen()); }
    OrderListViewController* list() const { return screen<OrderListViewController>(); }
    HeaderViewController* header() const { return root->header(); }
    int headerType() const { return header() ? header()->getType() : -1; }
    int rowOf(const QString& number) const { return numbers().indexOf(number); }
    QStringList numbers() const
    {
        QStringList n;
        for (const SalesOrder& o : list()->salesOrderArray())
            n << o.purchaseOrderNo;
        return n;
    }
    // Opens the order of that number from the list, as a touch on its row.
    FakeEditor* open(const QString& number)
    {
        list()->rowClicked(rowOf(number));
        return screen<FakeEditor>();
    }
    // The action sheet just shown asks what `title` says; answers it with `button`.
    void answerSheet(const char* title, const char* button)
    {
        ASSERT_NE(dialogs.last("actionSheet"), nullptr);
        EXPECT_EQ(dialogs.last("actionSheet")->title, text(title));
        ASSERT_TRUE(dialogs.choose(text(button)));
    }
    QString notice() { return dialogs.last("notice") ? dialogs.last("notice")->message : u""_s; }
};
} // namespace

// Which orders each mode shows is the list's own test (OrderListFixture).
TEST_F(RouterFixture, LoginShowsTheHeaderAndAllOrdersAndTheModeMenuSwitchesLists)
{
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(numbers().size(), 6);
    header()->showPopover();
    tag(20);
    EXPECT_EQ(list()->type(), 3);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(header()->title(), text("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));

    // On a phone the menu is an action sheet whose entries post the same tags.
    DeviceIdiom::setTablet(false);
    for (const char* entry :
         {"ORDERLISTVIEW_POPUPMENU_UPLOADED_ORDER", "VIEWCONTROLLER_ACTIONSHEET_CANCEL"}) {
        header()->showPopover();
        EXPECT_TRUE(dialogs.choose(text(entry)));
        EXPECT_EQ(list()->type(), 2);
    }
    DeviceIdiom::setTablet(true);
}

TEST_F(RouterFixture, SelectionCommandsNeedASelectionAMailClientAndAConfirmedDelete)
{
    tag(12);
    for (int t : {15, 16, 17, 23}) {
        SCOPED_TRACE(t);
        dialogs.clear();
        tag(t);
        EXPECT_EQ(notice(), text("ORDERLISTVIEW_SELECTMODE_NOTSELECTED"));
        EXPECT_TRUE(list()->multiSelectionMode());
    }

    // Export needs a mail client; with one, the selection goes as attachments.
    list()->rowClicked(rowOf("ACME.1001"));
    mailer.canSend = false;
    tag(16);
    EXPECT_EQ(notice(), text("OREDRLISTVIEW_CANNOT_SEND_MAIL"));
    EXPECT_EQ(list()->selectedRowNo(), 1);
    mailer.canSend = true;
    tag(16);
    ASSERT_EQ(mailer.composed.size(), 1);
    EXPECT_EQ(mailer.composed[0].attachments.value(0).fileName, "ACME.1001.txt");

    // Delete asks first.
    tag(12);
    list()->rowClicked(rowOf("ACME.1006"));
    list()->rowClicked(rowOf("OHARA.1003"));
    tag(23);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER",
                "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    EXPECT_EQ(list()->selectedRowNo(), 2);
    tag(23);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER",
                "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE");
    EXPECT_EQ(numbers(),
              QStringList({"ACME.1004", "OHARA.1003", "BOLT.1002", "ACME.1001", "MULLER.1005"}));
    EXPECT_FALSE(list()->multiSelectionMode());
    // The header keeps its selection layout, and no longer claims a count.
    EXPECT_EQ(headerType(), HeaderViewController::MultipleSelect);
    EXPECT_EQ(header()->title(), text("ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER"));

    // Copy and upload hand the selection to the list, whose own tests check the work.
    tag(12);
    list()->rowClicked(rowOf("ACME.1001"));
    tag(15);
    EXPECT_EQ(numbers().size(), 6);
    tag(12);
    list()->rowClicked(rowOf("ACME.1001"));
    tag(17);
    EXPECT_EQ(UploadManager::sharedManager()->entries().size(), 1);
    EXPECT_FALSE(list()->multiSelectionMode());
}

TEST_F(RouterFixture, LogoutAfterConfirmationDropsHeaderAndToken)
{
    AppManager::setAuthToken("token-1");
    // Any other button than the confirm text does nothing: the sheet is
    // judged by the chosen button's title.
    tag(18);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_LOGOUT", "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    tag(18);
    dialogs.last("actionSheet")->answer(0, "something else");
    EXPECT_NE(list(), nullptr);
    tag(18);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_LOGOUT", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_LOGOUT");
    EXPECT_NE(screen<LoginViewController>(), nullptr);
    EXPECT_EQ(root->header(), nullptr);
    EXPECT_TRUE(AppManager::getAuthToken().isEmpty());
    // Logged in again, a new header bar.
    post("loginSuccess");
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
}

TEST_F(RouterFixture, TouchingARowOpensOneEditorWithTheButtonsForItsState)
{
    FakeEditor* editor = open("ACME.1001");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->held(), "ACME.1001|3|unchanged|-|-");
    EXPECT_EQ(editor->listed.size(), 6);
    EXPECT_FALSE(header()->detailsUploaded());

    tag(30); // unchanged: back without asking
    EXPECT_EQ(list()->currentRow(), rowOf("ACME.1001"));

    open("BOLT.1002");
    EXPECT_TRUE(header()->detailsUploaded()); // the header bar disables its edits
    for (int t : {21, 22, 99})                // the list's tags and unknown ones do nothing here
        tag(t);
    EXPECT_NE(screen<FakeEditor>(), nullptr);

    // No order under the key: nothing opens.
    tag(30);
    post("rowclicked", {{"order number", QVariant()}});
    EXPECT_NE(list(), nullptr);

    // Back from a changed order, and deleting one, ask first.
    for (int t : {30, 34}) {
        SCOPED_TRACE(t);
        const char* question = t == 30 ? "VIEWCONTROLLER_ACTIONSHEET_EXITORDER"
                                       : "VIEWCONTROLLER_ACTIONSHEET_DELETEORDER";
        editor = open("ACME.1006");
        editor->changed = t == 30;
        tag(t);
        answerSheet(question, "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
        EXPECT_EQ(screen<FakeEditor>(), editor);
        tag(t);
        answerSheet(question, t == 30 ? "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_EXITORDER"
                                      : "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE");
        ASSERT_NE(list(), nullptr);
    }
    EXPECT_EQ(rowOf("ACME.1006"), -1);
    EXPECT_EQ(list()->currentRow(), -1);
}

TEST_F(RouterFixture, SaveAndUploadNeedLinesAndAValidNumber)
{
    FakeEditor* editor = open("ACME.1006"); // no lines
    for (int t : {31, 32}) {
        SCOPED_TRACE(t);
        dialogs.clear();
        tag(t);
        EXPECT_EQ(notice(), text("OREDRDETAILVIEW_SAVE_FAIL_NOITEM"));
    }
    EXPECT_EQ(screen<FakeEditor>(), editor);
    EXPECT_TRUE(editor->calls.isEmpty());

    tag(30);
    editor = open("ACME.1001"); // three lines
    editor->verifyAnswer = false;
    dialogs.clear();
    tag(31);
    tag(32);
    EXPECT_EQ(dialogs.count("notice"), 0); // the editor tells the salesman itself

    QPointer<FakeEditor> uploaded(editor);
    editor->verifyAnswer = true;
    tag(32);
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->currentRow(), -1);
    ASSERT_FALSE(uploaded.isNull()); // released after the fade only
    // A refused number keeps the editor: the same one is asked again.
    EXPECT_EQ(uploaded->calls, QStringList({"verify", "verify", "verify", "upload"}));
}

TEST_F(RouterFixture, ItemsGoFromTheEditorToThePurchaseListAndBack)
{
    FakeEditor* editor = open("ACME.1001");
    editor->shipTo = AppManager::getCustomerShipTo("C100", "SH101");
    editor->soldTo = AppManager::getCustomerSoldTo("C100");
    tag(33);
    EXPECT_EQ(editor->calls, QStringList{"copy"});
    auto* purchase = screen<FakePurchase>();
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::PurchaseList);
    EXPECT_EQ(purchase->held(), "ACME.1001|3|unchanged|SH101|C100");

    // Into a promotion and back to the purchase list.
    delegate.setPromoClick("Y");
    post("rowclicked");
    auto* promotion = screen<FakePurchase>();
    ASSERT_NE(promotion, purchase);
    EXPECT_EQ(promotion->held(), "ACME.1001|0|unchanged|SH101|C100");
    promotion->lines = purchase->lines;
    promotion->lines << line("ACME.1001", "A120_promoP200", 4, "P200");
    tag(51);
    auto* again = screen<FakePurchase>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->lines.size(), 4);
    EXPECT_EQ(headerType(), HeaderViewController::PurchaseList);

    // Back to a new editor with the picked items, marked changed.
    delegate.setPromoClick("N");
    tag(51);
    auto* back = screen<FakeEditor>();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::OrderDetail);
    EXPECT_EQ(back->picked.size(), 4);
    EXPECT_EQ(back->held(), "ACME.1001|4|changed|SH101|C100");
}

// A new order, the customer fields and the photo list are walked through the
// real screens by the order journey (OrderJourney).
TEST_F(RouterFixture, TheCatalogueScansAndNotificationsOnlyActWhereTheyApply)
{
    // A new order stored behind the list's back shows after an upload or a
    // refresh, while the list is shown.
    ASSERT_TRUE(addOrder(order("ACME.2000", "C100", "SH101", "2025-05-01 10:00:00"), kAlice));
    post("downloadComplete", {{"type", "material"}});
    EXPECT_EQ(rowOf("ACME.2000"), -1);
    post("uploadComplete");
    EXPECT_EQ(rowOf("ACME.2000"), 0);
    ASSERT_TRUE(AppManager::deleteSalesOrder("ACME.2000"));
    post("updateSuccess");
    EXPECT_EQ(rowOf("ACME.2000"), -1);

    FakeEditor* editor = open("ACME.1001");
    for (const char* name : {"uploadComplete", "updateSuccess", "loginFailed"})
        post(name, {{"message", "late"}});
    EXPECT_EQ(screen<FakeEditor>(), editor);
    EXPECT_EQ(dialogs.count("alert"), 0);

    tag(30);
    tag(11);
    auto* items = screen<FakeItemList>();
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::ItemList);
    tag(50);
    EXPECT_TRUE(items->scanning);
    post("downloadComplete", {{"type", "material"}});
    EXPECT_EQ(items->reloads, 1);
    tag(10);
    open("ACME.1001");
    tag(33);
    post("downloadComplete", {{"type", "material"}});
    EXPECT_EQ(screen<FakePurchase>()->reloads, 1);
}

TEST_F(RouterFixture, PhotosGoToTheCurrentScreen)
{
    tag(11);
    auto* items = screen<FakeItemList>();
    root->setViewSize(300, 500);
    for (int unknown : {0, 5})
        post("itemListClicked", {{"itemListViewPopupTag", unknown}});
    // Asks the named source for a picture, answers "camera|files WxH". The
    // library opens at once, the other pickers on the next turn of the event loop.
    const auto ask = [&](const char* key, int source) {
        const qsizetype before = photos.requests.size();
        const bool fromItems = key == QLatin1String("itemListClicked");
        post(key, {{fromItems ? "itemListViewPopupTag" : "orderdetailViewPopupTag", source}});
        EXPECT_EQ(photos.requests.size(), source == 2 ? before + 1 : before);
        EXPECT_TRUE(QTest::qWaitFor([&] { return photos.requests.size() > before; }));
        const QSize crop = photos.requests.value(before).crop;
        return u"%1 %2x%3"_s.arg(photos.requests.value(before).camera ? "camera" : "files")
            .arg(crop.width())
            .arg(crop.height());
    };
    const QImage wide(640, 480, QImage::Format_RGB32);
    // An item's picture is a square as wide as the root, from either source.
    EXPECT_EQ(ask("itemListClicked", 1), "camera 300x300");
    photos.deliver(wide);
    EXPECT_EQ(ask("itemListClicked", 2), "files 300x300");
    photos.deliver(wide);
    EXPECT_EQ(items->images.size(), 2);
    EXPECT_EQ(photos.requests.size(), 2); // none for the unknown sources

    // Order photos are kept as taken; without a camera they come from the
    // files. One that arrives once the editor has gone goes nowhere.
    tag(10);
    FakeEditor* editor = open("ACME.1001");
    photos.camera = false;
    EXPECT_EQ(ask("orderdetailClicked", 3), "files -1x-1");
    tag(30);
    photos.deliver(wide);
    EXPECT_TRUE(editor->images.isEmpty());
}
