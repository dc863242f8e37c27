#include "store/CustomerShipTo.h"

#include "store/Statement.h"

CustomerShipTo::CustomerShipTo(const Statement& row)
    : creationDate(row.columnString(0)), customerCode(row.columnString(1)),
      shipToCode(row.columnString(2)), description(row.columnString(3)), status(row.columnInt(4)),
      address(row.columnString(5)), district(row.columnString(6)), region(row.columnString(7)),
      remarks(row.columnString(8)), lastupdate(row.columnString(9))
{}
