#pragma once

#include "workflow/PurchaseListCell.h"

#include <QAbstractListModel>

// Where the rows of a PurchaseListModel come from: the screen that owns it.
class PurchaseListSource
{
public:
    virtual ~PurchaseListSource() = default;
    virtual int cellCount() const = 0;
    virtual PurchaseListCell cellForRow(int row) const = 0;
};

// The rows of the purchase list and of the promotion products, 60 points
// each. Cells are drawn when the view asks for them, so a catalogue of tens of
// thousands of items costs only the rows on screen.
class PurchaseListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        SkuCodeRole = Qt::UserRole + 1, // the item code, or a promotion's name
        DescriptionRole,                // the description, or a promotion's description
        BadgeRole,                      // "12BOX"; " " for a promotion with lines
        BadgeVisibleRole,
    };
    Q_ENUM(Role)

    explicit PurchaseListModel(const PurchaseListSource* source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return _count; }
    // The source's rows are others now.
    void reload();
    // The badges may have changed.
    void refreshBadges();

Q_SIGNALS:
    void countChanged();

private:
    const PurchaseListSource* _source;
    int _count = 0;
};
