#include "store/SalesOrder.h"

#include "platform/Clock.h"
#include "store/Statement.h"

SalesOrder::SalesOrder(const Statement& row)
    : creationDate(row.columnString(0)), orderNo(row.columnString(1)),
      purchaseOrderNo(row.columnString(2)), orderDate(row.columnString(3)),
      deliverDate(row.columnString(4)), deliverAddress(row.columnString(17)),
      soldToCode(row.columnString(5)), shipToCode(row.columnString(6)),
      transactionStatus(row.columnInt(7)), uploadStatus(row.columnInt(8)),
      sapStatus(row.columnString(9)), sapOrderNo(row.columnString(10)), type(row.columnInt(11)),
      priority(row.columnInt(12)), remark(row.columnString(13)), lastupdate(row.columnString(14)),
      vdtype(row.columnInt(15)), paymenttype(row.columnInt(16))
{}

QString SalesOrder::generateDeliveryDate()
{
    // Exactly 48 hours, not two calendar days: across a daylight-saving change
    // the clock time moves by an hour.
    return Clock::now().addSecs(172800).toLocalTime().toString(
        QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString SalesOrder::typeLabel(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("ZORH");
    case 2:
        return QStringLiteral("ZSMX");
    case 3:
        return QStringLiteral("ZMED");
    default:
        return QStringLiteral("Undefined");
    }
}

QString SalesOrder::vdtypeLabel(int vdtype)
{
    switch (vdtype) {
    case 1:
        return QStringLiteral("YES");
    case 2:
        return QStringLiteral("NO");
    default:
        return QStringLiteral("Undefined");
    }
}

QString SalesOrder::paymenttypeLabel(int paymenttype)
{
    switch (paymenttype) {
    case 1:
        return QStringLiteral("COD");
    case 2:
        return QStringLiteral("M30");
    default:
        return QStringLiteral("Undefined");
    }
}

QByteArray SalesOrder::exportSalesOrder() const
{
    static const QStringList header = {
        QStringLiteral("creationDate"),   QStringLiteral("purchaseOrderNo"),
        QStringLiteral("orderDate"),      QStringLiteral("deliverDate"),
        QStringLiteral("deliverAddress"), QStringLiteral("soldToCode"),
        QStringLiteral("shipToCode"),     QStringLiteral("uploadStatus"),
        QStringLiteral("sapStatus"),      QStringLiteral("sapOrderNo"),
        QStringLiteral("type"),           QStringLiteral("vdtype"),
        QStringLiteral("paymenttype"),    QStringLiteral("lastupdate")};
    const QStringList values = {creationDate,
                                purchaseOrderNo,
                                orderDate,
                                deliverDate,
                                deliverAddress,
                                soldToCode,
                                shipToCode,
                                QString::number(uploadStatus),
                                sapStatus,
                                sapOrderNo,
                                typeLabel(type),
                                vdtypeLabel(vdtype),
                                paymenttypeLabel(paymenttype),
                                lastupdate};
    const QString text = header.join(QLatin1Char('\t')) + QLatin1Char('\n') +
                         values.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text.toUtf8();
}
