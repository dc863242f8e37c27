#pragma once

#include "platform/MailMessage.h"
#include "store/SalesOrder.h"
#include "workflow/OrderListModel.h"
#include "workflow/ScreenController.h"

#include <QList>
#include <QPointer>

// The home screen after login: the salesman's orders in one of three modes
// (1 all, 2 uploaded, 3 drafts), sorted by creation date and sold-to customer,
// searchable by purchase order number and filterable by customer or creation
// date. Touching a row opens the order in the editor ("rowclicked"). In
// multiple selection the header bar's commands copy, upload, export by e-mail
// or delete the selected orders; every change of the selection posts
// "orderListUpdateHeader". Pulling the list down refreshes the master data.
class OrderListViewController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(int type READ type NOTIFY typeChanged)
    Q_PROPERTY(QObject* model READ model CONSTANT)
    Q_PROPERTY(bool multiSelectionMode READ multiSelectionMode NOTIFY multiSelectionModeChanged)
    Q_PROPERTY(int selectedRowNo READ selectedRowNo NOTIFY selectedRowNoChanged)
    Q_PROPERTY(bool refreshing READ refreshing NOTIFY refreshingChanged)
    // Beside the refresh spinner: how far the new data are.
    Q_PROPERTY(QString progressText READ progressText NOTIFY refreshingChanged)
    // The two sort buttons: their current tags (date 1/2, customer 3/4) and
    // the turn of their arrows in degrees (0 descending, 180 ascending).
    Q_PROPERTY(int dateButtonTag READ dateButtonTag NOTIFY sortChanged)
    Q_PROPERTY(int customerButtonTag READ customerButtonTag NOTIFY sortChanged)
    Q_PROPERTY(qreal dateArrowRotation READ dateArrowRotation NOTIFY sortChanged)
    Q_PROPERTY(qreal customerArrowRotation READ customerArrowRotation NOTIFY sortChanged)
    Q_PROPERTY(QString searchText READ searchText NOTIFY searchChanged)
    Q_PROPERTY(bool searching READ searching NOTIFY searchChanged)
    // What a filter holds the rows to, for the bar above them; empty when
    // no filter is on.
    Q_PROPERTY(QString filterText READ filterText NOTIFY filterChanged)
    // The row rowTo() brought into view and marks, -1 for none.
    Q_PROPERTY(int currentRow READ currentRow NOTIFY currentRowChanged)

public:
    enum SortTag {
        DateAscending = 1,
        DateDescending = 2,
        CustomerAscending = 3,
        CustomerDescending = 4,
        FilterCustomer = 5,
        FilterDate = 6
    };

    explicit OrderListViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderListView"); }

    int type() const { return _type; }
    // Stores the mode and loads its rows.
    void setType(int type);
    OrderListModel* model() { return &_model; }
    bool multiSelectionMode() const { return _multiSelectionMode; }
    int selectedRowNo() const { return _selectedRowNo; }
    bool refreshing() const { return _refreshing; }
    QString progressText() const { return _progressText; }
    int dateButtonTag() const { return _dateButtonTag; }
    int customerButtonTag() const { return _customerButtonTag; }
    qreal dateArrowRotation() const { return _dateButtonTag == DateDescending ? 0 : 180; }
    qreal customerArrowRotation() const
    {
        return _customerButtonTag == CustomerAscending ? 180 : 0;
    }
    QString searchText() const { return _searchText; }
    bool searching() const { return _searching; }
    QString filterText() const { return _filterText; }
    int currentRow() const { return _currentRow; }

    // The rows shown, in order.
    QList<SalesOrder> salesOrderArray() const { return _model.orders(); }
    void setSalesOrderArray(const QList<SalesOrder>& orders);
    // The selected rows in the order they were selected.
    QList<int> selectedRows() const { return _selectedRowArray; }

    // Reloads the rows in the current mode and sort; drops a search and a
    // filter, and ends the pull-to-refresh indicator.
    Q_INVOKABLE void updateSalesOrderArray();
    // Brings the first row with this purchase order number into view and
    // marks it; nothing when there is none.
    Q_INVOKABLE void rowTo(const QString& purchaseOrderNo);

    Q_INVOKABLE void startMultiSelectionMode();
    Q_INVOKABLE void stopMultiSelectionMode();
    // Leaves exactly the drafts selected / no row selected.
    Q_INVOKABLE void selectAllDraft();
    Q_INVOKABLE void deSelectAllDraft();
    // Copies each selected order as a new draft under a new number.
    Q_INVOKABLE void copySelectedOrder();
    // Hands each selected order that has lines to the upload.
    Q_INVOKABLE void uploadSelectedOrder();
    // Deletes the selected orders that were not uploaded.
    Q_INVOKABLE void deleteSelectedOrder();
    // Hands one mail with a text attachment per selected order to the mail
    // client. The caller has asked Mailer::canSendMail().
    Q_INVOKABLE void exportSelectedOrder();
    // The export mail of the selected orders, as exportSelectedOrder() sends it.
    MailMessage exportMessage() const;

    // The sort and filter bar.
    Q_INVOKABLE void buttonClicked(int tag);
    // A row was touched.
    Q_INVOKABLE void rowClicked(int row);

    // Answers of the filter panels: a sold-to customer code (null: none), or
    // a creation-date range as two "yyyy-MM-dd" days.
    Q_INVOKABLE void soldToNameSeleted(const QString& customerCode);
    Q_INVOKABLE void dateSeleted(const QString& startDate, const QString& endDate);

    // The search bar.
    Q_INVOKABLE void searchBegin();
    Q_INVOKABLE void setSearchText(const QString& text);
    Q_INVOKABLE void searchButtonClicked();
    Q_INVOKABLE void searchCancel();

    // Pull to refresh.
    Q_INVOKABLE void refreshAllDataFromServer();

    // The subject and body of the export mail; the key of its recipient in
    // the user defaults.
    static QString exportSubject();
    static QString exportBody();
    static QString exportRecipientKey() { return QStringLiteral("exportMailRecipient"); }

Q_SIGNALS:
    void typeChanged();
    void multiSelectionModeChanged();
    void selectedRowNoChanged();
    void refreshingChanged();
    void sortChanged();
    void searchChanged();
    void filterChanged();
    void currentRowChanged();
    // The view brings the row to the middle of the screen.
    void scrollToRowRequested(int row);

private:
    void loadRows();
    void setSelectedRowNo(int count);
    void setRefreshing(bool refreshing);
    void setFilterText(const QString& text);
    void setCurrentRow(int row);
    void dropSearch();
    void applySearch();
    void selectRow(int row);
    void deselectRow(int row);
    void postUpdateHeader();
    void openFilterPanel(int tag);
    void dismissFilterPanel();
    void refreshFailed(const QVariantMap& userInfo);
    // The selected orders in selection order, taken before anything moves
    // the rows.
    QList<SalesOrder> selectedOrders() const;

    int _type = 1;
    int _dateOrder = 2;
    int _customerOrder = 3;
    int _priority = 0;
    int _dateButtonTag = DateDescending;
    int _customerButtonTag = CustomerAscending;
    bool _multiSelectionMode = false;
    QList<int> _selectedRowArray;
    int _selectedRowNo = 0;
    bool _refreshing = false;
    QString _progressText;
    QString _searchText;
    bool _searching = false;
    QList<SalesOrder> _salesOrderArrayForSearch;
    QString _filterText;
    int _currentRow = -1;
    QPointer<ScreenController> _popOverController;
    OrderListModel _model;
};
