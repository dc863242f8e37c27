#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "http/HttpError.h"
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
#include "workflow/OrderListModel.h"
#include "workflow/OrderListViewCell.h"
#include "workflow/OrderListViewController.h"
#include "workflow/OrderListViewDatePickerViewController.h"
#include "workflow/OrderListViewPopoverViewController.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
QStringList numbers(const QList<SalesOrder>& orders)
{
    QStringList list;
    for (const SalesOrder& o : orders)
        list << o.purchaseOrderNo;
    return list;
}

struct OrderListFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};
    std::unique_ptr<OrderListViewController> list;
    QObject observer;
    QList<int> headerCounts; // the selection count at each "orderListUpdateHeader"
    QList<SalesOrder> clicked;

    void SetUp() override
    {
        HttpTransport::setShared(transport);
        ASSERT_TRUE(seedAll());
        delegate.setUserName(kAlice);
        NotificationCenter::defaultCenter().addObserver(
            &observer, "orderListUpdateHeader",
            [this](const QVariantMap&) { headerCounts << list->selectedRowNo(); });
        NotificationCenter::defaultCenter().addObserver(
            &observer, "rowclicked", [this](const QVariantMap& info) {
                clicked << info.value("order number").value<SalesOrder>();
            });
        list = std::make_unique<OrderListViewController>();
        list->setDialogs(&dialogs);
        list->setType(1);
    }
    void TearDown() override
    {
        list.reset();
        UploadManager::releaseManager();
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Session::setAuthToken(QString());
    }
    QStringList rows() const { return numbers(list->salesOrderArray()); }
    int rowOf(const QString& number) const { return static_cast<int>(rows().indexOf(number)); }
    void select(std::initializer_list<const char*> orders)
    {
        for (const char* number : orders)
            list->rowClicked(rowOf(QString::fromLatin1(number)));
    }
    QStringList selectedNumbers() const
    {
        QStringList selected;
        for (int row : list->selectedRows())
            selected << rows().at(row);
        return selected;
    }
};
} // namespace

// ---- cells

TEST(OrderListCell, NumberedAndUnnumberedOrdersDates)
{
    TestSandbox sandbox;
    // Numbered by the server: the customer and the number's first part over
    // the padded server number, "GR" for a good return. A number without "."
    // is both of its parts. Ten characters are not a time yet.
    const struct
    {
        const char *purchaseOrderNo, *orderNo;
        int type, uploadStatus;
        const char *created, *delivered;
        const char *firstLine, *secondLine, *creationDay, *deliveryDay;
        bool uploadNeeded;
    } cases[] = {
        {"ABC.123", "ABC.123", 1, 10, "2025-03-10 10:00:00", "2025-03-12 00:00:00", "ABC.123", "123",
         "2025-03-10", "2025-03-12", true},
        {"ABC.123", "4711", 2, 20, "2025-03-10 10:00:00", "2025-03-12 00:00:00", "C100-ABC",
         "GR004711", "2025-03-10", "2025-03-12", false},
        {"ABC.123", "4500001", 1, 30, "2025-03-10 10:00:00", "", "C100-ABC", "4500001",
         "2025-03-10", "0000-00-00", false},
        {"PLAIN", "PLAIN", 1, 10, "2025-03-10", "", "PLAIN", "PLAIN", "0000-00-00", "0000-00-00",
         true},
        {"PLAIN", "77", 1, 20, "2025-03-10 ", "", "C100-PLAIN", "000077", "2025-03-10",
         "0000-00-00", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orderNo);
        SalesOrder o = order(c.purchaseOrderNo);
        o.orderNo = c.orderNo;
        o.type = c.type;
        o.uploadStatus = c.uploadStatus;
        o.priority = c.uploadNeeded ? 0 : 1;
        o.creationDate = c.created;
        o.deliverDate = c.delivered;
        const OrderListViewCell cell = OrderListViewCell::forOrder(o);
        EXPECT_EQ(cell.pruchaseOrderNo, c.firstLine);
        EXPECT_EQ(cell.orderNo, c.secondLine);
        EXPECT_EQ(cell.creationDate, c.creationDay);
        EXPECT_EQ(cell.deliveryDate, c.deliveryDay);
        EXPECT_EQ(cell.uploadNeeded, c.uploadNeeded);
        EXPECT_EQ(cell.priority, !c.uploadNeeded);
    }
}

