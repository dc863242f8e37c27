#include "workflow/OrderListModel.h"

#include <QUrl>

OrderListModel::OrderListModel(QObject* parent) : QAbstractListModel(parent) {}

int OrderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant OrderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const OrderListViewCell& cell = _cells.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case FirstLineRole:
        return cell.pruchaseOrderNo;
    case PurchaseOrderNoRole:
        return _orders.at(index.row()).purchaseOrderNo;
    case SecondLineRole:
        return cell.orderNo;
    case CreationDateRole:
        return cell.creationDate;
    case DeliveryDateRole:
        return cell.deliveryDate;
    case PriorityRole:
        return cell.priority;
    case DraftRole:
        return cell.uploadNeeded;
    case ThumbnailRole: {
        QString path = cell.thumbnail;
        if (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        return QStringLiteral("image://rq/") +
               QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    }
    case SelectedRole:
        return _selected.contains(index.row());
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> OrderListModel::roleNames() const
{
    return {{PurchaseOrderNoRole, "purchaseOrderNo"},
            {FirstLineRole, "firstLine"},
            {SecondLineRole, "secondLine"},
            {CreationDateRole, "creationDate"},
            {DeliveryDateRole, "deliveryDate"},
            {PriorityRole, "priority"},
            {DraftRole, "draft"},
            {ThumbnailRole, "thumbnail"},
            {SelectedRole, "selected"}};
}

void OrderListModel::setOrders(const QList<SalesOrder>& orders)
{
    const int before = count();
    beginResetModel();
    _orders = orders;
    _cells.clear();
    _cells.reserve(orders.size());
    for (const SalesOrder& order : orders)
        _cells << OrderListViewCell::forOrder(order);
    _selected.clear();
    endResetModel();
    if (before != count())
        Q_EMIT countChanged();
}

void OrderListModel::prepend(const SalesOrder& order)
{
    beginInsertRows(QModelIndex(), 0, 0);
    _orders.prepend(order);
    _cells.prepend(OrderListViewCell::forOrder(order));
    QSet<int> moved;
    for (int row : std::as_const(_selected))
        moved.insert(row + 1);
    _selected = moved;
    endInsertRows();
    Q_EMIT countChanged();
}

void OrderListModel::setSelected(int row, bool selected)
{
    if (row < 0 || row >= count() || _selected.contains(row) == selected)
        return;
    if (selected)
        _selected.insert(row);
    else
        _selected.remove(row);
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {SelectedRole});
}

void OrderListModel::clearSelection()
{
    const QSet<int> rows = _selected;
    _selected.clear();
    for (int row : rows) {
        const QModelIndex changed = index(row);
        Q_EMIT dataChanged(changed, changed, {SelectedRole});
    }
}
