#pragma once

#include "store/StoreDelegate.h"

#include <QString>
#include <QTemporaryDir>

class DataManager;

// A throw-away sandbox with its own database seeded from the bundle, and the
// generators that fill it with realistic volumes. Everything is deterministic
// (fixed random seeds), so two runs measure the same rows.
class StoreBenchSandbox : public StoreDelegate
{
public:
    // Roots the sandbox in a temporary folder and registers itself as the
    // store's delegate with the given user name.
    explicit StoreBenchSandbox(const QString& userName = QStringLiteral("alice"));
    ~StoreBenchSandbox() override;

    DataManager* store() const;

    QString UserName() const override { return _userName; }
    QString SelectSoldTo() const override { return QString(); }

private:
    QTemporaryDir _dir;
    QString _userName;
};

namespace StoreBenchData {

// count order headers owned by owner, spread over a year of creation times
// and 200 sold-to customers, most of them drafts, with linesPerOrder lines
// each. Numbers are prefixed so that several owners can share a database.
bool generateOrders(DataManager* store, int count, const QString& owner, const QString& prefix,
                    int linesPerOrder = 3);

// count catalogue items over brandCount brands: one item in twenty is
// inactive and one in fifty names a brand that is not stored, as a partly
// synchronised catalogue does.
bool generateCatalogue(DataManager* store, int count, int brandCount = 60);

} // namespace StoreBenchData
