#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// The photos of one order, as the store files them: one cell per photo row,
// with its file name and where its picture is (the documents folder).
class OrderImageListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        ImageNameRole = Qt::UserRole + 1, // "yyyyMMddHHmmss.png"
        SourceRole,                       // a "file:" URL, or the no-image picture
        TakenRole,                        // "yyyy-MM-dd HH:mm:ss" read from the name
        AvailableRole,                    // the file is there
    };
    Q_ENUM(Role)

    explicit OrderImageListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(_names.size()); }
    QStringList imageNames() const { return _names; }
    // Replaces every cell.
    void setImageNames(const QStringList& names);

Q_SIGNALS:
    void countChanged();

private:
    QStringList _names;
};
