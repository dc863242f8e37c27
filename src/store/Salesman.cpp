#include "store/Salesman.h"

#include "store/Statement.h"

Salesman::Salesman(const Statement& row)
    : creationDate(row.columnString(0)), salesmanCode(row.columnString(1)),
      username(row.columnString(2)), password(row.columnString(3)),
      employeeCode(row.columnString(4)), address(row.columnString(5)),
      contactNo(row.columnString(6)), mobileNo(row.columnString(7)), faxNo(row.columnString(8)),
      email(row.columnString(9)), status(row.columnInt(10)), ipAddress(row.columnString(11)),
      authToken(row.columnString(12)), loginDate(row.columnString(13)),
      lastupdate(row.columnString(14))
{}
