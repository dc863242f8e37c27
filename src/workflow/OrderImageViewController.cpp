#include "workflow/OrderImageViewController.h"

#include "core/AppManager.h"

OrderImageViewController::OrderImageViewController(QObject* parent) : ScreenController(parent)
{
    _model.setParent(this);
}

void OrderImageViewController::setSalesOrder(const SalesOrder& order)
{
    _salesOrder = order;
    setOrderNo(order.purchaseOrderNo);
}

void OrderImageViewController::setOrderNo(const QString& orderNo)
{
    if (_orderNo != orderNo) {
        _orderNo = orderNo;
        Q_EMIT orderChanged();
    }
    reloadCollection();
}

void OrderImageViewController::reloadCollection()
{
    QStringList names;
    for (const QVariantMap& row : AppManager::getOrderImg(_orderNo))
        names << row.value(QStringLiteral("imagename")).toString();
    _model.setImageNames(names);
}
