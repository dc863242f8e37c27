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
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace StoreFixtures;
using namespace Qt::StringLiterals;
using Editor = OrderDetailViewController;

namespace {
const QString kNow = u"2025-03-20 10:15:30"_s;
const qint64 kNowSeconds = QDateTime::fromString(kNow, u"yyyy-MM-dd HH:mm:ss"_s).toSecsSinceEpoch();

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

// A stored order as one text: its number, customer and address, delivery and
// order dates, delivery address, status, type/VD/payment and line count.
QString stored(const QString& number)
{
    const std::optional<SalesOrder> o = AppManager::getSalesOrder(number);
    if (!o)
        return u"none"_s;
    return QStringList({o->orderNo, o->soldToCode + '/' + o->shipToCode, o->deliverDate,
                        o->orderDate, o->deliverAddress, QString::number(o->uploadStatus),
                        u"%1/%2/%3"_s.arg(o->type).arg(o->vdtype).arg(o->paymenttype),
                        u"%1 lines"_s.arg(AppManager::getSalesOrderDetail(number).size())})
        .join('|');
}

struct EditorFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};
    std::unique_ptr<Editor> editor;
    QObject observer;
    int photoListRequests = 0;

    void SetUp() override
    {
        TestSandbox::setNow(kNow);
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        DeviceIdiom::setTablet(true);
        NotificationCenter& centre = NotificationCenter::defaultCenter();
        centre.addObserver(&observer, "photolistClicked",
                           [this](const QVariantMap&) { ++photoListRequests; });
        editor = std::make_unique<Editor>();
        editor->setDialogs(&dialogs);
    }
    void TearDown() override
    {
        editor.reset();
        Editor::setRandomSource({});
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
        editor = std::make_unique<Editor>();
        editor->setDialogs(&dialogs);
        editor->setPurchaseItemList(items(lines), order);
        editor->setHaveChanged(true);
    }
    // What the header shows, as one text; the flags name the open pickers.
    QString header() const
    {
        const Editor& e = *editor;
        QStringList flags;
        if (e.readOnly())
            flags << u"read-only"_s;
        if (e.soldToPickerEnabled())
            flags << u"customer"_s;
        if (e.orderTypeEnabled())
            flags << u"type"_s;
        return QStringList({e.purchaseOrderNoText(), e.soldToCodeText(), e.soldToNameText(),
                            e.addressText(), e.deliveryToCodeText(), e.deliveryToDescriptionText(),
                            e.deliverAddressText(), e.orderDateText(), e.deliveryDateText(),
                            u"photos %1"_s.arg(e.photoCount()),
                            u"%1/%2/%3"_s.arg(e.nowType()).arg(e.VDType()).arg(e.PaymentType()),
                            u"photo needed "_s + e.NeedPhoto(), flags.join(' ')})
            .join('|');
    }
    QStringList alerts() const
    {
        QStringList messages;
        for (const FakeDialogs::Request& r : dialogs.requests)
            if (r.kind == "alert")
                messages << r.message;
        return messages;
    }
    // The popover the editor has just opened at this field, loaded.
    template <typename T> T* opened(const char* anchor)
    {
        QTest::qWait(0);
        FakeDialogs::Request* r = dialogs.last("popover");
        EXPECT_TRUE(r && r->anchor == anchor) << anchor;
        T* shown = r ? qobject_cast<T*>(r->controller) : nullptr;
        if (shown)
            shown->viewDidLoad();
        return shown;
    }
    QStringList queued() const
    {
        QStringList numbers;
        for (const UploadData& entry : UploadManager::sharedManager()->entries())
            if (entry.type == 2)
                numbers << entry.orderNo;
        return numbers;
    }
};
} // namespace

// ---- the purchase order number

