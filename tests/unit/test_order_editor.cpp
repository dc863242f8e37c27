#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/DeviceIdiom.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/FakeTransport.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "sync/UploadManager.h"
#include "workflow/OrderDetailLinesModel.h"
#include "workflow/OrderDetailSoldToPopoverViewController.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderDetailViewPopoverViewController.h"
#include "workflow/OrderImageViewController.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
const QString kNow = QStringLiteral("2025-03-20 10:15:30");

QImage picture(const QColor& colour)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The order's lines as the purchase list hands them back, keyed by item.
PurchaseItemList items(const QList<SalesOrderDetails>& lines)
{
    PurchaseItemList list;
    for (const SalesOrderDetails& line : lines)
        list.insert(line.skuCode, line);
    return list;
}

struct EditorFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};
    std::unique_ptr<OrderDetailViewController> editor;
    QObject observer;
    QList<int> photoSources;
    int photoListRequests = 0;

    void SetUp() override
    {
        TestSandbox::setNow(kNow);
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        DeviceIdiom::setTablet(true);
        NotificationCenter& centre = NotificationCenter::defaultCenter();
        centre.addObserver(&observer, "orderdetailClicked", [this](const QVariantMap& info) {
            photoSources << info.value("orderdetailViewPopupTag").toInt();
        });
        centre.addObserver(&observer, "photolistClicked",
                           [this](const QVariantMap&) { ++photoListRequests; });
        editor = std::make_unique<OrderDetailViewController>();
        editor->setDialogs(&dialogs);
    }
    void TearDown() override
    {
        editor.reset();
        OrderDetailViewController::setRandomSource({});
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    // Opens a stored order as a touch in the full order list does.
    void open(const QString& number)
    {
        editor->setSalesOrderArray(AppManager::getOrderlistRowContent("DESC", "ASC", 0));
        const std::optional<SalesOrder> order = AppManager::getSalesOrder(number);
        ASSERT_TRUE(order.has_value()) << qPrintable(number);
        editor->setSalesOrder(*order);
    }
    // A new order as the add-order command creates it.
    void openNew()
    {
        SalesOrder order;
        order.purchaseOrderNo = AppManager::generatePurchaseOrderNo();
        editor->setSalesOrder(order);
    }
    // A new order for a customer, with lines from the purchase list; what
    // `before` does happens in the editor before the trip to the list.
    void openNewWithLines(const QString& customerCode, const QList<SalesOrderDetails>& lines,
                          const std::function<void()>& before = {})
    {
        openNew();
        editor->SoldToSeleted(AppManager::getCustomerSoldTo(customerCode));
        if (before)
            before();
        editor->saveOrder(false);
        const SalesOrder order = editor->getSalesOrder();
        editor = std::make_unique<OrderDetailViewController>();
        editor->setDialogs(&dialogs);
        editor->setPurchaseItemList(items(lines), order);
        editor->setHaveChanged(true);
    }
    QStringList alerts() const
    {
        QStringList messages;
        for (const FakeDialogs::Request& r : dialogs.requests)
            if (r.kind == "alert")
                messages << r.message;
        return messages;
    }
    template <typename T> T* popover()
    {
        FakeDialogs::Request* r = dialogs.last("popover");
        return r ? qobject_cast<T*>(r->controller) : nullptr;
    }
    int uploadsQueued() const
    {
        int n = 0;
        for (const UploadData& entry : UploadManager::sharedManager()->entries())
            n += entry.type == 2 ? 1 : 0;
        return n;
    }
};
} // namespace

// ---- the purchase order number

TEST(OrderNumber, RebuiltFromTheCustomersFirstWordTheSecondsAndThreeDigits)
{
    // Half a second rounds up, less rounds down; the largest random value
    // still gives three digits; both parts of a number that has them are
    // replaced; without "." the word goes in front of the number and nothing else.
    const struct
    {
        const char *number, *customer;
        qint64 msecs;
        quint32 random;
        const char* expected;
    } cases[] = {
        {".", "Acme Stores Ltd", 1742462130500, 0, "Acme.1742462131100"},
        {".", "Acme Stores Ltd", 1742462130499, 0, "Acme.1742462130100"},
        {".", "Bolt", 1000, 0xFFFFFFFFu, "Bolt.1999"},
        {".", "Bolt", 1000, 0x80000000u, "Bolt.1550"},
        {"Acme.1742462130100", "Bolt Yard", 2000, 0, "Bolt.2100"},
        {"PLAIN7", "Acme Stores", 2000, 7, "AcmePLAIN7"},
        {".", "O'Hara & Sons", 1000, 0, "O'Hara.1100"},
        {".", "Single", 1000, 0, "Single.1100"},
        {".", "50%2 Off", 1000, 0, "50%2.1100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OrderDetailViewController::rebuildPurchaseOrderNo(c.number, c.customer, c.msecs,
                                                                    c.random),
                  c.expected);

    // Any random value lands between 100 and 999.
    for (quint32 r : {1u, 4777u, 0x7FFFFFFFu, 0xFFFFFF00u}) {
        const QString number = OrderDetailViewController::rebuildPurchaseOrderNo(".", "Acme", 1000, r);
        EXPECT_TRUE(QRegularExpression("^Acme\\.1[1-9]\\d\\d$").match(number).hasMatch())
            << qPrintable(number);
    }
}

