#pragma once

#include "workflow/PlaceholderController.h"
#include "workflow/ScreenRoles.h"

// Stands in for the order photo list until it is built: it keeps the order
// and its customers for the way back.
class PlaceholderOrderPhotoList : public PlaceholderController, public OrderPhotoScreen
{
    Q_OBJECT

public:
    explicit PlaceholderOrderPhotoList(QObject* parent = nullptr)
        : PlaceholderController(QStringLiteral("IMAGE LIST"),
                                QStringLiteral("The order photo list is not built yet."), parent)
    {}

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
    void reloadCollection() override { ++_reloads; }
    int reloads() const { return _reloads; }

private:
    SalesOrder _order;
    std::optional<CustomerShipTo> _shipTo;
    std::optional<CustomerSoldTo> _soldTo;
    int _reloads = 0;
};
