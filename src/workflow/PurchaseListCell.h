#pragma once

#include "store/SalesOrderDetails.h"

#include <QString>

// What one row of the purchase list (and of the promotion products) shows:
// the item code, the description and, at the right, the badge with what is
// ordered of it ("12BOX"). A promotion that holds lines shows a blank badge.
struct PurchaseListCell
{
    QString skuCodeLabel;
    QString descriptionLabel;
    QString badge;
    bool badgeHidden = true;

    // The badge of an ordered line: its quantity followed directly by its
    // unit; none for a line of quantity 0.
    static PurchaseListCell withLine(const QString& skuCode, const QString& description,
                                     const SalesOrderDetails* line);
};