TEST_F(EditorFixture, ANewOrderStartsWithTodayAndNoChoiceAndACustomerBuildsItsNumber)
{
    openNew();
    EXPECT_EQ(editor->purchaseOrderNoText(), ".");
    EXPECT_TRUE(editor->soldToPickerEnabled());
    EXPECT_EQ(editor->orderDateText(), "2025-03-20");
    EXPECT_EQ(editor->deliveryDateText(), "2025-03-22");
    EXPECT_EQ(editor->photoCount(), 0);
    EXPECT_EQ(editor->nowType(), 0);
    EXPECT_EQ(editor->VDType(), 0);
    EXPECT_EQ(editor->PaymentType(), 0);
    // The pickers show their first rows all the same.
    EXPECT_EQ(editor->orderTypeRow(), 0);
    EXPECT_EQ(editor->paymentTypeRow(), 0);
    EXPECT_TRUE(editor->orderTypeEnabled());
    EXPECT_EQ(editor->NeedPhoto(), "N");
    EXPECT_EQ(delegate.SelectSoldTo(), "");

    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    const QRegularExpression pattern("^Acme\\.(\\d{10,})(\\d{3})$");
    QRegularExpressionMatch match = pattern.match(editor->purchaseOrderNoText());
    ASSERT_TRUE(match.hasMatch()) << qPrintable(editor->purchaseOrderNoText());
    const qint64 seconds = QDateTime::fromString(kNow, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch();
    EXPECT_EQ(match.captured(1).toLongLong(), seconds);
    EXPECT_EQ(editor->soldToCodeText(), "C100");
    EXPECT_EQ(editor->soldToNameText(), "Acme Stores Ltd");
    EXPECT_EQ(editor->addressText(), "North");
    EXPECT_EQ(delegate.SelectSoldTo(), "C100");
    // The order itself waits for the next save.
    EXPECT_EQ(editor->salesOrder().purchaseOrderNo, ".");

    // Within the visit the customer can be chosen again.
    EXPECT_TRUE(editor->soldToPickerEnabled());
    OrderDetailViewController::setRandomSource([] { return 0u; });
    TestSandbox::setNow("2025-03-20 10:16:00");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C200"));
    EXPECT_EQ(editor->purchaseOrderNoText(), "Bolt." + QString::number(seconds + 30) + "100");
    EXPECT_EQ(delegate.SelectSoldTo(), "C200");
}

// ---- loading

TEST_F(EditorFixture, ADraftShowsItsHeaderLinesAndPhotos)
{
    open("ACME.1001");
    EXPECT_EQ(editor->purchaseOrderNoText(), "ACME.1001");
    EXPECT_EQ(editor->soldToCodeText(), "C100");
    EXPECT_EQ(editor->soldToNameText(), "Acme Stores Ltd");
    EXPECT_EQ(editor->deliveryToCodeText(), "SH101");
    EXPECT_EQ(editor->deliveryToDescriptionText(), "Acme Main Depot");
    EXPECT_EQ(editor->addressText(), "North");
    EXPECT_EQ(editor->deliverAddressText(), "Main Street 1");
    EXPECT_EQ(editor->deliveryDateText(), "2025-04-15");
    EXPECT_EQ(editor->orderDateText(), "2025-03-01");
    EXPECT_EQ(editor->photoCount(), 1);
    EXPECT_EQ(delegate.SelectSoldTo(), "C100");
    EXPECT_FALSE(editor->readOnly());
    // The customer of an order that has one stays.
    EXPECT_FALSE(editor->soldToPickerEnabled());
    EXPECT_FALSE(editor->orderTypeEnabled());
    EXPECT_EQ(editor->nowType(), 1);
    EXPECT_EQ(editor->salesOrderItemArray().size(), 3);
    // B200 of the promotion needs a photo.
    EXPECT_EQ(editor->NeedPhoto(), "Y");
    // Its lines fix the order type.
    editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 1);
    EXPECT_EQ(editor->nowType(), 1);
    EXPECT_FALSE(editor->haveChanged());

    // A delivery date too short to be a time shows as never set.
    SalesOrder order = *AppManager::getSalesOrder("ACME.1006");
    order.deliverDate = "2025-04-1";
    order.creationDate = "0000-00-00 00:00:00";
    editor->setSalesOrder(order);
    EXPECT_EQ(editor->deliveryDateText(), "0000-00-00");
    EXPECT_EQ(editor->orderDateText(), "2025-03-20");
}

TEST_F(EditorFixture, LinesAreSortedByTheirLastUpdate)
{
    SalesOrderDetails late = line("ACME.1006", "A120", 1);
    late.lastupdate = "2025-03-15 12:30:00";
    SalesOrderDetails early = line("ACME.1006", "A100", 2);
    early.lastupdate = "2025-03-15 12:05:00";
    SalesOrderDetails middle = line("ACME.1006", "A121", 3);
    middle.lastupdate = "2025-03-15 12:10:00";
    for (const SalesOrderDetails& l : {late, early, middle})
        ASSERT_TRUE(addOrderLine(l));
    open("ACME.1006");
    QStringList skus;
    for (const SalesOrderDetails& l : editor->salesOrderItemArray())
        skus << l.skuCode;
    EXPECT_EQ(skus, QStringList({"A100", "A121", "A120"}));
}

// ---- validating and saving