TEST(OrderListCell, TheCustomersPictureOrNone)
{
    TestSandbox sandbox;
    SalesOrder o = order("ABC.123", "C100");
    EXPECT_EQ(OrderListViewCell::forOrder(o).thumbnail, "no_image.png");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(QDir().mkpath(sandbox.caches() + "/customerImage"));
    ASSERT_TRUE(picture.save(sandbox.caches() + "/customerImage/C100.png"));
    EXPECT_EQ(OrderListViewCell::forOrder(o).thumbnail, "/customerImage/C100.png");

    OrderListModel model;
    model.setOrders({o});
    EXPECT_EQ(model.data(model.index(0), OrderListModel::ThumbnailRole).toString(),
              "image://rq/customerImage/C100.png");
}

TEST(OrderListModelTest, PassesTheModelTesterThroughResetsInsertsAndSelections)
{
    TestSandbox sandbox;
    OrderListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setOrders({order("A.1"), order("B.2"), order("C.3")});
    model.setSelected(1, true);
    model.prepend(order("D.4"));
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(0), OrderListModel::PurchaseOrderNoRole).toString(), "D.4");
    // The selected row moved down with its order.
    EXPECT_TRUE(model.data(model.index(2), OrderListModel::SelectedRole).toBool());
    EXPECT_FALSE(model.data(model.index(1), OrderListModel::SelectedRole).toBool());
    model.setSelected(7, true); // no such row
    model.clearSelection();
    EXPECT_FALSE(model.isSelected(2));
    model.setOrders({});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.data(model.index(0), OrderListModel::FirstLineRole).isValid());
}

// ---- loading, sorting, searching, filtering

TEST_F(OrderListFixture, ModesAndSortPresses)
{
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "OHARA.1003", "ACME.1006", "BOLT.1002", "ACME.1001",
                                   "MULLER.1005"}));
    EXPECT_EQ(list->dateButtonTag(), 2);
    EXPECT_EQ(list->dateArrowRotation(), 0);

    list->buttonClicked(list->dateButtonTag()); // ascending dates
    EXPECT_EQ(list->dateButtonTag(), 1);
    EXPECT_EQ(list->dateArrowRotation(), 180);
    EXPECT_EQ(rows(), QStringList({"MULLER.1005", "ACME.1001", "ACME.1006", "BOLT.1002",
                                   "OHARA.1003", "ACME.1004"}));
    list->buttonClicked(list->dateButtonTag());
    EXPECT_EQ(list->dateButtonTag(), 2);
    EXPECT_EQ(rows().first(), "ACME.1004");

    list->buttonClicked(list->customerButtonTag()); // customers first, descending
    EXPECT_EQ(list->customerButtonTag(), 4);
    EXPECT_EQ(list->customerArrowRotation(), 0);
    EXPECT_EQ(rows(), QStringList({"MULLER.1005", "OHARA.1003", "BOLT.1002", "ACME.1004",
                                   "ACME.1006", "ACME.1001"}));
    list->buttonClicked(list->customerButtonTag()); // ascending
    EXPECT_EQ(list->customerButtonTag(), 3);
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001", "BOLT.1002", "OHARA.1003",
                                   "MULLER.1005"}));

    // The sort holds when the mode changes.
    list->setType(3);
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001", "MULLER.1005"}));
    list->setType(2);
    EXPECT_EQ(rows(), QStringList({"OHARA.1003"}));
    // An unknown tag only reloads.
    ASSERT_TRUE(addOrder(order("OHARA.2000", "C300", "SH301", "2025-05-01 10:00:00", 40), kAlice));
    list->buttonClicked(9);
    EXPECT_EQ(rows(), QStringList({"OHARA.2000", "OHARA.1003"}));
}

TEST_F(OrderListFixture, SearchKeepsASnapshotAndRestoresIt)
{
    ASSERT_TRUE(addOrder(order("XABC.1", "C100", "SH101", "2025-01-01 10:00:00"), kAlice));
    list->updateSalesOrderArray();
    const QStringList all = rows();
    list->searchBegin();
    EXPECT_TRUE(list->searching());
    list->setSearchText("abc");
    EXPECT_EQ(rows(), QStringList({"XABC.1"}));
    list->setSearchText("acme.100");
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001"}));
    list->setSearchText("");
    EXPECT_EQ(rows(), all);
    list->setSearchText("bolt");
    list->searchButtonClicked();
    EXPECT_EQ(rows(), QStringList({"BOLT.1002"}));
    list->searchCancel();
    EXPECT_FALSE(list->searching());
    EXPECT_TRUE(list->searchText().isEmpty());
    EXPECT_EQ(rows(), all);

    // A reload drops the search: the next search starts from the new rows.
    list->setSearchText("ohara");
    ASSERT_TRUE(AppManager::deleteSalesOrder("OHARA.1003"));
    list->updateSalesOrderArray();
    EXPECT_FALSE(list->searching());
    EXPECT_EQ(rows().size(), all.size() - 1);
    list->setSearchText("");
    EXPECT_EQ(rows().size(), all.size() - 1);
}

