#pragma once

#include "workflow/PurchaseListModel.h"
#include "workflow/QuantityInputPopoverViewController.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>

// What the purchase list and the promotion products share: the order and its
// customers handed from screen to screen, the order's lines being picked
// (kept in memory only, keyed by item code, until the order editor saves
// them), the search field, and the quantity popover that changes a line.
//
// Touching an item remembers its row and asks for a quantity and a unit; the
// answer creates the line, changes its quantity (the line keeps the unit it
// was created with) or, with 0, removes it.
class PurchaseListBase : public ScreenController,
                         public PurchaseScreen,
                         public QuantityInputDelegate,
                         public PurchaseListSource
{
    Q_OBJECT
    Q_PROPERTY(QObject* model READ collectionView CONSTANT)
    Q_PROPERTY(QString searchText READ keyword NOTIFY searchChanged)
    // The search field is in use: its cancel button shows.
    Q_PROPERTY(bool searchBarActive READ searchBarActive NOTIFY searchChanged)
    // What the list says when it shows nothing: why.
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY listChanged)

public:
    // The popover's size in points.
    static constexpr qreal kPopoverWidth = 320;
    static constexpr qreal kPopoverHeight = 300;

    explicit PurchaseListBase(QObject* parent = nullptr);
    ~PurchaseListBase() override;

    // The order and its customers, handed on unchanged.
    SalesOrder salesOrder() const override { return _salesOrder; }
    void setSalesOrder(const SalesOrder& order) override { _salesOrder = order; }
    std::optional<CustomerShipTo> customerShipTo() const override { return _customerShipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo) override
    {
        _customerShipTo = shipTo;
    }
    std::optional<CustomerSoldTo> customerSoldTo() const override { return _customerSoldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo) override
    {
        _customerSoldTo = soldTo;
    }

    // The lines by item code, and as a list in the order they were last
    // changed (earliest first; times compared as text).
    PurchaseItemList getPurchaseItemList() const override { return _purchaseItemList; }
    QList<SalesOrderDetails> getSalesOrderItemArray() const override;

    PurchaseListModel* collectionView() { return &_model; }
    const PurchaseListModel* collectionView() const { return &_model; }
    QString keyword() const { return _keyword; }
    bool searchBarActive() const { return _searchBarActive; }
    QString Selectedunit1() const { return _selectedUnit1; }
    QString Selectedunit2() const { return _selectedUnit2; }
    // The open quantity popover, or null.
    QuantityInputPopoverViewController* popOverController() const { return _popOverController; }
    // The row touched last, while its popover is open; -1 otherwise.
    int touchedRow() const { return _cell; }

    // The search field.
    Q_INVOKABLE void searchBarTextDidBeginEditing();
    Q_INVOKABLE void searchBar(const QString& textDidChange);
    Q_INVOKABLE void searchBarSearchButtonClicked();
    Q_INVOKABLE void searchBarCancelButtonClicked();
    // Narrows the search base to what matches the keyword; the whole base
    // when the keyword is empty.
    virtual void searchWithKeyword() = 0;

    // A row was touched.
    Q_INVOKABLE virtual void rowClicked(int row) = 0;
    // Opens the quantity popover at the named item (the touched cell), with
    // the units of the touched item and the digits of its badge.
    void showPopover(const QString& anchor);
    // The popover's answer: {"quantity": digits, "capacity": unit}.
    void dismissPopover(const QVariantMap& answer) override;
    // Creates, changes or (quantity 0) removes the line under the code. The
    // quantity is the number the text starts with ("5PCS" is 5); the unit is
    // taken only by a new line.
    void updateSalesOrderDetails(const QString& code, const QString& quantity,
                                 const QString& capacity);

    // The integer value of a text's leading digits: "12BOX" 12, "BOX" 0.
    static int leadingInteger(const QString& text);
    // Cell names in the view: "purchaseCell<row>".
    static QString cellName(int row);

    virtual QString emptyText() const = 0;

Q_SIGNALS:
    void searchChanged();
    // The list shows other rows.
    void listChanged();

protected:
    // The code the line of a row is filed under, and the promotion code a new
    // line carries (" " outside a promotion).
    virtual QString lineCode(int row) const = 0;
    virtual QString newLinePromocode() const = 0;
    // The units of the item of a row.
    virtual std::pair<QString, QString> unitsOfRow(int row) const = 0;
    // After any change of the lines.
    virtual void linesChanged() {}
    // The search base of the current mode has been set anew (the field has
    // started editing).
    virtual void resetSearchBase() = 0;
    // What the list shows when the search is cancelled.
    virtual void showSearchBase() = 0;

    // Touch handling shared by both screens: remember the row, open the popover.
    void touchItem(int row);
    void setKeyword(const QString& keyword);
    void setSearchBarActive(bool active);
    void closePopover();
    const SalesOrderDetails* lineFor(const QString& code) const;
    // The empty list's text for a search that found nothing.
    QString noMatchText(const char* key) const;

    SalesOrder _salesOrder;
    std::optional<CustomerShipTo> _customerShipTo;
    std::optional<CustomerSoldTo> _customerSoldTo;
    PurchaseItemList _purchaseItemList;
    PurchaseListModel _model;

private:
    QString _keyword;
    bool _searchBarActive = false;
    QString _selectedUnit1;
    QString _selectedUnit2;
    int _cell = -1;
    QString _cellCode;
    QPointer<QuantityInputPopoverViewController> _popOverController;
};