TEST_F(EditorFixture, ValidationStopsAtTheFirstFailingCheck)
{
    // Blanks only: empty.
    SalesOrder blank;
    blank.purchaseOrderNo = "   ";
    editor->setSalesOrderArray(AppManager::getOrderlistRowContent("DESC", "ASC", 0));
    editor->setSalesOrder(blank);
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_NO_EMPTY")}));
    EXPECT_EQ(dialogs.last("alert")->title, Strings::localized("ALERT"));
    EXPECT_EQ(dialogs.last("alert")->buttons, QStringList({Strings::localized("BUTTON_OK")}));

    // A number ending in "." is incomplete, before any duplicate check.
    SalesOrder listed = order("ZED.");
    ASSERT_TRUE(addOrder(listed, kAlice));
    SalesOrder incomplete;
    incomplete.purchaseOrderNo = " ZED. ";
    QSignalSpy taken(editor.get(), &OrderDetailViewController::purchaseOrderNoTaken);
    editor->setSalesOrderArray({listed});
    editor->setSalesOrder(incomplete);
    editor->setPurchaseItemList(items({line("", "A100", 1)}), incomplete);
    dialogs.clear();
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_NO_SECOND_PART_EMPTY")}));
    EXPECT_EQ(taken.count(), 0);

    // The new order's "." is incomplete too.
    openNew();
    dialogs.clear();
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_NO_SECOND_PART_EMPTY")}));
    EXPECT_EQ(countRows("salesOrder", "purchaseOrderNo IN ('.', '', '   ', ' ZED. ')"), 0);

    // Validated trimmed: " ACME.1006 " is ACME.1006, which another listed
    // order holds: the number flashes and nothing is stored.
    SalesOrder taker = *AppManager::getSalesOrder("ACME.1004");
    taker.purchaseOrderNo = " ACME.1006 ";
    editor->setSalesOrderArray(AppManager::getOrderlistRowContent("DESC", "ASC", 0));
    editor->setSalesOrder(taker);
    dialogs.clear();
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(taken.count(), 1);
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1006")->shipToCode, "SH101");
    EXPECT_FALSE(AppManager::getSalesOrder(" ACME.1006 ").has_value());

    // An unchanged order passes under its own number.
    open("ACME.1001");
    EXPECT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(taken.count(), 1);
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(AppManager::getSalesOrderDetail("ACME.1001").size(), 3);
    EXPECT_EQ(countRows("salesOrder", "purchaseOrderNo = 'ACME.1001'"), 1);
}

TEST_F(EditorFixture, SavingCopiesTheHeaderFieldsIntoTheOrder)
{
    openNewWithLines("C100", {line("", "A100", 4), line("", "A120", 2, " ", "PC")});
    editor->DeliveryToSeleted(AppManager::getCustomerShipTo("C100", "SH102"));
    editor->setDeliveryDay(2025, 4, 2);
    const QString number = editor->purchaseOrderNoText();
    ASSERT_TRUE(editor->verifyNewOrderNumber()) << qPrintable(alerts().join('|'));

    const std::optional<SalesOrder> stored = AppManager::getSalesOrder(number);
    ASSERT_TRUE(stored.has_value());
    // A new order is its own number until the server numbers it.
    EXPECT_EQ(stored->orderNo, number);
    EXPECT_EQ(stored->soldToCode, "C100");
    EXPECT_EQ(stored->shipToCode, "SH102");
    EXPECT_EQ(stored->deliverDate, "2025-04-02 00:00:00");
    EXPECT_EQ(stored->orderDate, "2025-03-20 00:00:00");
    EXPECT_EQ(stored->deliverAddress, "Acme Corner Shop, Old Town");
    EXPECT_EQ(stored->uploadStatus, 10);
    EXPECT_EQ(stored->creationDate, kNow);
    // The pickers were never touched.
    EXPECT_EQ(stored->type, 0);
    EXPECT_EQ(stored->vdtype, 0);
    EXPECT_EQ(stored->paymenttype, 0);
    const QList<SalesOrderDetails> lines = AppManager::getSalesOrderDetail(number);
    ASSERT_EQ(lines.size(), 2);
    for (const SalesOrderDetails& l : lines)
        EXPECT_EQ(l.orderNo, number);
    EXPECT_EQ(editor->salesOrder().purchaseOrderNo, number);
    // The upload saves once more: the same order, not a second one.
    EXPECT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(countRows("salesOrder", "purchaseOrderNo = ?", {number}), 1);
    EXPECT_EQ(AppManager::getSalesOrder(number)->creationDate, kNow);
}

TEST_F(EditorFixture, WithoutADeliveryAddressTheAddressLabelIsStoredAndChoicesAsPicked)
{
    // Choices made before the trip to the purchase list come back with it,
    // the order type locked as chosen.
    openNewWithLines("C200", {line("", "A100", 1)}, [this] {
        editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 1);
        editor->didSelectRow(OrderDetailViewController::VDTypePicker, 1);
    });
    EXPECT_FALSE(editor->orderTypeEnabled());
    EXPECT_EQ(editor->orderTypeRow(), 1);
    editor->didSelectRow(OrderDetailViewController::PaymentTypePicker, 3);
    const QString number = editor->purchaseOrderNoText();
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    const SalesOrder stored = *AppManager::getSalesOrder(number);
    EXPECT_EQ(stored.deliverAddress, "South");
    EXPECT_EQ(stored.shipToCode, "");
    EXPECT_EQ(stored.type, 2);
    EXPECT_EQ(stored.vdtype, 2);
    EXPECT_EQ(stored.paymenttype, 4);
}

TEST_F(EditorFixture, ANumberWithBlanksIsStoredUntrimmedAndADelivery0000StaysUnset)
{
    SalesOrder fresh;
    fresh.purchaseOrderNo = " NEW.77 ";
    fresh.soldToCode = "C100";
    fresh.shipToCode = "SH101";
    fresh.deliverDate = "";
    editor->setPurchaseItemList(items({line("", "A100", 1)}), fresh);
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    const std::optional<SalesOrder> stored = AppManager::getSalesOrder(" NEW.77 ");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->deliverDate, "0000-00-00 00:00:00");
    EXPECT_EQ(stored->orderNo, " NEW.77 ");
}

TEST_F(EditorFixture, AnAddressNoLongerOfferedKeepsItsCodeWhenSaved)
{
    // SH103 is inactive: the editor finds no record, and the save must not
    // wipe the order's delivery address code.
    SalesOrder order = *AppManager::getSalesOrder("ACME.1006");
    order.shipToCode = "SH103";
    ASSERT_TRUE(AppManager::saveSalesOrder(order, "ACME.1006"));
    ASSERT_TRUE(addOrderLine(line("ACME.1006", "A100", 1)));
    open("ACME.1006");
    EXPECT_FALSE(editor->customerShipTo().has_value());
    EXPECT_EQ(editor->deliveryToCodeText(), "SH103");
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1006")->shipToCode, "SH103");
}