TEST(OrderNumber, RebuiltFromTheCustomersFirstWordTheSecondsAndThreeDigits)
{
    // Half a second rounds up; the largest random value still gives three
    // digits; both parts of a number that has them are replaced; without "."
    // the word goes in front of the number and nothing else; a "%" in the
    // name is only text.
    const struct
    {
        const char *number, *customer;
        qint64 msecs;
        quint32 random;
        const char* expected;
    } cases[] = {
        {".", "Acme Stores Ltd", 1742462130500, 0, "Acme.1742462131100"},
        {".", "Bolt", 1000, 0xFFFFFFFFu, "Bolt.1999"},
        {"Acme.1742462130100", "Bolt Yard", 2000, 0, "Bolt.2100"},
        {"PLAIN7", "Acme Stores", 2000, 7, "AcmePLAIN7"},
        {".", "50%2 Off", 1000, 0, "50%2.1100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Editor::rebuildPurchaseOrderNo(c.number, c.customer, c.msecs, c.random),
                  c.expected);
}

TEST_F(EditorFixture, ANewOrderStartsWithTodayAndNoChoiceAndACustomerBuildsItsNumber)
{
    // The pickers show their first rows all the same.
    openNew();
    EXPECT_EQ(header(),
              u".|||||||2025-03-20|2025-03-22|photos 0|0/0/0|photo needed N|customer type"_s);
    EXPECT_EQ(QList<int>({editor->orderTypeRow(), editor->paymentTypeRow()}), QList<int>({0, 0}));

    // The order itself waits for the next save; within the visit the
    // customer can be chosen again.
    Editor::setRandomSource([] { return 0u; });
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    EXPECT_EQ(header().section('|', 0, 3),
              u"Acme.%1|C100|Acme Stores Ltd|North"_s.arg(kNowSeconds * 1000 + 100));
    EXPECT_EQ(editor->salesOrder().purchaseOrderNo, ".");
    // The same customer again keeps the delivery address, another drops it;
    // an answer without a record only closes the picker.
    editor->DeliveryToSeleted(AppManager::getCustomerShipTo("C100", "SH101"));
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    EXPECT_EQ(editor->deliveryToCodeText(), "SH101");
    TestSandbox::setNow("2025-03-20 10:16:00");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C200"));
    editor->DeliveryToSeleted(std::nullopt);
    editor->SoldToSeleted(std::nullopt);
    EXPECT_EQ(header().section('|', 0, 6),
              u"Bolt.%1|C200|Bolt Hardware|South|||"_s.arg((kNowSeconds + 30) * 1000 + 100));
    EXPECT_EQ(delegate.SelectSoldTo(), "C200");
}

TEST_F(EditorFixture, ADraftShowsItsHeaderLinesAndPhotos)
{
    // The customer of an order that has one stays; its lines fix the order
    // type; B200 of the promotion needs a photo.
    open("ACME.1001");
    EXPECT_EQ(header(), u"ACME.1001|C100|Acme Stores Ltd|North|SH101|Acme Main Depot|Main Street "
                        u"1|2025-03-01|2025-04-15|photos 1|1/1/1|photo needed Y|"_s);
    EXPECT_EQ(delegate.SelectSoldTo(), "C100");
    editor->didSelectRow(Editor::OrderTypePicker, 1);
    EXPECT_EQ(editor->nowType(), 1);
    EXPECT_FALSE(editor->haveChanged());
}

// ---- validating and saving

TEST_F(EditorFixture, ValidationStopsAtTheFirstFailingCheck)
{
    // What verifying a number gives: valid or refused, the alert shown, and
    // whether the number flashed as taken.
    auto verify = [&](const QString& number, const QList<SalesOrder>& listed, SalesOrder o = {}) {
        QSignalSpy taken(editor.get(), &Editor::purchaseOrderNoTaken);
        dialogs.clear();
        o.purchaseOrderNo = number;
        editor->setSalesOrderArray(listed);
        editor->setSalesOrder(o);
        const bool valid = editor->verifyNewOrderNumber();
        return QStringList({valid ? u"valid"_s : u"refused"_s, alerts().join(' '),
                            taken.isEmpty() ? QString() : u"taken"_s})
            .join('|');
    };
    const QList<SalesOrder> all = AppManager::getOrderlistRowContent("DESC", "ASC", 0);
    const QString incomplete = "refused|" + Strings::localized("ORDER_NO_SECOND_PART_EMPTY") + '|';
    // Blanks only: empty. A number ending in "." is incomplete, before any
    // duplicate check.
    EXPECT_EQ(verify(u"   "_s, all), "refused|" + Strings::localized("ORDER_NO_EMPTY") + '|');
    EXPECT_EQ(verify(u" ZED. "_s, {order("ZED.")}), incomplete);
    // Validated trimmed: " ACME.1006 " is ACME.1006, which another listed
    // order holds: the number flashes and nothing is stored. An unchanged
    // order passes under its own number.
    EXPECT_EQ(verify(u" ACME.1006 "_s, all, *AppManager::getSalesOrder("ACME.1004")),
              "refused||taken");
    EXPECT_EQ(verify(u"ACME.1001"_s, all, *AppManager::getSalesOrder("ACME.1001")), "valid||");
    EXPECT_EQ(countRows("salesOrder", "TRIM(purchaseOrderNo) IN ('.', '', 'ZED.', 'ACME.1006', "
                                      "'ACME.1001')"),
              2);
}

TEST_F(EditorFixture, SavingCopiesTheHeaderFieldsIntoTheOrder)
{
    openNewWithLines("C100", {line("", "A100", 4), line("", "A120", 2, " ", "PC")});
    editor->DeliveryToSeleted(AppManager::getCustomerShipTo("C100", "SH102"));
    editor->setDeliveryDay(2025, 4, 2);
    const QString number = editor->purchaseOrderNoText();
    ASSERT_TRUE(editor->verifyNewOrderNumber()) << qPrintable(alerts().join('|'));
    // A new order is its own number until the server numbers it; the pickers
    // were never touched. The upload saves once more: the same order, not a
    // second one.
    const QString expected = number + "|C100/SH102|2025-04-02 00:00:00|2025-03-20 00:00:00|Acme "
                                      "Corner Shop, Old Town|10|0/0/0|2 lines";
    EXPECT_EQ(stored(number), expected);
    TestSandbox::setNow("2025-03-20 11:00:00");
    EXPECT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(countRows("salesOrder", "purchaseOrderNo = ? AND creationDate = ?", {number, kNow}),
              1);
}

TEST_F(EditorFixture, WithoutADeliveryAddressTheAddressLabelIsStoredAndChoicesAsPicked)
{
    // Choices made before the trip to the purchase list come back with it,
    // the order type locked as chosen.
    openNewWithLines("C200", {line("", "A100", 1)}, [this] {
        editor->didSelectRow(Editor::OrderTypePicker, 1);
        editor->didSelectRow(Editor::VDTypePicker, 1);
    });
    EXPECT_FALSE(editor->orderTypeEnabled());
    EXPECT_EQ(editor->orderTypeRow(), 1);
    editor->didSelectRow(Editor::PaymentTypePicker, 3);
    const QString number = editor->purchaseOrderNoText();
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    EXPECT_EQ(stored(number).section('|', 1), u"C200/|2025-03-22 00:00:00|2025-03-20 "
                                              u"00:00:00|South|10|2/2/4|1 lines"_s);
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
    EXPECT_EQ(stored("ACME.1006").section('|', 1, 1), "C100/SH103");
}

TEST_F(EditorFixture, AFailedSaveIsReportedAndLeavesTheOrderHoldingTheNumber)
{
    // Bob's order is not in alice's list, yet holds the number the rebuild
    // will give; the new order comes back from the purchase list carrying it.
    Editor::setRandomSource([] { return 0u; });
    const QString clash = u"Acme.%1"_s.arg(kNowSeconds * 1000 + 100);
    ASSERT_TRUE(addOrder(order(clash, "C500", "SH501"), kBob));
    const QString bobs = stored(clash);
    openNewWithLines("C100", {line("", "A100", 1)});
    ASSERT_EQ(editor->purchaseOrderNoText(), clash);
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_SAVE_FAILED")}));
    EXPECT_EQ(stored(clash), bobs);
}

TEST_F(EditorFixture, AFullDiskIsToldAndTheDraftStaysAsTyped)
{
    ASSERT_TRUE(addOrderLine(line("ACME.1006", "A100", 1)));
    open("ACME.1006");
    editor->TakeRemark();
    const QString remark(200000, QLatin1Char('r'));
    dialogs.last("textEntry")->textAnswer(0, "OK", {remark, ""});
    // The database may not grow by a single page (SQLite keeps the limit at
    // its current size): a full disk, as SQLite sees it.
    DataManager::sharedManager()->executeQuery("PRAGMA max_page_count = 1").step();
    EXPECT_FALSE(editor->verifyNewOrderNumber());
    EXPECT_EQ(alerts(), QStringList({Strings::localized("STORE_SAVE_FAILED_STORAGE")}));
    EXPECT_EQ(editor->RemarkString(), remark + "/n");
    // That nothing of it is stored, and that it saves with room again, is
    // the store's to test under a full disk.
}

// ---- the pickers and haveChanged

TEST_F(EditorFixture, OrderTypeAndVDWarnWhenLeavingTheirFirstRowPaymentNever)
{
    // Never chosen (0) or from "Good Return": no warning; from "Standard
    // Order" to "Good Return": a warning. The payment never warns; rows and
    // pickers that are not there change nothing.
    openNew();
    const struct
    {
        int picker, row;
        const char* chosen;
        qsizetype alerts;
    } steps[] = {
        {Editor::OrderTypePicker, 1, "2/0/0", 0},   {Editor::OrderTypePicker, 0, "1/0/0", 0},
        {Editor::OrderTypePicker, 1, "2/0/0", 1},   {Editor::VDTypePicker, 0, "2/1/0", 1},
        {Editor::VDTypePicker, 1, "2/2/0", 2},      {Editor::PaymentTypePicker, 2, "2/2/3", 2},
        {Editor::PaymentTypePicker, 4, "2/2/3", 2}, {7, 0, "2/2/3", 2},
    };
    for (const auto& s : steps) {
        editor->didSelectRow(s.picker, s.row);
        EXPECT_EQ(header().section('|', 10, 10), s.chosen) << s.picker << " " << s.row;
        EXPECT_EQ(alerts().size(), s.alerts) << s.picker << " " << s.row;
    }
    EXPECT_EQ(alerts(), QStringList({Strings::localized("ORDER_TYPE_CHANGED"), "VD Changed"}));
}

TEST_F(EditorFixture, AnUploadedOrderIsReadOnlyButCanBeUploadedAgain)
{
    // The photo requirement is not worked out for it; the remark and the
    // photo list stay open to it. Uploading again stores it as a draft and
    // queues it.
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "B200", 1)));
    open("BOLT.1002");
    const QString shown = header();
    EXPECT_TRUE(shown.endsWith(u"|1/1/1|photo needed N|read-only"_s)) << qPrintable(shown);
    editor->didSelectRow(Editor::VDTypePicker, 1);
    editor->setDeliveryDay(2026, 1, 1);
    editor->rowSelected(0);
    editor->TakePhoto();
    editor->billtopop();
    editor->deliverytopop();
    QTest::qWait(0);
    EXPECT_EQ(header(), shown);
    EXPECT_TRUE(dialogs.requests.empty());
    editor->TakeRemark();
    EXPECT_EQ(dialogs.count("textEntry"), 1);
    editor->PhotoList();
    EXPECT_EQ(photoListRequests, 1);
    editor->uploadOrder();
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(stored("BOLT.1002").section('|', 5, 5), "10");
    EXPECT_EQ(queued(), QStringList({"BOLT.1002"}));
}

