#include "store/CustomerSoldTo.h"

#include "store/Statement.h"

CustomerSoldTo::CustomerSoldTo(const Statement& row)
    : creationDate(row.columnString(0)), customerCode(row.columnString(1)),
      customerName(row.columnString(2)), salesGroup(row.columnString(3)), status(row.columnInt(4)),
      lastupdate(row.columnString(5))
{}