TEST_F(EditorFixture, AFailedSaveIsReportedAndTheOrderKeepsItsNumber)
{
    // Bob's order is not in alice's list, yet holds the number the rebuild
    // will give.
    OrderDetailViewController::setRandomSource([] { return 0u; });
    const qint64 seconds = QDateTime::fromString(kNow, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch();
    const QString clash = "Acme." + QString::number(seconds) + "100";
    ASSERT_TRUE(addOrder(order(clash, "C500", "SH501"), kBob));

    openNewWithLines("C100", {line("", "A100", 1)});
    ASSERT_EQ(editor->purchaseOrderNoText(), clash);
    editor->setSalesOrderArray(AppManager::getOrderlistRowContent("DESC", "ASC", 0));
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_SAVE_FAILED")}));
    // Bob's order is left as it was, though the new order came back from
    // the purchase list carrying that number.
    EXPECT_EQ(AppManager::getSalesOrder(clash)->soldToCode, "C500");
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = ?", {clash}), 0);

    // Another customer choice gives another number, which saves.
    OrderDetailViewController::setRandomSource([] { return 0x40000000u; });
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    ASSERT_NE(editor->purchaseOrderNoText(), clash);
    EXPECT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(AppManager::getSalesOrderDetail(editor->purchaseOrderNoText()).size(), 1);
}

TEST_F(EditorFixture, AFullDiskIsToldAndTheDraftStaysAsTyped)
{
    ASSERT_TRUE(addOrderLine(line("ACME.1006", "A100", 1)));
    open("ACME.1006");
    editor->TakeRemark();
    const QString remark(200000, QLatin1Char('r'));
    dialogs.last("textEntry")->textAnswer(0, "OK", {remark, ""});
    // The database may not grow by a single page: a full disk, as SQLite sees it.
    Statement pages = DataManager::sharedManager()->executeQuery("PRAGMA page_count");
    ASSERT_EQ(pages.step(), Statement::Row);
    const int limit = pages.columnInt(0);
    DataManager::sharedManager()->executeQuery(QString("PRAGMA max_page_count = %1").arg(limit)).step();

    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("STORE_SAVE_FAILED_STORAGE")}));
    EXPECT_EQ(editor->RemarkString(), remark + "/n");
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1006")->remark, order("ACME.1006").remark);

    // With room again the same draft saves.
    DataManager::sharedManager()->executeQuery("PRAGMA max_page_count = 2147483646").step();
    EXPECT_TRUE(editor->verifyNewOrderNumber()) << qPrintable(alerts().join("|"));
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1006")->remark, remark + "/n");
}

TEST_F(EditorFixture, SaveOrderItemArrayReplacesTheStoredLinesAndDeleteRemovesThem)
{
    open("ACME.1001");
    editor->rowSelected(0);
    editor->dismissPopover({{"quantity", "0"}});
    editor->rowSelected(1);
    editor->dismissPopover({{"quantity", "97"}});
    ASSERT_EQ(editor->salesOrderItemArray().size(), 2);
    EXPECT_TRUE(editor->saveOrderItemArray());
    EXPECT_EQ(AppManager::getSalesOrderDetail("ACME.1001").size(), 2);
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = 'ACME.1001' AND quantity = 97"), 1);
    // What a delete leaves (the photos) is the store's to test.
    editor->deleteOrder();
    EXPECT_FALSE(AppManager::getSalesOrder("ACME.1001").has_value());
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = 'ACME.1001'"), 0);
}

// ---- the three pickers and haveChanged

TEST_F(EditorFixture, OrderTypeAndVDWarnWhenLeavingTheirFirstRowPaymentNever)
{
    openNew();
    // Never chosen (0): no warning.
    editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 1);
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(editor->nowType(), 2);
    // From "Good Return" to anything: no warning.
    editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 0);
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(editor->nowType(), 1);
    // "Standard Order" to row 0 again: no warning; to "Good Return": warns.
    editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 0);
    EXPECT_TRUE(alerts().isEmpty());
    editor->didSelectRow(OrderDetailViewController::OrderTypePicker, 1);
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_TYPE_CHANGED")}));
    EXPECT_EQ(dialogs.last("alert")->title, Strings::localized("ALERT"));

    editor->didSelectRow(OrderDetailViewController::VDTypePicker, 0);
    editor->didSelectRow(OrderDetailViewController::VDTypePicker, 1);
    EXPECT_EQ(alerts().last(), "VD Changed");
    EXPECT_EQ(editor->VDType(), 2);
    editor->didSelectRow(OrderDetailViewController::VDTypePicker, 1);
    EXPECT_EQ(alerts().size(), 2);

    editor->didSelectRow(OrderDetailViewController::PaymentTypePicker, 0);
    editor->didSelectRow(OrderDetailViewController::PaymentTypePicker, 2);
    EXPECT_EQ(alerts().size(), 2);
    EXPECT_EQ(editor->PaymentType(), 3);
    EXPECT_EQ(editor->paymentTypeRow(), 2);

    // Rows that are not there change nothing.
    editor->didSelectRow(OrderDetailViewController::PaymentTypePicker, 4);
    editor->didSelectRow(7, 0);
    EXPECT_EQ(editor->PaymentType(), 3);
}

TEST_F(EditorFixture, OnlyPickerChoicesAndTheRouterSetHaveChanged)
{
    open("ACME.1006");
    QSignalSpy spy(editor.get(), &OrderDetailViewController::haveChangedChanged);
    editor->DeliveryToSeleted(AppManager::getCustomerShipTo("C100", "SH102"));
    editor->setDeliveryDay(2025, 5, 1);
    editor->TakeRemark();
    dialogs.last("textEntry")->textAnswer(0, "OK", {"new", ""});
    editor->processCapturedImage(picture(Qt::red));
    editor->setPurchaseItemList(items({line("ACME.1006", "A100", 2)}), editor->salesOrder());
    editor->rowSelected(0);
    editor->dismissPopover({{"quantity", "5"}});
    EXPECT_FALSE(editor->haveChanged());
    EXPECT_EQ(spy.count(), 0);

    editor->didSelectRow(OrderDetailViewController::PaymentTypePicker, 1);
    EXPECT_TRUE(editor->haveChanged());
    // A new order handed to the editor starts unchanged.
    editor->setSalesOrder(*AppManager::getSalesOrder("ACME.1004"));
    EXPECT_FALSE(editor->haveChanged());
    editor->setHaveChanged(true);
    EXPECT_TRUE(editor->haveChanged());
    EXPECT_EQ(spy.count(), 3);
}