TEST_F(OrderListFixture, CustomerFilter)
{
    list->buttonClicked(OrderListViewController::FilterCustomer);
    FakeDialogs::Request* popover = dialogs.last("popover");
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->size, QSizeF(500, 300));
    EXPECT_EQ(popover->anchor, "filterButton5");
    auto* panel = qobject_cast<OrderListViewPopoverViewController*>(popover->controller);
    ASSERT_NE(panel, nullptr);
    const QStringList entries = panel->entries();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first(), "Cancel");
    EXPECT_TRUE(entries.contains("Acme Stores Ltd"));
    EXPECT_TRUE(entries.contains("Müller Bäckerei"));
    EXPECT_FALSE(entries.contains("Offroute Market")); // on no route of the salesman

    panel->buttonClicked(static_cast<int>(entries.indexOf("Acme Stores Ltd")));
    EXPECT_FALSE(dialogs.isPopoverOpen());
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001"}));
    EXPECT_EQ(list->filterText(), "Acme Stores Ltd");

    // "Cancel" shows every row again.
    list->buttonClicked(OrderListViewController::FilterCustomer);
    qobject_cast<OrderListViewPopoverViewController*>(dialogs.last("popover")->controller)
        ->buttonClicked(0);
    EXPECT_EQ(rows().size(), 6);
    EXPECT_TRUE(list->filterText().isEmpty());

    // The filter holds until a sort press reloads.
    list->soldToNameSeleted("C600");
    EXPECT_EQ(rows(), QStringList({"MULLER.1005"}));
    list->buttonClicked(list->dateButtonTag());
    EXPECT_EQ(rows().size(), 6);
}

TEST_F(OrderListFixture, DateFilterShowsEveryOrderOfTheRangeWhateverTheMode)
{
    TestSandbox::setNow("2025-03-20 15:00:00");
    list->setType(3);
    list->buttonClicked(OrderListViewController::FilterDate);
    FakeDialogs::Request* popover = dialogs.last("popover");
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->size, QSizeF(500, 600));
    EXPECT_EQ(popover->anchor, "filterButton6");
    auto* panel = qobject_cast<OrderListViewDatePickerViewController*>(popover->controller);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->startDay(), "2025-03-20");
    EXPECT_EQ(panel->endDay(), "2025-03-20");
    panel->setStart(2025, 3, 1);
    panel->setEnd(2025, 2, 30); // no such day: ignored
    panel->setEnd(2025, 3, 31);
    panel->confirm();
    EXPECT_FALSE(dialogs.isPopoverOpen());
    // The uploaded orders of the range too, and bob's.
    QStringList shown = rows();
    shown.sort();
    EXPECT_EQ(shown,
              QStringList({"ACME.1001", "ACME.1006", "BOB.2001", "BOLT.1002", "OHARA.1003"}));
    EXPECT_EQ(list->filterText(), "2025-03-01 – 2025-03-31");
    list->updateSalesOrderArray();
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001", "MULLER.1005"}));
}

// ---- touching rows, multiple selection

TEST_F(OrderListFixture, ATouchOpensTheOrderOutsideSelectionAndSelectsInside)
{
    list->rowClicked(rowOf("BOLT.1002"));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0].purchaseOrderNo, "BOLT.1002");
    EXPECT_EQ(clicked[0].orderNo, "4500001");
    list->rowClicked(42);
    list->rowClicked(-1);
    EXPECT_EQ(clicked.size(), 1);

    // A row without a purchase order number opens nothing.
    SalesOrder nameless = order("");
    list->setSalesOrderArray({nameless});
    list->rowClicked(0);
    EXPECT_EQ(clicked.size(), 1);

    list->updateSalesOrderArray();
    list->startMultiSelectionMode();
    delegate.setPromoClick("Y");
    select({"ACME.1001", "OHARA.1003"});
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_EQ(list->selectedRowNo(), 2);
    EXPECT_TRUE(list->model()->isSelected(rowOf("OHARA.1003")));
    EXPECT_EQ(delegate.PromoClick(), "Y");
    select({"ACME.1001"}); // a second touch deselects
    EXPECT_EQ(list->selectedRowNo(), 1);
    EXPECT_EQ(delegate.PromoClick(), "N");
    EXPECT_EQ(headerCounts, QList<int>({1, 2, 1}));
    EXPECT_EQ(selectedNumbers(), QStringList({"OHARA.1003"}));

    list->stopMultiSelectionMode();
    EXPECT_EQ(list->selectedRowNo(), 0);
    EXPECT_FALSE(list->model()->isSelected(rowOf("OHARA.1003")));
}