// ---- lines

TEST_F(EditorFixture, TheQuantityPopoverTakesOnlyPlainDigitsAndZeroRemovesTheLine)
{
    // The lines model renumbers the rows below a removed one; the lines are
    // stored whole on save, and go with the order. The popover alerts at
    // anything but up to six plain digits and stays open.
    open("ACME.1001");
    OrderDetailLinesModel* model = editor->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    editor->rowSelected(1);
    auto* quantity = opened<QuantityInputPopoverViewController>("lineRow1");
    ASSERT_NE(quantity, nullptr);
    for (const char* bad : {"", "1.5", "-3", " 4", "１２", "1234567"}) {
        quantity->setQuantity(QString::fromUtf8(bad));
        quantity->buttonClicked(1);
    }
    EXPECT_EQ(alerts().size(), 6);
    quantity->setQuantity("97");
    quantity->buttonClicked(1);
    EXPECT_FALSE(dialogs.isPopoverOpen());
    editor->rowSelected(0);
    editor->dismissPopover({{"quantity", "0"}, {"capacity", "CS"}});
    EXPECT_EQ(model->data(model->index(0), OrderDetailLinesModel::QuantityRole), "97");
    EXPECT_EQ(model->data(model->index(1), OrderDetailLinesModel::RowNumberRole), "2");
    EXPECT_TRUE(editor->saveOrderItemArray());
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = 'ACME.1001'"), 2);
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = 'ACME.1001' AND quantity = 97"), 1);
    editor->deleteOrder();
    EXPECT_EQ(stored("ACME.1001"), "none");
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = 'ACME.1001'"), 0);

    // Down to the last line; an answer without a selected line changes nothing.
    for (int left = 1; left >= 0; --left) {
        editor->rowSelected(0);
        editor->dismissPopover({{"quantity", "0"}});
        EXPECT_EQ(editor->salesOrderItemArray().size(), left);
    }
    EXPECT_TRUE(editor->orderTypeEnabled());
    editor->dismissPopover({{"quantity", "3"}});
    EXPECT_TRUE(editor->salesOrderItemArray().isEmpty());
}