// ---- read-only orders

TEST_F(EditorFixture, AnUploadedOrderIsReadOnlyButCanBeUploadedAgain)
{
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "B200", 1)));
    open("BOLT.1002");
    EXPECT_TRUE(editor->readOnly());
    EXPECT_FALSE(editor->soldToPickerEnabled());
    EXPECT_FALSE(editor->orderTypeEnabled());
    // The photo requirement is not worked out for it.
    EXPECT_EQ(editor->NeedPhoto(), "N");

    editor->didSelectRow(OrderDetailViewController::VDTypePicker, 1);
    editor->setDeliveryDay(2026, 1, 1);
    editor->rowSelected(0);
    editor->TakePhoto();
    editor->billtopop();
    editor->deliverytopop();
    QTest::qWait(0);
    EXPECT_EQ(editor->VDType(), 1);
    EXPECT_EQ(editor->deliveryDateText(), "2025-04-15");
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_FALSE(editor->haveChanged());

    // The remark stays open to it.
    editor->TakeRemark();
    ASSERT_NE(dialogs.last("textEntry"), nullptr);
    dialogs.clear();

    // Uploading again stores it as a draft and queues it.
    editor->uploadOrder();
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(AppManager::getSalesOrder("BOLT.1002")->uploadStatus, 10);
    EXPECT_EQ(uploadsQueued(), 1);
}

// ---- remark and date

TEST_F(EditorFixture, TheRemarkJoinsBothFieldsAndTheDeliveryDateIsNeverBeforeToday)
{
    open("ACME.1006");
    editor->TakeRemark();
    FakeDialogs::Request* entry = dialogs.last("textEntry");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->fieldTexts, QStringList({"", ""}));
    entry->textAnswer(0, "OK", {"A", "B"});
    EXPECT_EQ(editor->RemarkString(), "A/nB");

    editor->TakeRemark();
    EXPECT_EQ(dialogs.last("textEntry")->fieldTexts, QStringList({"", "A/nB"}));
    dialogs.last("textEntry")->textAnswer(1, "Cancel", {"lost", "lost"});
    EXPECT_EQ(editor->RemarkString(), "A/nB");

    // The delivery date is never earlier than today.
    editor->setDeliveryDay(2025, 3, 19);
    EXPECT_EQ(editor->deliveryDateText(), "2025-03-20");
    editor->setDeliveryDay(2025, 6, 30);
    EXPECT_EQ(editor->deliveryDateText(), "2025-06-30");
    EXPECT_EQ(editor->deliveryPickerDay(), "2025-06-30");
    editor->setDeliveryDay(2025, 2, 30);
    EXPECT_EQ(editor->deliveryDateText(), "2025-06-30");
    // A stored day in the past starts the picker today.
    open("ACME.1004");
    TestSandbox::setNow("2025-05-01 08:00:00");
    EXPECT_EQ(editor->deliveryPickerDay(), "2025-05-01");
}

// ---- quantities

TEST_F(EditorFixture, TheQuantityPopoverStartsWithTheLinesQuantityAndZeroRemovesTheLine)
{
    open("ACME.1001");
    const QList<SalesOrderDetails> before = editor->salesOrderItemArray();
    editor->rowSelected(1);
    FakeDialogs::Request* shown = dialogs.last("popover");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->size, QSizeF(320, 300));
    EXPECT_EQ(shown->anchor, "lineRow1");
    EXPECT_EQ(shown->view, "QuantityInputPopover");
    auto* quantity = popover<QuantityInputPopoverViewController>();
    ASSERT_NE(quantity, nullptr);
    quantity->viewDidLoad();
    EXPECT_EQ(quantity->quantity(), QString::number(before[1].quantity));

    // The popover answers through its confirm button.
    quantity->setQuantity("12");
    quantity->buttonClicked(1);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(editor->salesOrderItemArray()[1].quantity, 12);
    EXPECT_EQ(editor->model()->data(editor->model()->index(1), OrderDetailLinesModel::QuantityRole),
              "12");

    // 0 removes the line, down to the last one.
    for (int left = 2; left >= 0; --left) {
        editor->rowSelected(0);
        editor->dismissPopover({{"quantity", "0"}, {"capacity", "CS"}});
        EXPECT_EQ(editor->salesOrderItemArray().size(), left);
    }
    EXPECT_TRUE(editor->orderTypeEnabled());
    // An answer without a selected line changes nothing.
    editor->dismissPopover({{"quantity", "3"}});
    EXPECT_TRUE(editor->salesOrderItemArray().isEmpty());
}

