#include "core/AppDelegate.h"
#include "core/AppManager.h"
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
#include "workflow/OrderListViewController.h"
#include "workflow/OrderListViewDatePickerViewController.h"
#include "workflow/OrderListViewPopoverViewController.h"

#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreFixtures;
using namespace Qt::StringLiterals;
using List = OrderListViewController;

namespace {
// A stored order as one text: customer/address and its lines' items.
QString stored(const QString& number)
{
    const std::optional<SalesOrder> o = AppManager::getSalesOrder(number);
    if (!o)
        return u"none"_s;
    QStringList skus;
    for (const SalesOrderDetails& l : AppManager::getSalesOrderDetail(number))
        skus << u"%1 x%2"_s.arg(l.skuCode).arg(l.quantity);
    return o->soldToCode + '/' + o->shipToCode + '|' + skus.join(", ");
}

struct OrderListFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};
    std::unique_ptr<List> list;
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
        list = std::make_unique<List>();
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
    QStringList rows() const
    {
        QStringList numbers;
        for (const SalesOrder& o : list->salesOrderArray())
            numbers << o.purchaseOrderNo;
        return numbers;
    }
    int rowOf(const QString& number) const { return static_cast<int>(rows().indexOf(number)); }
    // Touches the rows of these orders; in multiple selection mode when asked.
    void select(std::initializer_list<const char*> orders, bool startSelection = true)
    {
        if (startSelection)
            list->startMultiSelectionMode();
        for (const char* number : orders)
            list->rowClicked(rowOf(QString::fromLatin1(number)));
    }
    QStringList selectedNumbers() const
    {
        QStringList selected;
        for (int row : list->selectedRows())
            selected << rows().at(row);
        selected.sort();
        return selected;
    }
    template <typename Panel> Panel* panel(const char* anchor)
    {
        FakeDialogs::Request* request = dialogs.last("popover");
        EXPECT_TRUE(request && request->anchor == anchor) << anchor;
        return request ? qobject_cast<Panel*>(request->controller) : nullptr;
    }
};
} // namespace

// ---- loading, sorting, searching, filtering

TEST_F(OrderListFixture, ModesAndSortPresses)
{
    auto sort = [this] {
        return u"%1 %2 %3 %4"_s.arg(list->dateButtonTag())
            .arg(list->dateArrowRotation())
            .arg(list->customerButtonTag())
            .arg(list->customerArrowRotation());
    };
    // Newest first; the date button flips to ascending and back; the customer
    // button sorts by customer, descending first.
    const std::pair<int, const char*> steps[] = {
        {0, "2 0 3 180: ACME.1004 OHARA.1003 ACME.1006 BOLT.1002 ACME.1001 MULLER.1005"},
        {2, "1 180 3 180: MULLER.1005 ACME.1001 ACME.1006 BOLT.1002 OHARA.1003 ACME.1004"},
        {1, "2 0 3 180: ACME.1004 OHARA.1003 ACME.1006 BOLT.1002 ACME.1001 MULLER.1005"},
        {3, "2 0 4 0: MULLER.1005 OHARA.1003 BOLT.1002 ACME.1004 ACME.1006 ACME.1001"},
        {4, "2 0 3 180: ACME.1004 ACME.1006 ACME.1001 BOLT.1002 OHARA.1003 MULLER.1005"},
    };
    for (const auto& [press, shown] : steps) {
        if (press)
            list->buttonClicked(press);
        EXPECT_EQ(sort() + ": " + rows().join(' '), shown);
    }
    // The sort holds when the mode changes; an unknown tag only reloads.
    list->setType(2);
    ASSERT_TRUE(addOrder(order("OHARA.2000", "C300", "SH301", "2025-05-01 10:00:00", 40), kAlice));
    EXPECT_EQ(rows(), QStringList({"OHARA.1003"}));
    list->buttonClicked(9);
    EXPECT_EQ(rows(), QStringList({"OHARA.2000", "OHARA.1003"}));
}

TEST_F(OrderListFixture, SearchKeepsASnapshotAndRestoresIt)
{
    ASSERT_TRUE(addOrder(order("XABC.1", "C100", "SH101", "2025-01-01 10:00:00"), kAlice));
    list->updateSalesOrderArray();
    const QStringList all = rows();
    list->searchBegin();
    for (const auto& [text, found] :
         {std::pair{"abc", QStringList{"XABC.1"}}, std::pair{"", all}}) {
        list->setSearchText(text);
        EXPECT_EQ(rows(), found) << text;
    }
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
    list->setSearchText("");
    EXPECT_EQ(rows().size(), all.size() - 1);
}

TEST_F(OrderListFixture, CustomerFilter)
{
    // The customers of the salesman's routes, after "Cancel", which shows
    // every row again; the filter holds until a sort press reloads.
    list->buttonClicked(List::FilterCustomer);
    auto* customers = panel<OrderListViewPopoverViewController>("filterButton5");
    ASSERT_NE(customers, nullptr);
    const QStringList entries = customers->entries();
    EXPECT_EQ(entries.filter(QRegularExpression(u"^(Cancel|Acme|Müller|Offroute)"_s)),
              QStringList({"Cancel", "Acme Stores Ltd", "Müller Bäckerei"}));
    customers->buttonClicked(static_cast<int>(entries.indexOf("Acme Stores Ltd")));
    EXPECT_EQ(rows(), QStringList({"ACME.1004", "ACME.1006", "ACME.1001"}));
    EXPECT_EQ(list->filterText(), "Acme Stores Ltd");

    list->buttonClicked(List::FilterCustomer);
    panel<OrderListViewPopoverViewController>("filterButton5")->buttonClicked(0);
    EXPECT_EQ(rows().size(), 6);
    list->buttonClicked(list->dateButtonTag());
    EXPECT_EQ(rows().size(), 6);
}