// ---- photos

TEST_F(EditorFixture, APhotoIsWrittenAsPngNamedByItsTimeAndCounted)
{
    // A second photo in the same second does not replace the first; no
    // picture, no photo. The photo list shows no-image for a row whose file
    // is gone.
    open("ACME.1006");
    for (const QImage& image : {picture(Qt::blue), picture(Qt::yellow), QImage()})
        editor->processCapturedImage(image);
    EXPECT_EQ(editor->photoCountText(), "2");
    ASSERT_TRUE(AppManager::insertorderimage("ACME.1006", "19990101000000.png"));
    OrderImageViewController photos;
    photos.setSalesOrder(editor->salesOrder());
    OrderImageListModel* model = photos.collectionView();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row);
        const QUrl source(index.data(OrderImageListModel::SourceRole).toString());
        rows << QStringList({source.fileName(),
                             QImage(source.toLocalFile(), "PNG").pixelColor(3, 3).name(),
                             index.data(OrderImageListModel::TakenRole).toString(),
                             index.data(OrderImageListModel::AvailableRole).toString()})
                    .join(' ');
    }
    rows.sort();
    EXPECT_EQ(rows, QStringList({"20250320101530.png #0000ff 2025-03-20 10:15:30 true",
                                 "20250320101531.png #ffff00 2025-03-20 10:15:31 true",
                                 "no_image.png #000000 1999-01-01 00:00:00 false"}));
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

