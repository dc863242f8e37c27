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
#include "workflow/OrderDetailViewController.h"
#include "workflow/ScreenRoles.h"
#include "workflow/ViewController.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
// Stand-ins for the screens the router builds, recording what it asks of them.
struct FakeScreen : ScreenController
{
    QString viewName() const override { return QStringLiteral("Placeholder"); }
    QStringList calls;
};

// The order, customers and lines a screen holds for the way back.
template <class Role> struct Holding : FakeScreen, Role
{
    SalesOrder order;
    std::optional<CustomerShipTo> shipTo;
    std::optional<CustomerSoldTo> soldTo;
    QList<SalesOrderDetails> lines;
    bool changed = false;
    SalesOrder salesOrder() const override { return order; }
    void setSalesOrder(const SalesOrder& o) override { order = o; }
    std::optional<CustomerShipTo> customerShipTo() const override { return shipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& s) override { shipTo = s; }
    std::optional<CustomerSoldTo> customerSoldTo() const override { return soldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& s) override { soldTo = s; }
};

struct FakeEditor : Holding<OrderEditorScreen>
{
    QList<SalesOrder> listed;
    PurchaseItemList picked;
    bool verifyAnswer = true;
    QList<QImage> images;

    void setSalesOrder(const SalesOrder& o) override
    {
        order = o;
        changed = false;
        lines = AppManager::getSalesOrderDetail(o.purchaseOrderNo);
        calls << "setSalesOrder";
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
    void saveOrder(bool persist) override
    {
        calls << (persist ? "saveOrder(true)" : "saveOrder(false)");
    }
    void deleteOrder() override
    {
        calls << "delete";
        AppManager::deleteSalesOrder(order.purchaseOrderNo);
    }
    void setPurchaseItemList(const PurchaseItemList& items, const SalesOrder& o) override
    {
        picked = items;
        order = o;
        lines = items.values();
        calls << "setPurchaseItemList";
    }
    void showPopover(const QString&) override { calls << "showPopover"; }
    void processCapturedImage(const QImage& image) override { images << image; }
};

struct FakePurchase : Holding<PurchaseScreen>, CollectionScreen
{
    QList<SalesOrderDetails> items;
    int reloads = 0;
    void setSalesItem(const QList<SalesOrderDetails>& i) override { items = i; }
    PurchaseItemList getPurchaseItemList() const override
    {
        PurchaseItemList list;
        for (const SalesOrderDetails& d : items)
            list.insert(d.skuCode, d);
        return list;
    }
    QList<SalesOrderDetails> getSalesOrderItemArray() const override { return items; }
    void reloadCollection() override { ++reloads; }
};

struct FakePhotoList : Holding<OrderPhotoScreen>
{
    void setSalesOrderItemArray(const QList<SalesOrderDetails>& l) override { lines = l; }
    QList<SalesOrderDetails> salesOrderItemArray() const override { return lines; }
    void setHaveChanged(bool c) override { changed = c; }
    bool haveChanged() const override { return changed; }
    void reloadCollection() override {}
};

struct FakeItemList : FakeScreen, ItemCatalogueScreen
{
    bool scanning = false;
    int reloads = 0;
    QList<QImage> images;
    void startBarcodeScanning() override { scanning = true; }
    void processCapturedImage(const QImage& image) override { images << image; }
    void reloadCollection() override { ++reloads; }
};

struct FakeShipToPanel : FakeScreen, ShipToPickerPanel
{
    QPointer<ScreenController> delegate;
    QString name;
    std::function<void()> answered;
    void setDelegate(ScreenController* d) override { delegate = d; }
    void setShipToName(const QString& n) override { name = n; }
    void setOnAnswered(std::function<void()> a) override { answered = std::move(a); }
};

struct RouterFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    FakePhotoSource photos;
    FakeMailer mailer;
    ScopedMailer scopedMailer{&mailer};
    AppDelegate delegate{nullptr};
    std::unique_ptr<ViewController> root;
    QMap<QString, int> made;
    bool realScreens = false; // the application's own screens instead of the fakes

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        delegate.setPromoClick("N");
        root = std::make_unique<ViewController>();
        root->setDialogs(&dialogs);
        root->setPhotoSource(&photos);
        if (!realScreens) {
            ScreenFactory factory;
            factory.orderEditor = [this] { return count("editor", new FakeEditor()); };
            factory.purchaseList = [this] { return count("purchase", new FakePurchase()); };
            factory.promotionProducts = [this] { return count("promotion", new FakePurchase()); };
            factory.orderPhotoList = [this] { return count("photos", new FakePhotoList()); };
            factory.itemList = [this] { return count("items", new FakeItemList()); };
            factory.shipToPicker = [this] { return count("shipTo", new FakeShipToPanel()); };
            root->setScreenFactory(factory);
        }
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
    ScreenController* count(const QString& kind, ScreenController* screen)
    {
        made[kind] += 1;
        return screen;
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
    int rowOf(const QString& number) const
    {
        const QList<SalesOrder> rows = list()->salesOrderArray();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].purchaseOrderNo == number)
                return i;
        return -1;
    }
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
        EXPECT_EQ(dialogs.last("actionSheet")->title, Strings::localized(title));
        ASSERT_TRUE(dialogs.choose(Strings::localized(button)));
    }
    QString notice()
    {
        return dialogs.last("notice") ? dialogs.last("notice")->message : QString();
    }
};
} // namespace

