#pragma once

#include "store/SalesOrder.h"
#include "workflow/OrderListViewCell.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>

// The rows of the order list: one order each, drawn as OrderListViewCell
// says, and whether the row is selected.
class OrderListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        PurchaseOrderNoRole = Qt::UserRole + 1, // the order's purchase order number
        FirstLineRole,
        SecondLineRole,
        CreationDateRole,
        DeliveryDateRole,
        PriorityRole,
        DraftRole,
        ThumbnailRole, // "image://rq/..." URL of the customer's picture
        SelectedRole,
    };
    Q_ENUM(Role)

    explicit OrderListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(_orders.size()); }
    const QList<SalesOrder>& orders() const { return _orders; }
    // Replaces every row; no row stays selected.
    void setOrders(const QList<SalesOrder>& orders);
    // Puts an order at the top; selections move down with their rows.
    void prepend(const SalesOrder& order);

    bool isSelected(int row) const { return _selected.contains(row); }
    void setSelected(int row, bool selected);
    void clearSelection();

Q_SIGNALS:
    void countChanged();

private:
    QList<SalesOrder> _orders;
    QList<OrderListViewCell> _cells;
    QSet<int> _selected;
};
