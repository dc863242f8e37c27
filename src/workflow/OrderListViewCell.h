#pragma once

#include "store/SalesOrder.h"

#include <QString>

// What one row of the order list shows for an order.
struct OrderListViewCell
{
    // The picture, as a path the picture lookup understands:
    // "/customerImage/<soldToCode>.png" when there is one, else "no_image.png".
    QString thumbnail;
    // An order the server has numbered shows "<soldToCode>-<number prefix>"
    // over its server number (zero-padded to six, "GR" before a good return);
    // any other order its purchase order number over the number's tail.
    QString pruchaseOrderNo;
    QString orderNo;
    // The day parts of the two dates, "0000-00-00" when a date is not set.
    QString creationDate;
    QString deliveryDate;
    bool priority = false;     // a priority order
    bool uploadNeeded = false; // a draft

    static OrderListViewCell forOrder(const SalesOrder& order);
    // "yyyy-MM-dd" of a stored time, or "0000-00-00".
    static QString dayOf(const QString& time);
};