TEST_F(RouterFixture, LoginShowsTheHeaderAndAllOrdersAndTheModeMenuSwitchesLists)
{
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
    EXPECT_EQ(numbers(), QStringList({"ACME.1004", "OHARA.1003", "ACME.1006", "BOLT.1002",
                                      "ACME.1001", "MULLER.1005"}));

    header()->showPopover();
    ASSERT_TRUE(dialogs.isPopoverOpen());
    tag(20);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(list()->type(), 3);
    EXPECT_EQ(header()->title(), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
    EXPECT_EQ(numbers(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001", "MULLER.1005"}));

    tag(19);
    EXPECT_EQ(list()->type(), 2);
    EXPECT_EQ(numbers(), QStringList({"OHARA.1003"}));
    tag(10);
    EXPECT_EQ(list()->type(), 1);

    // On a phone the menu is an action sheet whose entries post the same tags.
    DeviceIdiom::setTablet(false);
    header()->showPopover();
    DeviceIdiom::setTablet(true);
    ASSERT_NE(dialogs.last("actionSheet"), nullptr);
    EXPECT_TRUE(dialogs.last("actionSheet")->title.isEmpty());
    ASSERT_TRUE(dialogs.choose(Strings::localized("ORDERLISTVIEW_POPUPMENU_UPLOADED_ORDER")));
    EXPECT_EQ(list()->type(), 2);
    DeviceIdiom::setTablet(false);
    header()->showPopover();
    DeviceIdiom::setTablet(true);
    ASSERT_TRUE(dialogs.choose(Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL")));
    EXPECT_EQ(list()->type(), 2);
}

TEST_F(RouterFixture, SelectionModeKeepsTheListsTitleAndCountsInTheHeader)
{
    tag(20);
    tag(12);
    EXPECT_EQ(headerType(), HeaderViewController::MultipleSelect);
    EXPECT_TRUE(list()->multiSelectionMode());
    EXPECT_EQ(header()->title(), Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER"));
    list()->rowClicked(0);
    list()->rowClicked(1);
    EXPECT_EQ(header()->title(), "2 " + Strings::localized("ORDERLISTVIEW_SELECTMODE"));
    list()->rowClicked(0);
    EXPECT_EQ(header()->title(), "1 " + Strings::localized("ORDERLISTVIEW_SELECTMODE"));

    tag(14);
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
    EXPECT_FALSE(list()->multiSelectionMode());
    // Back in the draft orders, the title still says so.
    EXPECT_EQ(header()->title(), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
    // A count posted outside the selection layout leaves the title alone.
    post("orderListUpdateHeader");
    EXPECT_EQ(header()->title(), Strings::localized("ORDERLISTVIEW_HEADER_DRAFT_ORDER"));
}

TEST_F(RouterFixture, SelectionCommandsNeedASelectionAMailClientAndAConfirmedDelete)
{
    tag(12);
    for (int t : {15, 16, 17, 23}) {
        dialogs.clear();
        tag(t);
        EXPECT_EQ(dialogs.count("notice"), 1) << t;
        EXPECT_EQ(notice(), Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED")) << t;
        EXPECT_EQ(dialogs.count("actionSheet"), 0) << t;
        EXPECT_EQ(headerType(), HeaderViewController::MultipleSelect) << t;
        EXPECT_TRUE(list()->multiSelectionMode()) << t;
    }
    EXPECT_EQ(AppManager::getOrderlistRowContent("DESC", "ASC", 0).size(), 6);

    // Export needs a mail client; with one, the selection goes as attachments.
    list()->rowClicked(rowOf("ACME.1001"));
    mailer.canSend = false;
    tag(16);
    EXPECT_EQ(notice(), Strings::localized("OREDRLISTVIEW_CANNOT_SEND_MAIL"));
    EXPECT_EQ(list()->selectedRowNo(), 1);
    EXPECT_TRUE(mailer.composed.isEmpty());
    mailer.canSend = true;
    tag(16);
    ASSERT_EQ(mailer.composed.size(), 1);
    ASSERT_EQ(mailer.composed[0].attachments.size(), 1);
    EXPECT_EQ(mailer.composed[0].attachments[0].fileName, "ACME.1001.txt");
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
    EXPECT_FALSE(list()->multiSelectionMode());

    // Delete asks first.
    tag(12);
    list()->rowClicked(rowOf("ACME.1006"));
    list()->rowClicked(rowOf("OHARA.1003"));
    tag(23);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER", "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    EXPECT_EQ(numbers().size(), 6);
    EXPECT_EQ(list()->selectedRowNo(), 2);
    tag(23);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER",
                "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE");
    EXPECT_FALSE(numbers().contains("ACME.1006"));
    EXPECT_FALSE(list()->multiSelectionMode());
    // The header keeps its selection layout, and no longer claims a count.
    EXPECT_EQ(headerType(), HeaderViewController::MultipleSelect);
    EXPECT_EQ(header()->title(), Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED_HEADER"));
}

TEST_F(RouterFixture, LogoutAfterConfirmationDropsHeaderAndToken)
{
    AppManager::setAuthToken("token-1");
    tag(18);
    const FakeDialogs::Request* sheet = dialogs.last("actionSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->title, Strings::localized("VIEWCONTROLLER_ACTIONSHEET_LOGOUT"));
    // Any other button than the confirm text does nothing.
    sheet->answer(0, "something else");
    EXPECT_NE(list(), nullptr);
    ASSERT_TRUE(dialogs.choose(Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CONFIRM_LOGOUT")));
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
    EXPECT_EQ(made["editor"], 1);
    EXPECT_EQ(editor->order.purchaseOrderNo, "ACME.1001");
    EXPECT_EQ(editor->listed.size(), 6);
    EXPECT_EQ(headerType(), HeaderViewController::OrderDetail);
    EXPECT_FALSE(header()->detailsUploaded());

    tag(30);
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    EXPECT_EQ(list()->currentRow(), rowOf("ACME.1001"));

    editor = open("BOLT.1002");
    EXPECT_EQ(made["editor"], 2);
    EXPECT_TRUE(header()->detailsUploaded()); // the header bar disables its edits

    // No order under the key: nothing opens.
    tag(30);
    post("rowclicked", {{"order number", QVariant()}});
    EXPECT_NE(list(), nullptr);
    EXPECT_EQ(made["editor"], 2);

    // Back from a changed order asks first.
    editor = open("ACME.1006");
    editor->changed = true;
    tag(30);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_EXITORDER", "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    EXPECT_EQ(screen<FakeEditor>(), editor);
    EXPECT_EQ(headerType(), HeaderViewController::OrderDetail);
    tag(30);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_EXITORDER", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_EXITORDER");
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->currentRow(), rowOf("ACME.1006"));

    // So does deleting it.
    editor = open("ACME.1006");
    tag(34);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETEORDER", "VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    EXPECT_EQ(screen<FakeEditor>(), editor);
    tag(34);
    answerSheet("VIEWCONTROLLER_ACTIONSHEET_DELETEORDER", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE");
    EXPECT_TRUE(editor->calls.contains("delete"));
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(rowOf("ACME.1006"), -1);
    EXPECT_EQ(headerType(), HeaderViewController::OrderList);
}

TEST_F(RouterFixture, SaveAndUploadNeedLinesAndAValidNumber)
{
    FakeEditor* editor = open("ACME.1006"); // no lines
    for (int t : {31, 32}) {
        dialogs.clear();
        tag(t);
        EXPECT_EQ(notice(), Strings::localized("OREDRDETAILVIEW_SAVE_FAIL_NOITEM")) << t;
        EXPECT_EQ(screen<FakeEditor>(), editor) << t;
        EXPECT_FALSE(editor->calls.contains("verify")) << t;
    }

    tag(30);
    editor = open("ACME.1001"); // three lines
    editor->verifyAnswer = false;
    dialogs.clear();
    tag(31);
    tag(32);
    EXPECT_EQ(screen<FakeEditor>(), editor);
    EXPECT_EQ(editor->calls.count("verify"), 2);
    EXPECT_FALSE(editor->calls.contains("upload"));
    EXPECT_EQ(dialogs.count("notice"), 0); // the editor tells the salesman itself

    editor->verifyAnswer = true;
    tag(31);
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->currentRow(), rowOf("ACME.1001"));

    editor = open("ACME.1001");
    QPointer<FakeEditor> uploaded(editor);
    tag(32);
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->currentRow(), -1);
    ASSERT_FALSE(uploaded.isNull()); // released after the fade only
    EXPECT_TRUE(uploaded->calls.contains("upload"));
}

TEST_F(RouterFixture, ANewOrderOpensTheCustomerPickerOnItsOwn)
{
    header()->setDetailsUploaded(true);
    tag(13);
    FakeEditor* editor = screen<FakeEditor>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->order.purchaseOrderNo, ".");
    EXPECT_EQ(editor->order.uploadStatus, 10);
    EXPECT_FALSE(header()->detailsUploaded());
    EXPECT_FALSE(editor->calls.contains("showPopover"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->calls.contains("showPopover"); }, 2000));
    EXPECT_EQ(editor->calls.count("showPopover"), 1);
}

TEST_F(RouterFixture, ItemsGoFromTheEditorToThePurchaseListAndBack)
{
    FakeEditor* editor = open("ACME.1001");
    editor->shipTo = AppManager::getCustomerShipTo("C100", "SH101");
    editor->soldTo = AppManager::getCustomerSoldTo("C100");
    tag(33);
    EXPECT_TRUE(editor->calls.contains("saveOrder(false)"));
    auto* purchase = screen<FakePurchase>();
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(made["purchase"], 1);
    EXPECT_EQ(headerType(), HeaderViewController::PurchaseList);
    EXPECT_EQ(purchase->order.purchaseOrderNo, "ACME.1001");
    EXPECT_EQ(purchase->items.size(), 3);
    ASSERT_TRUE(purchase->shipTo.has_value());
    EXPECT_EQ(purchase->shipTo->shipToCode, "SH101");
    ASSERT_TRUE(purchase->soldTo.has_value());

    // Into a promotion and back to the purchase list.
    delegate.setPromoClick("Y");
    post("rowclicked");
    auto* promotion = screen<FakePurchase>();
    ASSERT_NE(promotion, purchase);
    EXPECT_EQ(made["promotion"], 1);
    EXPECT_EQ(promotion->order.purchaseOrderNo, "ACME.1001");
    promotion->items = purchase->items;
    promotion->items << line("ACME.1001", "A120_promoP200", 4, "P200");
    tag(51);
    auto* again = screen<FakePurchase>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(made["purchase"], 2);
    EXPECT_EQ(again->items.size(), 4);
    EXPECT_EQ(headerType(), HeaderViewController::PurchaseList);

    // Back to a new editor with the picked items, marked changed.
    delegate.setPromoClick("N");
    tag(51);
    auto* back = screen<FakeEditor>();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::OrderDetail);
    EXPECT_TRUE(back->calls.contains("setPurchaseItemList"));
    EXPECT_EQ(back->picked.size(), 4);
    EXPECT_TRUE(back->haveChanged());
    ASSERT_TRUE(back->shipTo.has_value());
    EXPECT_EQ(back->shipTo->shipToCode, "SH101");
}

TEST_F(RouterFixture, PhoneCustomerFieldCatalogueAndPhotoList)
{
    FakeEditor* editor = open("ACME.1001");
    tag(35, {{"default_shipto", "C100"}});
    auto* panel = dynamic_cast<FakeShipToPanel*>(root->overlayScreen());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->delegate, editor);
    EXPECT_EQ(panel->name, "C100");
    EXPECT_EQ(screen<FakeEditor>(), editor);
    // The panel goes once it has answered.
    ASSERT_TRUE(panel->answered);
    panel->answered();
    EXPECT_EQ(root->overlayScreen(), nullptr);

    // The photo list keeps the editor's order, customers, lines and changes
    // for the way back, which leads to an editor with all of them.
    editor->lines.removeLast();
    editor->changed = true;
    editor->shipTo = AppManager::getCustomerShipTo("C100", "SH102");
    post("photolistClicked");
    auto* photos = screen<FakePhotoList>();
    ASSERT_NE(photos, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::OrderImageList);
    EXPECT_EQ(photos->order.purchaseOrderNo, "ACME.1001");
    EXPECT_EQ(photos->lines.size(), 2);
    EXPECT_TRUE(photos->changed);
    tag(53);
    auto* back = screen<FakeEditor>();
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back, editor);
    EXPECT_EQ(headerType(), HeaderViewController::OrderDetail);
    EXPECT_FALSE(header()->detailsUploaded());
    EXPECT_EQ(back->order.purchaseOrderNo, "ACME.1001");
    EXPECT_EQ(back->lines.size(), 2);
    EXPECT_TRUE(back->changed);
    ASSERT_TRUE(back->shipTo.has_value());
    EXPECT_EQ(back->shipTo->shipToCode, "SH102");
    EXPECT_EQ(made.value("purchase"), 0);

    tag(10);
    tag(11);
    auto* items = screen<FakeItemList>();
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(headerType(), HeaderViewController::ItemList);
    tag(50);
    EXPECT_TRUE(items->scanning);
    tag(10);
    EXPECT_NE(list(), nullptr);
}

TEST_F(RouterFixture, NotificationsOnlyActWhereTheyApply)
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
    post("uploadComplete");
    post("updateSuccess");
    post("loginFailed", {{"message", "late"}});
    EXPECT_EQ(screen<FakeEditor>(), editor);
    EXPECT_EQ(dialogs.count("alert"), 0);

    tag(30);
    tag(11);
    auto* items = screen<FakeItemList>();
    post("downloadComplete", {{"type", "material"}});
    EXPECT_EQ(items->reloads, 1);
    tag(10);
    open("ACME.1001");
    tag(33);
    post("downloadComplete", {{"type", "material"}});
    EXPECT_EQ(screen<FakePurchase>()->reloads, 1);
}

TEST_F(RouterFixture, UnknownTagsAndSourcesDoNothing)
{
    ScreenController* shown = root->currentScreen();
    for (int t : {-1, 0, 1, 24, 29, 36, 52, 54, 99}) {
        tag(t);
        EXPECT_EQ(root->currentScreen(), shown) << t;
        EXPECT_EQ(headerType(), HeaderViewController::OrderList) << t;
    }
    for (int source : {0, 5, -2}) {
        post("itemListClicked", {{"itemListViewPopupTag", source}});
        post("orderdetailClicked", {{"orderdetailViewPopupTag", source}});
    }
    QTest::qWait(1);
    EXPECT_TRUE(photos.requests.isEmpty());
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(RouterFixture, PhotosGoToTheCurrentScreen)
{
    tag(11);
    auto* items = screen<FakeItemList>();
    root->setViewSize(300, 500);

    // Camera: on the next turn of the event loop.
    post("itemListClicked", {{"itemListViewPopupTag", 1}});
    EXPECT_TRUE(photos.requests.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !photos.requests.isEmpty(); }));
    EXPECT_TRUE(photos.requests.last().camera);
    // An item's picture is framed as the library's: a square as wide as the root.
    EXPECT_EQ(photos.requests.last().crop, QSize(300, 300));
    QImage wide(640, 480, QImage::Format_RGB32);
    wide.fill(Qt::red);
    photos.deliver(wide);
    ASSERT_EQ(items->images.size(), 1);
    EXPECT_EQ(items->images[0].size(), QSize(300, 300));

    // Library with the square crop: at once.
    post("itemListClicked", {{"itemListViewPopupTag", 2}});
    ASSERT_EQ(photos.requests.size(), 2);
    EXPECT_FALSE(photos.requests.last().camera);
    EXPECT_EQ(photos.requests.last().crop, QSize(300, 300));
    photos.deliver(wide);
    ASSERT_EQ(items->images.size(), 2);
    EXPECT_EQ(items->images[1].size(), QSize(300, 300));
    // Cancelling hands nothing over.
    post("itemListClicked", {{"itemListViewPopupTag", 2}});
    photos.cancel();
    EXPECT_EQ(items->images.size(), 2);

    tag(10);
    FakeEditor* editor = open("ACME.1001");
    photos.camera = false; // no camera: the picture comes from the files
    post("orderdetailClicked", {{"orderdetailViewPopupTag", 3}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return photos.requests.size() == 4; }));
    EXPECT_FALSE(photos.requests.last().camera);
    EXPECT_FALSE(photos.requests.last().crop.isValid());
    photos.deliver(wide);
    post("orderdetailClicked", {{"orderdetailViewPopupTag", 4}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return photos.requests.size() == 5; }));
    EXPECT_FALSE(photos.requests.last().camera);
    photos.deliver(wide);
    EXPECT_EQ(editor->images.size(), 2);

    // A picture that arrives once the editor has gone goes nowhere.
    post("orderdetailClicked", {{"orderdetailViewPopupTag", 4}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return photos.requests.size() == 6; }));
    tag(30);
    photos.deliver(wide);
    EXPECT_EQ(editor->images.size(), 2);
}

