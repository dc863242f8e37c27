#include "store/CategoryType.h"

#include "store/Statement.h"

CategoryType::CategoryType(const Statement& row)
    : creationDate(row.columnString(0)), categoryCode(row.columnString(1)),
      categoryLanguage(row.columnString(2)), categoryName(row.columnString(3)),
      lastupdate(row.columnString(4))
{}
