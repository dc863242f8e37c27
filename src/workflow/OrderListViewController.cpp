#include "workflow/OrderListViewController.h"
#include "workflow/StoreNotice.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/Dialogs.h"
#include "platform/Mailer.h"
#include "platform/NotificationCenter.h"
#include "workflow/SyncProgress.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "store/StoreDelegate.h"
#include "workflow/OrderListViewDatePickerViewController.h"
#include "workflow/OrderListViewPopoverViewController.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcOrderList, "fieldbook.orderlist")

namespace {
const QString kRowClicked = QStringLiteral("rowclicked");
const QString kUpdateHeader = QStringLiteral("orderListUpdateHeader");

void setPromoClickOff()
{
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setPromoClick(QStringLiteral("N"));
}

// The text before the first blank, or the whole text.
QString firstWord(const QString& text)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}
} // namespace

OrderListViewController::OrderListViewController(QObject* parent) : ScreenController(parent)
{
    // A refresh that fails ends here: the indicator stops and the salesman
    // reads why, instead of watching it turn until the next reload.
    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("updateFailed"),
        [this](const QVariantMap& info) { refreshFailed(info); });
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("syncProgress"), [this](const QVariantMap& info) {
        const QString text = syncProgressText(info);
        if (!_refreshing || text == _progressText)
            return;
        _progressText = text;
        Q_EMIT refreshingChanged();
    });
}

// ---- rows

void OrderListViewController::setType(int type)
{
    if (_type != type) {
        _type = type;
        Q_EMIT typeChanged();
    }
    setPromoClickOff();
    if (_multiSelectionMode)
        stopMultiSelectionMode();
    loadRows();
}

void OrderListViewController::loadRows()
{
    const QString dateDirection = _dateOrder == 1 ? QStringLiteral("ASC") : QStringLiteral("DESC");
    const QString customerDirection =
        _customerOrder == 4 ? QStringLiteral("DESC") : QStringLiteral("ASC");
    QList<SalesOrder> rows;
    if (_type == 3)
        rows = AppManager::getOrderlistRowContentWithStatus(10, dateDirection, customerDirection,
                                                            _priority);
    else if (_type == 2)
        rows = AppManager::getOrderlistRowContentWithStatus(20, dateDirection, customerDirection,
                                                            _priority);
    else
        rows = AppManager::getOrderlistRowContent(dateDirection, customerDirection, _priority);
    dropSearch();
    setFilterText(QString());
    setSalesOrderArray(rows);
}

void OrderListViewController::setSalesOrderArray(const QList<SalesOrder>& orders)
{
    // Selections are row positions: once the rows are others, no position
    // may point at an order the salesman did not choose.
    const bool hadSelection = !_selectedRowArray.isEmpty();
    _selectedRowArray.clear();
    _model.setOrders(orders);
    setCurrentRow(-1);
    if (hadSelection) {
        setSelectedRowNo(0);
        postUpdateHeader();
    }
}

void OrderListViewController::updateSalesOrderArray()
{
    loadRows();
    setRefreshing(false);
}

void OrderListViewController::rowTo(const QString& purchaseOrderNo)
{
    if (purchaseOrderNo.isEmpty())
        return;
    const QList<SalesOrder>& orders = _model.orders();
    for (int row = 0; row < orders.size(); ++row) {
        if (orders[row].purchaseOrderNo == purchaseOrderNo) {
            setCurrentRow(row);
            Q_EMIT scrollToRowRequested(row);
            return;
        }
    }
}

void OrderListViewController::setCurrentRow(int row)
{
    if (_currentRow == row)
        return;
    _currentRow = row;
    Q_EMIT currentRowChanged();
}

// ---- selection

void OrderListViewController::startMultiSelectionMode()
{
    _selectedRowArray.clear();
    _model.clearSelection();
    setSelectedRowNo(0);
    setCurrentRow(-1);
    if (!_multiSelectionMode) {
        _multiSelectionMode = true;
        Q_EMIT multiSelectionModeChanged();
    }
}