TEST_F(OrderListFixture, SelectDraftsFromAMixedSelectionThenDeselectAll)
{
    list->startMultiSelectionMode();
    select({"OHARA.1003", "ACME.1006", "MULLER.1005"});
    headerCounts.clear();
    list->selectAllDraft();
    // In row order: ACME.1004 comes, OHARA (30) goes, ACME.1001 comes,
    // MULLER (0) goes; one post each.
    EXPECT_EQ(headerCounts, QList<int>({4, 3, 4, 3}));
    QStringList selected = selectedNumbers();
    selected.sort();
    EXPECT_EQ(selected, QStringList({"ACME.1001", "ACME.1004", "ACME.1006"}));
    EXPECT_EQ(list->selectedRowNo(), 3);
    headerCounts.clear();
    list->selectAllDraft(); // nothing more to do
    EXPECT_TRUE(headerCounts.isEmpty());

    list->deSelectAllDraft();
    EXPECT_EQ(headerCounts, QList<int>({2, 1, 0}));
    EXPECT_TRUE(list->selectedRows().isEmpty());
    for (int row = 0; row < rows().size(); ++row)
        EXPECT_FALSE(list->model()->isSelected(row)) << row;
}

TEST_F(OrderListFixture, AReloadNeverLeavesASelectionOnOtherOrders)
{
    list->startMultiSelectionMode();
    select({"ACME.1004"});
    ASSERT_TRUE(addOrder(order("ACME.3000", "C100", "SH101", "2025-06-01 10:00:00"), kAlice));
    headerCounts.clear();
    list->updateSalesOrderArray(); // ACME.3000 is now row 0, where ACME.1004 was
    EXPECT_EQ(list->selectedRowNo(), 0);
    EXPECT_TRUE(list->selectedRows().isEmpty());
    EXPECT_EQ(headerCounts, QList<int>({0}));
    list->deleteSelectedOrder();
    EXPECT_TRUE(AppManager::checkPurchaseOrderNoExist("ACME.3000"));
    EXPECT_TRUE(AppManager::checkPurchaseOrderNoExist("ACME.1004"));
}

// ---- commands on the selection

TEST_F(OrderListFixture, CopiesGetNewNumbersWithStarsAndTheLines)
{
    TestSandbox::setNow("2025-06-10 08:30:00");
    for (const QString expected : {"Acme.", "Acme.*", "Acme.**"}) {
        list->startMultiSelectionMode();
        select({"ACME.1001"});
        list->copySelectedOrder();
        EXPECT_FALSE(list->multiSelectionMode());
        EXPECT_EQ(rows().first(), expected);
        EXPECT_EQ(list->currentRow(), 0);
        const std::optional<SalesOrder> copy = AppManager::getSalesOrder(expected);
        ASSERT_TRUE(copy.has_value()) << expected.toStdString();
        EXPECT_EQ(copy->uploadStatus, 10);
        EXPECT_EQ(copy->soldToCode, "C100");
        EXPECT_EQ(copy->creationDate, "2025-06-10 08:30:00");
        EXPECT_EQ(copy->deliverDate, "2025-06-12 08:30:00");
        EXPECT_EQ(copy->orderNo, expected);
        const QList<SalesOrderDetails> lines = AppManager::getSalesOrderDetail(expected);
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[2].skuCode, "B200_promoP100");
        EXPECT_EQ(lines[2].promocode, "P100");
    }
    // The original is untouched.
    EXPECT_EQ(AppManager::getSalesOrderDetail("ACME.1001").size(), 3);
    EXPECT_EQ(AppManager::getSalesOrder("ACME.1001")->uploadStatus, 10);
}

