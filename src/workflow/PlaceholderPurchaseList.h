#pragma once

#include "workflow/PlaceholderController.h"
#include "workflow/ScreenRoles.h"

// Stands in for the purchase list and the promotion products until they are
// built: it keeps the order, its customers and the items handed in, and gives
// them back unchanged.
class PlaceholderPurchaseList : public PlaceholderController, public PurchaseScreen
{
    Q_OBJECT

public:
    explicit PlaceholderPurchaseList(const QString& title, QObject* parent = nullptr);

    SalesOrder salesOrder() const override { return _order; }
    void setSalesOrder(const SalesOrder& order) override { _order = order; }
    std::optional<CustomerShipTo> customerShipTo() const override { return _shipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo) override
    {
        _shipTo = shipTo;
    }
    std::optional<CustomerSoldTo> customerSoldTo() const override { return _soldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo) override
    {
        _soldTo = soldTo;
    }

    void setSalesItem(const QList<SalesOrderDetails>& items) override;
    PurchaseItemList getPurchaseItemList() const override;
    QList<SalesOrderDetails> getSalesOrderItemArray() const override { return _items; }

private:
    SalesOrder _order;
    std::optional<CustomerShipTo> _shipTo;
    std::optional<CustomerSoldTo> _soldTo;
    QList<SalesOrderDetails> _items;
};