TEST_F(EditorFixture, TheLinesModelShowsCodesPicturesAndDescriptions)
{
    ASSERT_TRUE(QDir().mkpath(sandbox.caches() + "/material"));
    ASSERT_TRUE(picture(Qt::green).save(sandbox.caches() + "/material/A100.jpg", "PNG"));
    ASSERT_TRUE(picture(Qt::green).save(sandbox.caches() + "/material/B200_promoP100.png"));
    open("ACME.1001");
    OrderDetailLinesModel* model = editor->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), 3);
    QMap<QString, int> rowOf;
    for (int row = 0; row < 3; ++row)
        rowOf[editor->salesOrderItemArray()[row].skuCode] = row;
    auto value = [model](int row, int role) {
        return model->data(model->index(row), role).toString();
    };

    const int a100 = rowOf["A100"];
    EXPECT_EQ(value(a100, OrderDetailLinesModel::RowNumberRole), QString::number(a100 + 1));
    // A catalogue line's promotion code is one blank, which still shows.
    EXPECT_EQ(value(a100, OrderDetailLinesModel::ItemCodeRole), "A100    Promo Code: ");
    EXPECT_EQ(value(a100, OrderDetailLinesModel::DescriptionRole), "Item A100");
    EXPECT_EQ(value(a100, OrderDetailLinesModel::PictureRole), "image://rq/material/A100.jpg");
    EXPECT_EQ(value(a100, OrderDetailLinesModel::UnitRole), "CS");
    EXPECT_EQ(value(a100, OrderDetailLinesModel::QuantityRole), "5");

    const int promo = rowOf["B200_promoP100"];
    EXPECT_EQ(value(promo, OrderDetailLinesModel::ItemCodeRole), "B200    Promo Code:P100");
    EXPECT_EQ(value(promo, OrderDetailLinesModel::DescriptionRole), "Item B200");
    EXPECT_EQ(value(promo, OrderDetailLinesModel::PictureRole),
              "image://rq/material/B200_promoP100.png");
    EXPECT_EQ(value(rowOf["A120"], OrderDetailLinesModel::PictureRole), "image://rq/no_image.png");

    // A line without a promotion code shows the code alone.
    SalesOrderDetails bare = line("X", "A121", 1, "");
    EXPECT_EQ(OrderDetailLinesModel::itemCodeText(bare), "A121");
    SalesOrderDetails twice = line("X", "P7_promoP7", 1, "P7");
    EXPECT_EQ(OrderDetailLinesModel::cleanItemCode(twice), "");

    // Removing a row renumbers the rows below it.
    editor->rowSelected(0);
    editor->dismissPopover({{"quantity", "0"}});
    EXPECT_EQ(value(0, OrderDetailLinesModel::RowNumberRole), "1");
    EXPECT_EQ(value(1, OrderDetailLinesModel::RowNumberRole), "2");
}

// ---- photos

TEST_F(EditorFixture, APhotoIsWrittenAsPngNamedByItsTimeAndCounted)
{
    open("ACME.1006");
    QSignalSpy counted(editor.get(), &OrderDetailViewController::photoCountChanged);
    editor->processCapturedImage(picture(Qt::blue));
    const QString path = sandbox.documents() + "/20250320101530.png";
    QImage stored(path, "PNG");
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.size(), QSize(24, 16));
    EXPECT_EQ(stored.pixelColor(3, 3), QColor(Qt::blue));
    const QList<QVariantMap> rows = AppManager::getOrderImg("ACME.1006");
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].value("imagename").toString(), "20250320101530.png");
    EXPECT_EQ(editor->photoCountText(), "1");
    EXPECT_EQ(counted.count(), 1);

    // A second photo in the same second does not replace the first.
    editor->processCapturedImage(picture(Qt::yellow));
    EXPECT_EQ(editor->photoCount(), 2);
    EXPECT_EQ(QImage(path).pixelColor(3, 3), QColor(Qt::blue));
    QImage second(sandbox.documents() + "/20250320101531.png");
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second.pixelColor(3, 3), QColor(Qt::yellow));
    EXPECT_EQ(AppManager::getOrderImg("ACME.1006").size(), 2);

    // No picture, no photo.
    editor->processCapturedImage(QImage());
    EXPECT_EQ(editor->photoCount(), 2);

    // Reopening counts what is filed.
    open("ACME.1006");
    EXPECT_EQ(editor->photoCount(), 2);
}

TEST_F(EditorFixture, APhotoThatCannotBeFiledIsNotCounted)
{
    open("ACME.1006");
    // Without its table the photo row cannot be filed.
    ASSERT_TRUE(DataManager::sharedManager()->executeUpdate("DROP TABLE orderimage"));
    editor->processCapturedImage(picture(Qt::blue));
    EXPECT_EQ(editor->photoCount(), 0);
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_PHOTO_SAVE_FAILED")}));
}