TEST_F(OrderListFixture, CopyingSeveralOrdersCopiesEachAndSkipsAMissingAddress)
{
    ASSERT_TRUE(addOrder(order("ACME.1007", "C100", "SH103", "2025-03-02 10:00:00"),
                         kAlice)); // inactive address
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "A120", 7)));
    list->updateSalesOrderArray();
    list->startMultiSelectionMode();
    select({"BOLT.1002", "ACME.1007", "ACME.1001"});
    list->copySelectedOrder();
    EXPECT_EQ(dialogs.count("notice"), 1);
    EXPECT_EQ(dialogs.last("notice")->message,
              Strings::localized("OREDRDETAILVIEW_SHIPTO_NOT_FOUND"));
    // Each copy is of the order that was selected, though every copy moved
    // the rows below it.
    EXPECT_EQ(rows().mid(0, 2), QStringList({"Acme.", "Bolt."}));
    const std::optional<SalesOrder> bolt = AppManager::getSalesOrder("Bolt.");
    ASSERT_TRUE(bolt.has_value());
    EXPECT_EQ(bolt->soldToCode, "C200");
    ASSERT_EQ(AppManager::getSalesOrderDetail("Bolt.").size(), 1);
    EXPECT_EQ(AppManager::getSalesOrderDetail("Bolt.")[0].quantity, 7);
    const std::optional<SalesOrder> acme = AppManager::getSalesOrder("Acme.");
    ASSERT_TRUE(acme.has_value());
    EXPECT_EQ(acme->shipToCode, "SH101");
    EXPECT_EQ(AppManager::getSalesOrderDetail("Acme.").size(), 3);
    EXPECT_EQ(list->currentRow(), rowOf("Acme."));
}

TEST_F(OrderListFixture, ACopyThatFindsTheDiskFullSaysSo)
{
    list->startMultiSelectionMode();
    select({"ACME.1001"});
    Statement pages = DataManager::sharedManager()->executeQuery("PRAGMA page_count");
    ASSERT_EQ(pages.step(), Statement::Row);
    const int full = pages.columnInt(0);
    DataManager::sharedManager()->executeQuery(QString("PRAGMA max_page_count = %1").arg(full)).step();
    // Enough copies that one of them needs a new page.
    for (int i = 0; i < 40 && dialogs.count("notice") == 0; ++i) {
        list->startMultiSelectionMode();
        select({"ACME.1001"});
        list->copySelectedOrder();
    }
    DataManager::sharedManager()->executeQuery("PRAGMA max_page_count = 2147483646").step();
    ASSERT_GE(dialogs.count("notice"), 1);
    EXPECT_EQ(dialogs.last("notice")->message, Strings::localized("STORE_SAVE_FAILED_STORAGE"));
}

TEST_F(OrderListFixture, UploadSkipsOrdersWithoutLines)
{
    list->startMultiSelectionMode();
    select({"ACME.1006", "ACME.1001", "BOLT.1002"});
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "A100", 1)));
    list->uploadSelectedOrder();
    EXPECT_FALSE(list->multiSelectionMode());
    QStringList queued;
    for (const UploadData& entry : UploadManager::sharedManager()->entries())
        queued << entry.orderNo;
    // Uploaded orders can be sent again; an order without lines is not sent.
    EXPECT_EQ(queued, QStringList({"ACME.1001", "BOLT.1002"}));
}

TEST_F(OrderListFixture, DeleteKeepsOrdersTheServerHas)
{
    list->startMultiSelectionMode();
    select({"ACME.1006", "BOLT.1002", "OHARA.1003", "MULLER.1005", "ACME.1001"});
    list->deleteSelectedOrder();
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "OHARA.1003", "BOLT.1002"}));
    EXPECT_FALSE(list->multiSelectionMode());
    EXPECT_EQ(list->selectedRowNo(), 0);
    // The lines went with their order.
    EXPECT_EQ(countRows("salesOrderDetails", "orderNo = ?", {"ACME.1001"}), 0);
    EXPECT_EQ(headerCounts.last(), 0);
}

// ---- pull to refresh

TEST_F(OrderListFixture, ARefreshEndsWithTheNextReloadOrWithANoticeWhenItFails)
{
    list->refreshAllDataFromServer();
    EXPECT_TRUE(list->refreshing());
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_TRUE(transport->pending().url.contains("getUpdateData"));
    list->refreshAllDataFromServer(); // already under way
    EXPECT_EQ(transport->pendingCount(), 1);
    transport->fail(-1009);
    EXPECT_FALSE(list->refreshing());
    ASSERT_EQ(dialogs.count("notice"), 1);
    EXPECT_FALSE(dialogs.last("notice")->message.isEmpty());

    list->refreshAllDataFromServer();
    list->updateSalesOrderArray(); // what the root screen does on "updateSuccess"
    EXPECT_FALSE(list->refreshing());
    // A failure of a refresh this list did not start says nothing.
    NotificationCenter::defaultCenter().post("updateFailed", {{"message", "x"}});
    EXPECT_EQ(dialogs.count("notice"), 1);
}
