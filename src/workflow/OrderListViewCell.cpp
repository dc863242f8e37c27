#include "workflow/OrderListViewCell.h"

#include "support/RQImage.h"

namespace {
const QString kNoDay = QStringLiteral("0000-00-00");
}

QString OrderListViewCell::dayOf(const QString& time)
{
    return time.size() > 10 ? time.left(10) : kNoDay;
}

OrderListViewCell OrderListViewCell::forOrder(const SalesOrder& order)
{
    OrderListViewCell cell;
    const QString picture = QStringLiteral("/customerImage/%1.png").arg(order.soldToCode);
    cell.thumbnail =
        RQImage::pathForImageNamed(picture).isNull() ? QStringLiteral("no_image.png") : picture;

    const QString& number = order.purchaseOrderNo;
    const qsizetype dot = number.indexOf(QLatin1Char('.'));
    if (order.orderNo != order.purchaseOrderNo) {
        // Numbered by the server: the customer and the number's first part,
        // over the server's number.
        const QString prefix = dot < 0 ? number : number.left(dot);
        cell.pruchaseOrderNo = order.soldToCode + QLatin1Char('-') + prefix;
        const QString padded = order.orderNo.rightJustified(6, QLatin1Char('0'));
        cell.orderNo = order.type == 2 ? QStringLiteral("GR") + padded : padded;
    } else {
        cell.pruchaseOrderNo = number;
        cell.orderNo = dot < 0 ? number : number.mid(dot + 1);
    }
    cell.creationDate = dayOf(order.creationDate);
    cell.deliveryDate = dayOf(order.deliverDate);
    cell.priority = order.priority == 1;
    cell.uploadNeeded = order.uploadStatus == 10;
    return cell;
}