TEST_F(EditorFixture, TakePhotoAsksForTheSourceAndPostsItsNumber)
{
    open("ACME.1006");
    editor->TakePhoto();
    FakeDialogs::Request* sheet = dialogs.last("actionSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->title, "Select option:");
    EXPECT_EQ(sheet->buttons, QStringList({"Camera", "Library", "Cancel"}));
    ASSERT_TRUE(dialogs.choose("Camera"));
    editor->TakePhoto();
    ASSERT_TRUE(dialogs.choose("Library"));
    editor->TakePhoto();
    ASSERT_TRUE(dialogs.choose("Cancel"));
    editor->TakePhoto();
    dialogs.last("actionSheet")->answer(-1, QString());
    EXPECT_EQ(photoSources, QList<int>({3, 4}));
}

TEST_F(EditorFixture, AnOrderNeedingAPhotoIsSavedButNotQueuedWithoutOne)
{
    // ACME.1001 has the promotion line of B200, which needs a photo; its
    // seeded photo is moved away.
    ASSERT_TRUE(AppManager::moveOrderImage("20250301090500.png", "ACME.1001", "ELSEWHERE"));
    open("ACME.1001");
    ASSERT_EQ(editor->photoCount(), 0);
    editor->didSelectRow(OrderDetailViewController::VDTypePicker, 1);
    editor->uploadOrder();
    ASSERT_NE(dialogs.last("alert"), nullptr);
    EXPECT_EQ(dialogs.last("alert")->title, "Warning");
    EXPECT_EQ(dialogs.last("alert")->message, "Please take a photo for product");
    EXPECT_EQ(dialogs.last("alert")->buttons, QStringList({"OK"}));
    EXPECT_EQ(uploadsQueued(), 0);
    // Saved all the same.
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1001")->vdtype, 2);

    editor->processCapturedImage(picture(Qt::green));
    dialogs.clear();
    editor->uploadOrder();
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(uploadsQueued(), 1);
    EXPECT_EQ(UploadManager::sharedManager()->entries().last().orderNo, "ACME.1001");
}

TEST_F(EditorFixture, AnInvalidNumberIsNotQueued)
{
    openNewWithLines("C100", {line("", "A100", 1)});
    SalesOrder order = editor->salesOrder();
    order.purchaseOrderNo = "Acme.";
    editor->setPurchaseItemList(items({line("", "A100", 1)}), order);
    editor->uploadOrder();
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_NO_SECOND_PART_EMPTY")}));
    EXPECT_EQ(uploadsQueued(), 0);
}

TEST_F(EditorFixture, PhotosTakenDuringTheVisitFollowTheNumberTheOrderIsSavedWith)
{
    openNew();
    editor->processCapturedImage(picture(Qt::red));
    EXPECT_EQ(editor->photoCount(), 1);
    EXPECT_EQ(countRows("orderimage", "orderno = '.'"), 1);
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    TestSandbox::setNow("2025-03-20 10:16:00");
    editor->processCapturedImage(picture(Qt::green));
    const QString first = editor->purchaseOrderNoText();
    EXPECT_EQ(AppManager::getOrderImg(first).size(), 1);
    TestSandbox::setNow("2025-03-20 10:17:00");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C200"));
    const QString final = editor->purchaseOrderNoText();
    ASSERT_NE(first, final);
    TestSandbox::setNow("2025-03-20 10:18:00");
    editor->processCapturedImage(picture(Qt::blue));
    EXPECT_EQ(editor->photoCount(), 3);
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(AppManager::getOrderImg(final).size(), 3);
    EXPECT_EQ(countRows("orderimage", "orderno = '.'"), 0);
    EXPECT_EQ(AppManager::getOrderImg(first).size(), 0);
    // Photos filed before this visit stay where they are.
    EXPECT_EQ(AppManager::getOrderImg("ACME.1001").size(), 1);

    // The add-item command copies the header before the purchase list opens:
    // the photos travel on under the number the order goes with.
    TestSandbox::setNow("2025-03-20 10:19:00");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    editor->saveOrder(false);
    const QString travelling = editor->getSalesOrder().purchaseOrderNo;
    ASSERT_NE(travelling, final);
    EXPECT_EQ(AppManager::getOrderImg(travelling).size(), 3);
    auto next = std::make_unique<OrderDetailViewController>();
    next->setDialogs(&dialogs);
    next->setPurchaseItemList(items({line("", "A100", 1)}), editor->getSalesOrder());
    EXPECT_EQ(next->photoCount(), 3);
}

TEST_F(EditorFixture, ThePhotoListOfAnUploadedOrderLeavesItUploaded)
{
    open("BOLT.1002");
    editor->PhotoList();
    EXPECT_EQ(photoListRequests, 1);
    EXPECT_EQ(editor->salesOrder().uploadStatus, 20);
}

// ---- the customer pickers

TEST_F(EditorFixture, TheSoldToPickerOpensAtTheCustomerFieldAndSearchesOnReturn)
{
    openNew();
    editor->billtopop();
    EXPECT_EQ(dialogs.count("popover"), 0);
    QTest::qWait(0);
    FakeDialogs::Request* shown = dialogs.last("popover");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->size, QSizeF(500, 600));
    EXPECT_EQ(shown->anchor, "soldToCodeField");
    EXPECT_EQ(shown->view, "OrderDetailSoldToPopover");
    auto* picker = popover<OrderDetailSoldToPopoverViewController>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->PopType(), "ship");
    picker->viewDidLoad();
    EXPECT_EQ(picker->placeholder(), Strings::localized("ORDERDETAILVIEW_SHIP_TO_NAME"));
    const QStringList routeCustomers = picker->entries();
    EXPECT_TRUE(routeCustomers.contains("Bolt Hardware"));
    EXPECT_TRUE(routeCustomers.contains("Acme Stores Ltd"));
    EXPECT_FALSE(routeCustomers.contains("Offroute Market"));

    // Typing alone changes nothing; Return searches.
    picker->setKeyword("bolt");
    EXPECT_EQ(picker->entries(), routeCustomers);
    picker->textFieldShouldReturn();
    EXPECT_EQ(picker->entries(), QStringList({"Bolt Hardware"}));
    picker->setKeyword("");
    picker->textFieldShouldReturn();
    EXPECT_FALSE(picker->entries().contains("Offroute Market"));
    EXPECT_FALSE(picker->entries().isEmpty());

    picker->setKeyword("Süd");
    picker->textFieldShouldReturn();
    EXPECT_EQ(picker->entries(), QStringList({"Müller Bäckerei"}));
    picker->customerSoldToSelected(0);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(editor->soldToCodeText(), "C600");
    const QString number = editor->purchaseOrderNoText();
    EXPECT_TRUE(number.startsWith("Müller."));
    EXPECT_EQ(editor->popOverController(), nullptr);

    // Cancelled, the picker leaves the editor as it was.
    editor->showPopover();
    picker = popover<OrderDetailSoldToPopoverViewController>();
    ASSERT_NE(picker, nullptr);
    picker->viewDidLoad();
    picker->buttonCancelClicked();
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(editor->purchaseOrderNoText(), number);
    EXPECT_EQ(editor->soldToCodeText(), "C600");
    // A starting keyword is searched at once.
    OrderDetailSoldToPopoverViewController other;
    other.setSoldToName("O'Hara");
    other.viewDidLoad();
    EXPECT_EQ(other.entries(), QStringList({"O'Hara & Sons"}));
}

