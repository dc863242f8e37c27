#include "workflow/OrderImageListModel.h"

#include "support/RQFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

OrderImageListModel::OrderImageListModel(QObject* parent) : QAbstractListModel(parent) {}

int OrderImageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant OrderImageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const QString& name = _names.at(index.row());
    const QString path = RQFile::makeFilePathInDocument(name);
    switch (role) {
    case Qt::DisplayRole:
    case ImageNameRole:
        return name;
    case SourceRole:
        if (QFileInfo(path).isFile())
            return QUrl::fromLocalFile(path).toString();
        return QStringLiteral("image://rq/no_image.png");
    case TakenRole: {
        const QDateTime taken =
            QDateTime::fromString(name.left(14), QStringLiteral("yyyyMMddHHmmss"));
        return taken.isValid() ? taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : name;
    }
    case AvailableRole:
        return QFileInfo(path).isFile();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> OrderImageListModel::roleNames() const
{
    return {{ImageNameRole, "imageName"},
            {SourceRole, "source"},
            {TakenRole, "taken"},
            {AvailableRole, "available"}};
}

void OrderImageListModel::setImageNames(const QStringList& names)
{
    const int before = count();
    beginResetModel();
    _names = names;
    endResetModel();
    if (before != count())
        Q_EMIT countChanged();
}
