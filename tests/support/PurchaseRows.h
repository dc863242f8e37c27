#pragma once

#include "support/QuantityPopover.h"
#include "workflow/PurchaseListBase.h"
#include "workflow/PurchaseListModel.h"

#include <QStringList>

// Every row of a purchase list as shown: "A100 [7CS]", or "A100 -" without a badge.
inline QStringList shownRows(const PurchaseListSource& list)
{
    QStringList rows;
    for (int row = 0; row < list.cellCount(); ++row) {
        const PurchaseListCell cell = list.cellForRow(row);
        rows << cell.skuCodeLabel + (cell.badgeHidden ? QString(" -") : " [" + cell.badge + ']');
    }
    return rows;
}

// Touches a row and answers the quantity popover it opens.
inline void answerRow(PurchaseListBase& list, FakeDialogs& dialogs, int row,
                      const QString& quantity, bool secondUnit = false)
{
    list.rowClicked(row);
    answerQuantityPopover(dialogs, quantity, secondUnit);
}