TEST_F(EditorFixture, TheShipToPickerDrillsFromDistrictToAddress)
{
    open("ACME.1006");
    editor->deliverytopop();
    QTest::qWait(0);
    FakeDialogs::Request* shown = dialogs.last("popover");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->anchor, "deliveryToCodeField");
    EXPECT_EQ(shown->size, QSizeF(500, 600));
    auto* picker = popover<OrderDetailViewPopoverViewController>();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->PopType(), "delivery");
    picker->viewDidLoad();
    EXPECT_EQ(picker->placeholder(), Strings::localized("ORDERDETAILVIEW_DELIVERY_TO_NAME"));
    EXPECT_EQ(picker->level(), OrderDetailViewPopoverViewController::District);
    QStringList districts = picker->entries();
    districts.sort();
    EXPECT_EQ(districts, QStringList({"Harbour", "Old Town"}));
    picker->entryClicked(static_cast<int>(picker->entries().indexOf("Harbour")));
    EXPECT_EQ(picker->district(), "Harbour");
    EXPECT_EQ(picker->level(), OrderDetailViewPopoverViewController::Addresses);
    // The closed store is not offered; the depot is a stop of two routes.
    EXPECT_EQ(picker->entries(), QStringList({"Acme Main Depot", "Acme Main Depot"}));
    picker->setKeyword("Corner");
    EXPECT_EQ(picker->entries(), QStringList({"Acme Corner Shop"}));
    picker->entryClicked(0);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(editor->deliveryToCodeText(), "SH102");
    EXPECT_EQ(editor->deliveryToDescriptionText(), "Acme Corner Shop");
    EXPECT_EQ(editor->deliverAddressText(), "Acme Corner Shop, Old Town");
    EXPECT_EQ(editor->purchaseOrderNoText(), "ACME.1006");
}

TEST_F(EditorFixture, TheShipToPickerNarrowsAtEveryLetterAndKnowsNoDistrictsWithoutACustomer)
{
    openNew();
    auto picker = std::make_unique<OrderDetailViewPopoverViewController>();
    picker->setDelegate(editor.get());
    picker->viewDidLoad();
    EXPECT_TRUE(picker->entries().isEmpty());

    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    picker->viewDidLoad();
    EXPECT_EQ(picker->entries().size(), 2);
    picker->setKeyword("A");
    const int afterA = static_cast<int>(picker->entries().size());
    picker->setKeyword("Ac");
    picker->setKeyword("Acme M");
    EXPECT_EQ(picker->entries(), QStringList({"Acme Main Depot"}));
    EXPECT_GE(afterA, 2);
    picker->setKeyword("");
    EXPECT_EQ(picker->entries().size(), 2);

    // Cancel answers with no address and changes nothing.
    int answered = 0;
    picker->setOnAnswered([&answered] { ++answered; });
    picker->buttonCancelClicked();
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(editor->deliveryToCodeText(), "");

    // Opened for the customer, an address becomes the customer.
    picker->setPopType("ship");
    picker->setKeyword("Main");
    picker->customerShipToSelected(0);
    EXPECT_EQ(answered, 2);
    EXPECT_EQ(editor->soldToCodeText(), "C100");
    EXPECT_EQ(editor->deliveryToDescriptionText(), "Acme Main Depot");
    EXPECT_EQ(editor->addressText(), "Acme Main Depot, Harbour");
    EXPECT_TRUE(editor->purchaseOrderNoText().startsWith("Acme."));

    // The region and customer-name levels lead on as their tags say.
    picker->buttonClicked(OrderDetailViewPopoverViewController::CustomerName, "Acme Stores Ltd");
    EXPECT_EQ(picker->customerName(), "Acme Stores Ltd");
    EXPECT_EQ(picker->level(), OrderDetailViewPopoverViewController::Region);
    picker->buttonClicked(OrderDetailViewPopoverViewController::Region, "North");
    EXPECT_EQ(picker->region(), "North");
    EXPECT_EQ(picker->level(), OrderDetailViewPopoverViewController::District);
}

TEST_F(EditorFixture, ChoosingAnotherCustomerDropsTheOldCustomersDeliveryAddress)
{
    openNew();
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    editor->DeliveryToSeleted(AppManager::getCustomerShipTo("C100", "SH101"));
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    EXPECT_EQ(editor->deliveryToCodeText(), "SH101");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C200"));
    EXPECT_EQ(editor->deliveryToCodeText(), "");
    EXPECT_EQ(editor->deliverAddressText(), "");
    EXPECT_FALSE(editor->customerShipTo().has_value());
    // An answer without a record only closes the picker.
    editor->DeliveryToSeleted(std::nullopt);
    editor->SoldToSeleted(std::nullopt);
    EXPECT_EQ(editor->soldToCodeText(), "C200");
}

// ---- the photo list

TEST_F(EditorFixture, ThePhotoListShowsTheOrdersPhotos)
{
    open("ACME.1006");
    editor->processCapturedImage(picture(Qt::red));
    ASSERT_TRUE(AppManager::insertorderimage("ACME.1006", "19990101000000.png"));
    OrderImageViewController photos;
    photos.setSalesOrder(editor->salesOrder());
    EXPECT_EQ(photos.OrderNo(), "ACME.1006");
    OrderImageListModel* model = photos.collectionView();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->data(model->index(0), OrderImageListModel::SourceRole).toString(),
              QUrl::fromLocalFile(sandbox.documents() + "/20250320101530.png").toString());
    EXPECT_EQ(model->data(model->index(0), OrderImageListModel::TakenRole).toString(),
              "2025-03-20 10:15:30");
    EXPECT_TRUE(model->data(model->index(0), OrderImageListModel::AvailableRole).toBool());
    // A row whose file is gone shows the no-image picture.
    EXPECT_EQ(model->data(model->index(1), OrderImageListModel::SourceRole).toString(),
              "image://rq/no_image.png");
    EXPECT_FALSE(model->data(model->index(1), OrderImageListModel::AvailableRole).toBool());

    ASSERT_TRUE(AppManager::insertorderimage("ACME.1006", "20250320101700.png"));
    photos.reloadCollection();
    EXPECT_EQ(model->rowCount(), 3);
}