void OrderListViewController::stopMultiSelectionMode()
{
    _selectedRowArray.clear();
    _model.clearSelection();
    setSelectedRowNo(0);
    if (_multiSelectionMode) {
        _multiSelectionMode = false;
        Q_EMIT multiSelectionModeChanged();
    }
}

void OrderListViewController::setSelectedRowNo(int count)
{
    if (_selectedRowNo == count)
        return;
    _selectedRowNo = count;
    Q_EMIT selectedRowNoChanged();
}

void OrderListViewController::postUpdateHeader()
{
    NotificationCenter::defaultCenter().post(kUpdateHeader);
}

void OrderListViewController::selectRow(int row)
{
    _selectedRowArray << row;
    _model.setSelected(row, true);
    setSelectedRowNo(_selectedRowNo + 1);
    postUpdateHeader();
}

void OrderListViewController::deselectRow(int row)
{
    _selectedRowArray.removeAll(row);
    _model.setSelected(row, false);
    setSelectedRowNo(_selectedRowNo - 1);
    postUpdateHeader();
}

void OrderListViewController::rowClicked(int row)
{
    const QList<SalesOrder>& orders = _model.orders();
    if (row < 0 || row >= orders.size())
        return;
    if (!_multiSelectionMode) {
        if (orders[row].purchaseOrderNo.isEmpty())
            return;
        NotificationCenter::defaultCenter().post(
            kRowClicked, {{QStringLiteral("order number"), QVariant::fromValue(orders[row])}});
        return;
    }
    if (_selectedRowArray.contains(row)) {
        setPromoClickOff();
        deselectRow(row);
    } else {
        selectRow(row);
    }
}

void OrderListViewController::selectAllDraft()
{
    const QList<SalesOrder>& orders = _model.orders();
    for (int row = 0; row < orders.size(); ++row) {
        const bool draft = orders[row].uploadStatus == 10;
        const bool selected = _selectedRowArray.contains(row);
        if (draft && !selected)
            selectRow(row);
        else if (!draft && selected)
            deselectRow(row);
    }
}

void OrderListViewController::deSelectAllDraft()
{
    const QList<int> rows = _selectedRowArray;
    for (int row : rows)
        deselectRow(row);
}

QList<SalesOrder> OrderListViewController::selectedOrders() const
{
    QList<SalesOrder> orders;
    for (int row : _selectedRowArray) {
        if (row >= 0 && row < _model.count())
            orders << _model.orders().at(row);
    }
    return orders;
}

// ---- commands on the selection

void OrderListViewController::copySelectedOrder()
{
    // The orders are taken first: each copy goes to the top of the list and
    // moves every row below it.
    const QList<SalesOrder> originals = selectedOrders();
    QString lastNumber;
    for (const SalesOrder& original : originals) {
        SalesOrder copy(original);
        QList<SalesOrderDetails> lines = AppManager::getSalesOrderDetail(original.purchaseOrderNo);
        const std::optional<CustomerShipTo> shipTo =
            AppManager::getCustomerShipTo(original.soldToCode, original.shipToCode);
        if (!shipTo) {
            if (dialogs())
                dialogs()->showNotice(Strings::localized("OREDRDETAILVIEW_SHIPTO_NOT_FOUND"));
            continue;
        }
        QString number = firstWord(shipTo->description) + AppManager::generatePurchaseOrderNo();
        while (AppManager::checkPurchaseOrderNoExist(number))
            number += QLatin1Char('*');
        // A copy is a new draft of this device: its order number is its
        // purchase order number until the server numbers it.
        copy.orderNo = number;
        copy.purchaseOrderNo = number;
        copy.uploadStatus = 10;
        copy.deliverDate = AppManager::generateDeliveryDate();
        copy.creationDate = AppManager::generateToday();
        for (SalesOrderDetails& line : lines)
            line.orderNo = number;
        if (!AppManager::saveOrder(copy, number, lines)) {
            qCWarning(lcOrderList)
                << "The copy of" << original.purchaseOrderNo << "could not be stored";
            // A full or unwritable disk is the salesman's to know about.
            const QString storage = StoreNotice::saveFailureMessage();
            if (!storage.isNull() && dialogs())
                dialogs()->showNotice(storage);
            continue;
        }
        _model.prepend(AppManager::getSalesOrder(number).value_or(copy));
        lastNumber = number;
    }
    stopMultiSelectionMode();
    rowTo(lastNumber);
}

