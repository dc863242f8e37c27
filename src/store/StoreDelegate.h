#pragma once

#include <QString>

// The two values the store takes from the application rather than from its
// arguments: the user name typed at login (orders are saved under it and the
// order lists show only its orders) and the sold-to customer chosen in the
// order editor (the ship-to queries list that customer's addresses). The
// application delegate provides them; the store only reads them, so it needs
// nothing from the layers above it.
class StoreDelegate
{
public:
    virtual ~StoreDelegate() = default;
    virtual QString UserName() const = 0;
    virtual QString SelectSoldTo() const = 0;
};
