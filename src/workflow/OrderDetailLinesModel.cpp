#include "workflow/OrderDetailLinesModel.h"

#include "core/AppManager.h"
#include "support/RQImage.h"

#include <QUrl>

OrderDetailLinesModel::OrderDetailLinesModel(QObject* parent) : QAbstractListModel(parent) {}

int OrderDetailLinesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant OrderDetailLinesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const SalesOrderDetails& line = _lines.at(index.row());
    const Row& row = _rows.at(index.row());
    switch (role) {
    case RowNumberRole:
        return QString::number(index.row() + 1);
    case PictureRole:
        return QStringLiteral("image://rq/") +
               QString::fromLatin1(QUrl::toPercentEncoding(row.picture, "/"));
    case Qt::DisplayRole:
    case ItemCodeRole:
        return itemCodeText(line);
    case DescriptionRole:
        return row.description;
    case QuantityRole:
        return QString::number(line.quantity);
    case UnitRole:
        return line.uomCode;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> OrderDetailLinesModel::roleNames() const
{
    return {{RowNumberRole, "rowNumber"}, {PictureRole, "picture"},
            {ItemCodeRole, "itemCode"},   {DescriptionRole, "itemDescription"},
            {QuantityRole, "quantity"},   {UnitRole, "unit"}};
}

void OrderDetailLinesModel::setLines(const QList<SalesOrderDetails>& lines)
{
    const int before = count();
    beginResetModel();
    _lines = lines;
    _rows.clear();
    _rows.reserve(lines.size());
    for (const SalesOrderDetails& line : lines)
        _rows << describe(line);
    endResetModel();
    if (before != count())
        Q_EMIT countChanged();
}

void OrderDetailLinesModel::setLine(int row, const SalesOrderDetails& line)
{
    if (row < 0 || row >= count())
        return;
    _lines[row] = line;
    _rows[row] = describe(line);
    Q_EMIT dataChanged(index(row), index(row));
}

void OrderDetailLinesModel::removeLine(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    _lines.removeAt(row);
    _rows.removeAt(row);
    endRemoveRows();
    Q_EMIT countChanged();
    // The numbers of the rows below move up.
    if (row < count())
        Q_EMIT dataChanged(index(row), index(count() - 1), {RowNumberRole});
}

QString OrderDetailLinesModel::cleanItemCode(const SalesOrderDetails& line)
{
    QString code = line.skuCode;
    code.remove(QStringLiteral("_promo"));
    if (!line.promocode.isEmpty())
        code.remove(line.promocode);
    return code;
}

QString OrderDetailLinesModel::itemCodeText(const SalesOrderDetails& line)
{
    const QString code = cleanItemCode(line);
    if (line.promocode.isEmpty())
        return code;
    return code + QStringLiteral("    Promo Code:") + line.promocode;
}

QString OrderDetailLinesModel::picturePath(const SalesOrderDetails& line)
{
    for (const QString& name : {QStringLiteral("/material/%1.jpg").arg(line.skuCode),
                                QStringLiteral("/material/%1.png").arg(line.skuCode)}) {
        if (!RQImage::pathForImageNamed(name).isNull())
            return name.mid(1);
    }
    return QStringLiteral("no_image.png");
}

OrderDetailLinesModel::Row OrderDetailLinesModel::describe(const SalesOrderDetails& line)
{
    Row row;
    if (const std::optional<Material> item = AppManager::getMaterial(cleanItemCode(line)))
        row.description = item->description;
    row.picture = picturePath(line);
    return row;
}