void OrderListViewController::uploadSelectedOrder()
{
    for (const SalesOrder& order : selectedOrders()) {
        if (AppManager::getSalesOrderDetail(order.purchaseOrderNo).isEmpty())
            continue;
        AppManager::saveSalesOrder(order, order.purchaseOrderNo);
        AppManager::uploadSalesOrder(order.purchaseOrderNo);
    }
    updateSalesOrderArray();
    stopMultiSelectionMode();
}

void OrderListViewController::deleteSelectedOrder()
{
    for (const SalesOrder& order : selectedOrders()) {
        // What the server has accepted stays.
        if (order.uploadStatus < 20)
            AppManager::deleteSalesOrder(order.purchaseOrderNo);
    }
    _selectedRowArray.clear();
    updateSalesOrderArray();
    stopMultiSelectionMode();
    // The header bar keeps the selection layout; its count follows.
    postUpdateHeader();
}

QString OrderListViewController::exportSubject()
{
    return QStringLiteral("[Ardent] Field Book Export Orders");
}

QString OrderListViewController::exportBody()
{
    return QStringList{
        QStringLiteral("Hi there,"),
        QString(),
        QStringLiteral("The exported sales order details are attached. Please note it."),
        QString(),
        QStringLiteral("Regards,"),
        QStringLiteral("ArdentFieldBook")}
        .join(QLatin1Char('\n'));
}

MailMessage OrderListViewController::exportMessage() const
{
    MailMessage message;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const QString recipient = defaults.stringForKey(exportRecipientKey()).trimmed();
    if (!recipient.isEmpty())
        message.to << recipient;
    if (StoreDelegate* delegate = DataManager::delegate()) {
        if (const auto salesman = AppManager::getSalesman(delegate->UserName()))
            message.from = salesman->email.trimmed();
    }
    message.subject = exportSubject();
    message.body = exportBody();
    for (const SalesOrder& order : selectedOrders()) {
        MailAttachment attachment;
        attachment.data = order.exportSalesOrder();
        for (const SalesOrderDetails& line : AppManager::getSalesOrderDetail(order.purchaseOrderNo))
            attachment.data += line.exportSalesOrderDetail();
        attachment.mimeType = QStringLiteral("text/plain");
        attachment.fileName = order.purchaseOrderNo + QStringLiteral(".txt");
        message.attachments << attachment;
    }
    return message;
}

void OrderListViewController::exportSelectedOrder()
{
    const MailMessage message = exportMessage();
    stopMultiSelectionMode();
    Mailer::shared()->compose(message, [](Mailer::Result result, const QString& error) {
        if (result == Mailer::Handed)
            qCInfo(lcOrderList) << "Mail handed to the mail client";
        else
            qCWarning(lcOrderList) << "Mail sent failure:" << error;
    });
}

// ---- sort and filter bar

void OrderListViewController::buttonClicked(int tag)
{
    switch (tag) {
    case DateAscending:
        _dateButtonTag = DateDescending;
        _dateOrder = 2;
        _priority = 1;
        break;
    case DateDescending:
        _dateButtonTag = DateAscending;
        _dateOrder = 1;
        _priority = 1;
        break;
    case CustomerAscending:
        _customerButtonTag = CustomerDescending;
        _customerOrder = 4;
        _priority = 2;
        break;
    case CustomerDescending:
        _customerButtonTag = CustomerAscending;
        _customerOrder = 3;
        _priority = 2;
        break;
    case FilterCustomer:
    case FilterDate:
        openFilterPanel(tag);
        return;
    default:
        break;
    }
    if (tag >= DateAscending && tag <= CustomerDescending)
        Q_EMIT sortChanged();
    updateSalesOrderArray();
}

