#include "workflow/PlaceholderOrderEditor.h"

#include "core/AppManager.h"
#include "platform/Dialogs.h"
#include "platform/Strings.h"

#include <algorithm>

namespace {
void sortByLastUpdate(QList<SalesOrderDetails>& lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SalesOrderDetails& a, const SalesOrderDetails& b) {
                         return a.lastupdate < b.lastupdate;
                     });
}
} // namespace

PlaceholderOrderEditor::PlaceholderOrderEditor(QObject* parent)
    : PlaceholderController(Strings::localized("ORDERDETAILVIEW_HEADER"), QString(), parent)
{
    describe();
}

void PlaceholderOrderEditor::setSalesOrder(const SalesOrder& order)
{
    _haveChanged = false;
    _order = order;
    _shipTo = AppManager::getCustomerShipTo(order.soldToCode, order.shipToCode);
    _soldTo = AppManager::getCustomerSoldTo(order.soldToCode);
    _lines = AppManager::getSalesOrderDetail(order.purchaseOrderNo);
    sortByLastUpdate(_lines);
    describe();
}

bool PlaceholderOrderEditor::verifyNewOrderNumber()
{
    if (dialogs())
        dialogs()->showNotice(
            QStringLiteral("The order editor is not built yet: nothing was saved."));
    return false;
}

void PlaceholderOrderEditor::deleteOrder()
{
    AppManager::deleteSalesOrder(_order.purchaseOrderNo);
}

void PlaceholderOrderEditor::setPurchaseItemList(const PurchaseItemList& items,
                                                 const SalesOrder& order)
{
    _order = order;
    _lines = items.values();
    sortByLastUpdate(_lines);
    describe();
}

void PlaceholderOrderEditor::processCapturedImage(const QImage& image)
{
    if (image.isNull())
        return;
    ++_photosReceived;
    describe();
}

void PlaceholderOrderEditor::describe()
{
    QString note = QStringLiteral("The order editor is not built yet.");
    if (!_order.purchaseOrderNo.isEmpty())
        note += QStringLiteral("\nOrder %1, %2 line(s).")
                    .arg(_order.purchaseOrderNo)
                    .arg(_lines.size());
    if (_photosReceived > 0)
        note += QStringLiteral("\n%1 photo(s) received.").arg(_photosReceived);
    setNote(note);
}