struct RouterWithRealScreens : RouterFixture
{
    RouterWithRealScreens() { realScreens = true; }
};

TEST_F(RouterWithRealScreens, EveryTagInEveryLayoutIsSafe)
{
    // The editor is handed the order and the list it was touched in.
    list()->rowClicked(rowOf("ACME.1001"));
    auto* editor = screen<OrderDetailViewController>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->salesOrder().purchaseOrderNo, "ACME.1001");
    EXPECT_EQ(editor->salesOrderItemArray().size(), 3);
    EXPECT_EQ(editor->salesOrderArray().size(), 6);
    ASSERT_TRUE(editor->customerShipTo().has_value());

    // Each route from the order list, then every tag from where it led.
    for (int entry : {11, 12, 13, 20, 19, 10}) {
        for (int t : {10, 11, 12, 13, 14, 15, 16, 17, 19, 20, 21, 22, 30, 31, 32, 33, 35, 50, 51,
                      53, 7, 99}) {
            tag(10);
            ASSERT_NE(list(), nullptr);
            if (entry == 12) {
                tag(12);
                list()->rowClicked(0);
            } else if (entry == 13) {
                list()->rowClicked(rowOf("ACME.1001"));
            } else {
                tag(entry);
            }
            tag(t, {{"default_shipto", "C100"}});
            for (const char* name : {"photolistClicked", "rowclicked", "orderListUpdateHeader",
                                     "downloadComplete", "uploadComplete", "updateSuccess"})
                post(name);
            ASSERT_NE(root->currentScreen(), nullptr) << entry << " " << t;
            root->dismissOverlay();
            QTest::qWait(0);
        }
    }
}