void OrderListViewController::openFilterPanel(int tag)
{
    if (!dialogs())
        return;
    dismissFilterPanel();
    ScreenController* panel = nullptr;
    QSizeF size;
    if (tag == FilterCustomer) {
        panel = new OrderListViewPopoverViewController(this, this);
        size = QSizeF(500, 300);
    } else {
        panel = new OrderListViewDatePickerViewController(this, this);
        size = QSizeF(500, 600);
    }
    panel->setDialogs(dialogs());
    _popOverController = panel;
    QPointer<ScreenController> guard(panel);
    dialogs()->presentPopover(panel, panel->viewName(), size,
                              QStringLiteral("filterButton%1").arg(tag), [guard]() {
                                  if (guard)
                                      guard->deleteLater();
                              });
}

void OrderListViewController::dismissFilterPanel()
{
    if (dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
    if (_popOverController) {
        _popOverController->deleteLater();
        _popOverController = nullptr;
    }
}

void OrderListViewController::setFilterText(const QString& text)
{
    if (_filterText == text)
        return;
    _filterText = text;
    Q_EMIT filterChanged();
}

void OrderListViewController::soldToNameSeleted(const QString& customerCode)
{
    dismissFilterPanel();
    loadRows();
    if (customerCode.isNull())
        return;
    QList<SalesOrder> rows;
    for (const SalesOrder& order : _model.orders()) {
        if (order.soldToCode == customerCode)
            rows << order;
    }
    setSalesOrderArray(rows);
    const std::optional<CustomerSoldTo> customer = AppManager::getCustomerSoldTo(customerCode);
    setFilterText(customer ? customer->customerName : customerCode);
}

void OrderListViewController::dateSeleted(const QString& startDate, const QString& endDate)
{
    dismissFilterPanel();
    loadRows();
    setSalesOrderArray(AppManager::getOrderListWithStartDate(startDate, endDate));
    setFilterText(QStringLiteral("%1 – %2").arg(startDate, endDate));
}

// ---- search

void OrderListViewController::searchBegin()
{
    if (_searching)
        return;
    _searching = true;
    _salesOrderArrayForSearch = _model.orders();
    Q_EMIT searchChanged();
}

void OrderListViewController::setSearchText(const QString& text)
{
    if (!_searching)
        searchBegin();
    if (_searchText != text) {
        _searchText = text;
        Q_EMIT searchChanged();
    }
    applySearch();
}

void OrderListViewController::searchButtonClicked()
{
    if (_searching)
        applySearch();
}

void OrderListViewController::applySearch()
{
    if (_searchText.isEmpty()) {
        setSalesOrderArray(_salesOrderArrayForSearch);
        return;
    }
    QList<SalesOrder> rows;
    for (const SalesOrder& order : std::as_const(_salesOrderArrayForSearch)) {
        if (order.purchaseOrderNo.contains(_searchText, Qt::CaseInsensitive))
            rows << order;
    }
    setSalesOrderArray(rows);
}

void OrderListViewController::searchCancel()
{
    if (!_searching)
        return;
    _searchText.clear();
    _searching = false;
    setSalesOrderArray(_salesOrderArrayForSearch);
    _salesOrderArrayForSearch.clear();
    Q_EMIT searchChanged();
}

void OrderListViewController::dropSearch()
{
    if (!_searching && _searchText.isEmpty())
        return;
    _searching = false;
    _searchText.clear();
    _salesOrderArrayForSearch.clear();
    Q_EMIT searchChanged();
}

// ---- pull to refresh

void OrderListViewController::refreshAllDataFromServer()
{
    if (_refreshing)
        return;
    setRefreshing(true);
    AppManager::getUpdateDataFromServer();
}

void OrderListViewController::setRefreshing(bool refreshing)
{
    if (_refreshing == refreshing)
        return;
    _refreshing = refreshing;
    _progressText.clear();
    Q_EMIT refreshingChanged();
}

void OrderListViewController::refreshFailed(const QVariantMap& userInfo)
{
    if (!_refreshing)
        return;
    setRefreshing(false);
    QString message = userInfo.value(QStringLiteral("message")).toString();
    if (message.isEmpty())
        message = Strings::localized("ORDERLISTVIEW_REFRESH_FAILED");
    if (dialogs())
        dialogs()->showNotice(message);
}