TEST_F(EditorFixture, OnlyAValidOrderWithThePhotosItNeedsIsQueued)
{
    // ACME.1001 has the promotion line of B200, which needs a photo; its
    // seeded photo is moved away. It is saved all the same.
    ASSERT_TRUE(AppManager::moveOrderImage("20250301090500.png", "ACME.1001", "ELSEWHERE"));
    open("ACME.1001");
    editor->didSelectRow(Editor::VDTypePicker, 1);
    editor->uploadOrder();
    EXPECT_EQ(alerts(), QStringList({"VD Changed", "Please take a photo for product"}));
    EXPECT_EQ(stored("ACME.1001").section('|', 6, 6), "1/2/1");
    editor->processCapturedImage(picture(Qt::green));
    dialogs.clear();
    editor->uploadOrder();
    EXPECT_TRUE(alerts().isEmpty());
    EXPECT_EQ(queued(), QStringList({"ACME.1001"}));
}

TEST_F(EditorFixture, PhotosTakenDuringTheVisitFollowTheNumberTheOrderIsSavedWith)
{
    auto photos = [](const QString& number) { return AppManager::getOrderImg(number).size(); };
    openNew();
    editor->processCapturedImage(picture(Qt::red));
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    TestSandbox::setNow("2025-03-20 10:16:00");
    editor->processCapturedImage(picture(Qt::green));
    const QString first = editor->purchaseOrderNoText();
    EXPECT_EQ(photos(first), 1);
    TestSandbox::setNow("2025-03-20 10:17:00");
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C200"));
    const QString final = editor->purchaseOrderNoText();
    ASSERT_NE(first, final);
    TestSandbox::setNow("2025-03-20 10:18:00");
    editor->processCapturedImage(picture(Qt::blue));
    ASSERT_TRUE(editor->verifyNewOrderNumber());
    // Photos filed before this visit stay where they are.
    EXPECT_EQ(QList<qsizetype>({photos(final), photos(first), photos("ACME.1001"), photos(".")}),
              QList<qsizetype>({3, 0, 1, 0}));
}