TEST_F(OrderListFixture, DateFilterShowsEveryOrderOfTheRangeWhateverTheMode)
{
    // The uploaded orders of the range too, and bob's; a day that does not
    // exist is ignored.
    list->setType(3);
    list->buttonClicked(List::FilterDate);
    auto* dates = panel<OrderListViewDatePickerViewController>("filterButton6");
    ASSERT_NE(dates, nullptr);
    dates->setStart(2025, 3, 1);
    dates->setEnd(2025, 2, 30);
    dates->setEnd(2025, 3, 31);
    dates->confirm();
    EXPECT_FALSE(dialogs.isPopoverOpen());
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
    // Rows that are not there, or without a purchase order number, open nothing.
    for (int row : {rowOf("BOLT.1002"), 42, -1})
        list->rowClicked(row);
    list->setSalesOrderArray({order("")});
    list->rowClicked(0);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0].purchaseOrderNo + ' ' + clicked[0].orderNo, "BOLT.1002 4500001");

    // A second touch deselects.
    list->updateSalesOrderArray();
    delegate.setPromoClick("Y");
    select({"ACME.1001", "OHARA.1003"});
    EXPECT_EQ(clicked.size(), 1);
    select({"ACME.1001"}, false);
    EXPECT_EQ(delegate.PromoClick(), "N");
    EXPECT_EQ(headerCounts, QList<int>({1, 2, 1}));
    EXPECT_EQ(selectedNumbers(), QStringList({"OHARA.1003"}));
}

TEST_F(OrderListFixture, SelectDraftsFromAMixedSelectionThenDeselectAll)
{
    // In row order: ACME.1004 comes, OHARA (30) goes, ACME.1001 comes,
    // MULLER (0) goes; one post each. A second press has nothing to do.
    select({"OHARA.1003", "ACME.1006", "MULLER.1005"});
    headerCounts.clear();
    list->selectAllDraft();
    list->selectAllDraft();
    EXPECT_EQ(headerCounts, QList<int>({4, 3, 4, 3}));
    EXPECT_EQ(selectedNumbers(), QStringList({"ACME.1001", "ACME.1004", "ACME.1006"}));

    list->deSelectAllDraft();
    EXPECT_EQ(headerCounts.mid(4), QList<int>({2, 1, 0}));
    EXPECT_TRUE(list->selectedRows().isEmpty());
    for (int row = 0; row < rows().size(); ++row)
        EXPECT_FALSE(list->model()->isSelected(row)) << row;
}

TEST_F(OrderListFixture, AReloadNeverLeavesASelectionOnOtherOrders)
{
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

TEST_F(OrderListFixture, CopyingSeveralOrdersCopiesEachAndSkipsAMissingAddress)
{
    // Each copy is of the order that was selected, though every copy moved
    // the rows below it; ACME.1007's address is inactive.
    ASSERT_TRUE(addOrder(order("ACME.1007", "C100", "SH103", "2025-03-02 10:00:00"), kAlice));
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "A120", 7)));
    list->updateSalesOrderArray();
    select({"BOLT.1002", "ACME.1007", "ACME.1001"});
    list->copySelectedOrder();
    ASSERT_EQ(dialogs.count("notice"), 1);
    EXPECT_EQ(dialogs.last("notice")->message,
              Strings::localized("OREDRDETAILVIEW_SHIPTO_NOT_FOUND"));
    EXPECT_EQ(rows().mid(0, 2), QStringList({"Acme.", "Bolt."}));
    EXPECT_EQ(stored("Bolt.").section('|', 0, 0) + '|' + stored("Bolt.").section('|', -1),
              "C200/SH201|A120 x7");
    EXPECT_EQ(stored("Acme.").section('|', -1), stored("ACME.1001").section('|', -1));
    EXPECT_EQ(stored("Acme.").section('|', 0, 0), "C100/SH101");
    EXPECT_EQ(list->currentRow(), rowOf("Acme."));
}

TEST_F(OrderListFixture, ACopyThatFindsTheDiskFullSaysSo)
{
    // The database may not grow by a single page (SQLite keeps the limit at
    // its current size): a full disk, as SQLite sees it. Enough copies that
    // one of them needs a new page.
    DataManager::sharedManager()->executeQuery("PRAGMA max_page_count = 1").step();
    for (int i = 0; i < 40 && dialogs.count("notice") == 0; ++i) {
        select({"ACME.1001"});
        list->copySelectedOrder();
    }
    DataManager::sharedManager()->executeQuery("PRAGMA max_page_count = 2147483646").step();
    ASSERT_GE(dialogs.count("notice"), 1);
    EXPECT_EQ(dialogs.last("notice")->message, Strings::localized("STORE_SAVE_FAILED_STORAGE"));
}

TEST_F(OrderListFixture, UploadSendsAgainAndSkipsOrdersWithoutLines)
{
    select({"ACME.1006", "ACME.1001", "BOLT.1002"});
    ASSERT_TRUE(addOrderLine(line("BOLT.1002", "A100", 1)));
    list->uploadSelectedOrder();
    EXPECT_FALSE(list->multiSelectionMode());
    QStringList queued;
    for (const UploadData& entry : UploadManager::sharedManager()->entries())
        queued << entry.orderNo;
    EXPECT_EQ(queued, QStringList({"ACME.1001", "BOLT.1002"}));
}
