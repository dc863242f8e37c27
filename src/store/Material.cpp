#include "store/Material.h"

#include "store/Statement.h"

Material::Material(const Statement& row)
    : creationDate(row.columnString(0)), skuCode(row.columnString(1)),
      language(row.columnString(2)), description(row.columnString(3)),
      category(row.columnString(5)), subCategory(row.columnString(6)), brand(row.columnString(7)),
      subBrand(row.columnString(8)), status(row.columnInt(9)), barcode(row.columnString(10)),
      lastupdate(row.columnString(11)), phototype(row.columnString(12)),
      priority(row.columnString(13)), unit1(row.columnString(14)), unit2(row.columnString(15)),
      cate1(row.columnString(16)), cate2(row.columnString(17)), cate3(row.columnString(18)),
      cate4(row.columnString(19)), cate5(row.columnString(20)), cate6(row.columnString(21)),
      brandname(row.columnString(22))
{}