// ---- the customer pickers (the journey picks from both through the screens)

TEST_F(EditorFixture, TheSoldToPickerSearchesOnReturnAndCancelChangesNothing)
{
    // It opens on the next turn of the event loop and lists the customers of
    // the salesman's routes; typing alone changes nothing, Return searches,
    // and an empty search lists the routes' customers again.
    openNew();
    editor->billtopop();
    EXPECT_EQ(dialogs.count("popover"), 0);
    auto* picker = opened<OrderDetailSoldToPopoverViewController>("soldToCodeField");
    ASSERT_NE(picker, nullptr);
    const QStringList onRoute = picker->entries();
    EXPECT_FALSE(onRoute.contains("Offroute Market"));
    picker->setKeyword(u"Süd"_s);
    const QStringList typed = picker->entries();
    picker->textFieldShouldReturn();
    const QStringList searched = picker->entries();
    picker->setKeyword(u""_s);
    picker->textFieldShouldReturn();
    EXPECT_EQ(QList<QStringList>({typed, searched, picker->entries()}),
              QList<QStringList>({onRoute, {"Müller Bäckerei"}, onRoute}));
    picker->buttonCancelClicked();
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(editor->soldToCodeText(), "");
}

TEST_F(EditorFixture, TheShipToPickerNarrowsAtEveryLetterAndLeadsFromRegionToAddress)
{
    // Without a customer it knows no districts. The closed store is not
    // offered.
    openNew();
    OrderDetailViewPopoverViewController picker;
    picker.setDelegate(editor.get());
    picker.viewDidLoad();
    EXPECT_TRUE(picker.entries().isEmpty());
    editor->SoldToSeleted(AppManager::getCustomerSoldTo("C100"));
    for (const auto& [keyword, shown] : {std::pair{"Ac", 2}, std::pair{"Acme M", 1}}) {
        picker.setKeyword(keyword);
        EXPECT_EQ(picker.entries().size(), shown) << keyword;
    }

    // Cancel answers with no address and changes nothing.
    int answered = 0;
    picker.setOnAnswered([&answered] { ++answered; });
    picker.buttonCancelClicked();
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(editor->deliveryToCodeText(), "");

    // The customer-name, region and district levels lead on as their tags say.
    picker.buttonClicked(OrderDetailViewPopoverViewController::CustomerName, "Acme Stores Ltd");
    EXPECT_EQ(picker.level(), OrderDetailViewPopoverViewController::Region);
    picker.entryClicked(static_cast<int>(picker.entries().indexOf("North")));
    EXPECT_EQ(picker.level(), OrderDetailViewPopoverViewController::District);
    picker.entryClicked(static_cast<int>(picker.entries().indexOf("Harbour")));
    // The depot is a stop of two routes.
    EXPECT_EQ(picker.entries(), QStringList({"Acme Main Depot", "Acme Main Depot"}));

    // Opened for the customer, an address becomes the customer.
    picker.setPopType("ship");
    picker.entryClicked(0);
    EXPECT_EQ(answered, 2);
    EXPECT_EQ(header().section('|', 1, 5),
              u"C100|Acme Stores Ltd|Acme Main Depot, Harbour||Acme Main Depot"_s);
}
