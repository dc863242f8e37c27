#pragma once

#include "store/SalesOrderDetails.h"

#include <QAbstractListModel>
#include <QList>

// The lines pane of the order editor: one row per order line, drawn 100
// points high with its number, the item's picture, the item code (with the
// promotion code of a promotion line), the item's description and, on the
// right, "x", the quantity and the unit.
class OrderDetailLinesModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        RowNumberRole = Qt::UserRole + 1, // "1", "2", ...
        PictureRole,                      // "image://rq/..." URL
        ItemCodeRole,                     // the clean code, and the promotion code
        DescriptionRole,                  // the item's description
        QuantityRole,                     // "%d"
        UnitRole,                         // the line's unit of measure
    };
    Q_ENUM(Role)

    explicit OrderDetailLinesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(_lines.size()); }
    const QList<SalesOrderDetails>& lines() const { return _lines; }
    // Replaces every row.
    void setLines(const QList<SalesOrderDetails>& lines);
    // Redraws one row / drops one row.
    void setLine(int row, const SalesOrderDetails& line);
    void removeLine(int row);

    // The item code of a line without its promotion marks: every "_promo"
    // removed, then every occurrence of the line's promotion code.
    static QString cleanItemCode(const SalesOrderDetails& line);
    // What the row shows as the item code: the clean code, followed by
    // "    Promo Code:" and the promotion code when the line has one (the
    // blank code of a catalogue line counts as one).
    static QString itemCodeText(const SalesOrderDetails& line);
    // The picture of the line's item as the image provider names it:
    // "material/<code>.jpg", else "material/<code>.png" (the code as stored),
    // else "no_image.png".
    static QString picturePath(const SalesOrderDetails& line);

Q_SIGNALS:
    void countChanged();

private:
    struct Row
    {
        QString description;
        QString picture;
    };
    static Row describe(const SalesOrderDetails& line);

    QList<SalesOrderDetails> _lines;
    QList<Row> _rows;
};
