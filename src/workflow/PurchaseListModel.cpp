#include "workflow/PurchaseListModel.h"

PurchaseListModel::PurchaseListModel(const PurchaseListSource* source, QObject* parent)
    : QAbstractListModel(parent), _source(source)
{}

int PurchaseListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : _count;
}

QVariant PurchaseListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const PurchaseListCell cell = _source->cellForRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case SkuCodeRole:
        return cell.skuCodeLabel;
    case DescriptionRole:
        return cell.descriptionLabel;
    case BadgeRole:
        return cell.badgeHidden ? QString() : cell.badge;
    case BadgeVisibleRole:
        return !cell.badgeHidden;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> PurchaseListModel::roleNames() const
{
    return {{SkuCodeRole, "skuCode"},
            {DescriptionRole, "itemDescription"},
            {BadgeRole, "badge"},
            {BadgeVisibleRole, "badgeVisible"}};
}

void PurchaseListModel::reload()
{
    const int before = _count;
    beginResetModel();
    _count = _source ? _source->cellCount() : 0;
    endResetModel();
    if (before != _count)
        Q_EMIT countChanged();
}

void PurchaseListModel::refreshBadges()
{
    if (_count == 0)
        return;
    Q_EMIT dataChanged(index(0), index(_count - 1), {BadgeRole, BadgeVisibleRole});
}
