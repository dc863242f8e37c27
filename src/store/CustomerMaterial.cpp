#include "store/CustomerMaterial.h"

#include "store/Statement.h"

CustomerMaterial::CustomerMaterial(const Statement& row)
    : creationDate(row.columnString(0)), skuCode(row.columnString(1)),
      retailPrice(row.columnString(2)), customerItemCode(row.columnString(3)),
      minQuantity(row.columnInt(4)), lastupdate(row.columnString(5))
{}
