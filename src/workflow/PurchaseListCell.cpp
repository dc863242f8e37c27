#include "workflow/PurchaseListCell.h"

PurchaseListCell PurchaseListCell::withLine(const QString& skuCode, const QString& description,
                                            const SalesOrderDetails* line)
{
    PurchaseListCell cell;
    cell.skuCodeLabel = skuCode;
    cell.descriptionLabel = description;
    if (line && line->quantity != 0) {
        cell.badge = QString::number(line->quantity) + line->uomCode;
        cell.badgeHidden = false;
    }
    return cell;
}
