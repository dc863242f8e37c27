#include "store/SalesOrderDetails.h"

#include "platform/Clock.h"
#include "store/Statement.h"

#include <QStringList>

SalesOrderDetails::SalesOrderDetails() : creationDate(getNow()), lastupdate(creationDate) {}

SalesOrderDetails::SalesOrderDetails(const Statement& row)
    : creationDate(row.columnString(0)), orderNo(row.columnString(1)), skuCode(row.columnString(2)),
      quantity(row.columnInt(3)), uomCode(row.columnString(4)), lastupdate(row.columnString(5)),
      promocode(row.columnString(6))
{}

QString SalesOrderDetails::getNow()
{
    return Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QByteArray SalesOrderDetails::exportSalesOrderDetail() const
{
    const QStringList values = {creationDate, orderNo,   skuCode,   QString::number(quantity),
                                uomCode,      promocode, lastupdate};
    return (values.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8();
}
