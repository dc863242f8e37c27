#include "workflow/PlaceholderPurchaseList.h"

PlaceholderPurchaseList::PlaceholderPurchaseList(const QString& title, QObject* parent)
    : PlaceholderController(title, QStringLiteral("This screen is not built yet."), parent)
{}

void PlaceholderPurchaseList::setSalesItem(const QList<SalesOrderDetails>& items)
{
    _items = items;
    setNote(QStringLiteral("This screen is not built yet.\n%1 item(s) on the order.")
                .arg(items.size()));
}

PurchaseItemList PlaceholderPurchaseList::getPurchaseItemList() const
{
    // An item ordered inside a promotion is another line than the same item
    // from the catalogue.
    PurchaseItemList items;
    for (const SalesOrderDetails& line : _items)
        items.insert(line.skuCode + QLatin1Char('|') + line.promocode, line);
    return items;
}
