#include "store/Brand.h"

#include "store/Statement.h"

Brand::Brand(const Statement& row)
    : creationDate(row.columnString(0)), brandCode(row.columnString(1)),
      brandLanguage(row.columnString(2)), brandName(row.columnString(3)),
      lastupdate(row.columnString(4))
{}
