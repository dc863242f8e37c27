#pragma once

#include "store/Material.h"
#include "workflow/ItemListViewCell.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

// The cells of the item catalogue's grid: one item each, drawn as
// ItemListViewCell says. A cell looks for its picture when it is first drawn
// (only the cells on screen are drawn, so a large catalogue costs no more
// than a screenful); a missing picture is handed to the picture requester
// once per model, on the next turn of the event loop, however often the cell
// is drawn again.
class ItemListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        SkuCodeRole = Qt::UserRole + 1,
        DescriptionRole,
        // "image://rq/<picture>?<n>": n changes whenever pictures may have
        // changed on disk, so the view does not keep showing an old one.
        PictureRole,
        HasPictureRole, // false while the cell shows "no_image.png"
    };
    Q_ENUM(Role)

    using PictureRequester = std::function<void(const QString& skuCode)>;

    explicit ItemListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(_items.size()); }
    const QList<Material>& items() const { return _items; }
    void setItems(const QList<Material>& items);

    // Who fetches a missing picture (the screen queues its download).
    void setPictureRequester(PictureRequester requester) { _requester = std::move(requester); }

    // Every cell looks for its picture again (pictures have arrived).
    void reloadPictures();
    // The cells of one item look for their picture again (it was replaced).
    void reloadPicture(const QString& skuCode);

Q_SIGNALS:
    void countChanged();

private:
    const ItemListViewCell& cell(int row) const;
    void flushRequests();

    QList<Material> _items;
    // Filled as cells are drawn; emptied when pictures may have changed.
    mutable QList<std::optional<ItemListViewCell>> _cells;
    mutable QSet<QString> _requested;
    mutable QStringList _pendingRequests;
    PictureRequester _requester;
    int _generation = 0;
};
