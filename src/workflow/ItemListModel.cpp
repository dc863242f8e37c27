#include "workflow/ItemListModel.h"

#include <QTimer>
#include <QUrl>

ItemListModel::ItemListModel(QObject* parent) : QAbstractListModel(parent) {}

int ItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

const ItemListViewCell& ItemListModel::cell(int row) const
{
    std::optional<ItemListViewCell>& slot = _cells[row];
    if (!slot) {
        slot = ItemListViewCell::forMaterial(_items.at(row));
        const QString& sku = slot->skuCode;
        if (slot->pictureMissing && !sku.isEmpty() && !_requested.contains(sku)) {
            _requested.insert(sku);
            // Not from inside data(): a request may start a download whose
            // answer redraws this very model.
            if (_pendingRequests.isEmpty())
                QTimer::singleShot(0, const_cast<ItemListModel*>(this),
                                   &ItemListModel::flushRequests);
            _pendingRequests << sku;
        }
    }
    return *slot;
}

void ItemListModel::flushRequests()
{
    const QStringList pending = std::exchange(_pendingRequests, QStringList());
    if (!_requester)
        return;
    for (const QString& sku : pending)
        _requester(sku);
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case SkuCodeRole:
        return _items.at(row).skuCode;
    case DescriptionRole:
        return _items.at(row).description;
    case PictureRole: {
        QString path = cell(row).picture;
        if (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
        return QStringLiteral("image://rq/") +
               QString::fromLatin1(QUrl::toPercentEncoding(path, "/")) + QLatin1Char('?') +
               QString::number(_generation);
    }
    case HasPictureRole:
        return !cell(row).pictureMissing;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> ItemListModel::roleNames() const
{
    return {{SkuCodeRole, "skuCode"},
            {DescriptionRole, "description"},
            {PictureRole, "picture"},
            {HasPictureRole, "hasPicture"}};
}

void ItemListModel::setItems(const QList<Material>& items)
{
    const int before = count();
    beginResetModel();
    _items = items;
    _cells = QList<std::optional<ItemListViewCell>>(items.size());
    endResetModel();
    if (before != count())
        Q_EMIT countChanged();
}

void ItemListModel::reloadPictures()
{
    ++_generation;
    for (std::optional<ItemListViewCell>& slot : _cells)
        slot.reset();
    if (count() > 0)
        Q_EMIT dataChanged(index(0), index(count() - 1), {PictureRole, HasPictureRole});
}

void ItemListModel::reloadPicture(const QString& skuCode)
{
    ++_generation;
    for (int row = 0; row < count(); ++row) {
        if (_items.at(row).skuCode != skuCode)
            continue;
        _cells[row].reset();
        const QModelIndex changed = index(row);
        Q_EMIT dataChanged(changed, changed, {PictureRole, HasPictureRole});
    }
}
