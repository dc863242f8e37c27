#pragma once

#include "workflow/PlaceholderController.h"
#include "workflow/ScreenRoles.h"

// Stands in for the order editor until it is built: it keeps the order, its
// customers and lines as the router hands them over, so every route into and
// out of the editor already runs. It stores nothing but a deletion: saving
// and uploading answer that nothing was stored.
class PlaceholderOrderEditor : public PlaceholderController, public OrderEditorScreen
{
    Q_OBJECT

public:
    explicit PlaceholderOrderEditor(QObject* parent = nullptr);

    SalesOrder salesOrder() const override { return _order; }
    void setSalesOrder(const SalesOrder& order) override;
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

    void setSalesOrderArray(const QList<SalesOrder>& orders) override { _salesOrderArray = orders; }
    QList<SalesOrder> salesOrderArray() const { return _salesOrderArray; }
    bool haveChanged() const override { return _haveChanged; }
    void setHaveChanged(bool changed) override { _haveChanged = changed; }
    QList<SalesOrderDetails> salesOrderItemArray() const override { return _lines; }
    bool verifyNewOrderNumber() override;
    void uploadOrder() override {}
    void saveOrder(bool) override {}
    void deleteOrder() override;
    void setPurchaseItemList(const PurchaseItemList& items, const SalesOrder& order) override;
    void showPopover(const QString&) override { ++_customerPickerRequests; }
    void processCapturedImage(const QImage& image) override;

    int customerPickerRequests() const { return _customerPickerRequests; }
    int photosReceived() const { return _photosReceived; }

private:
    void describe();

    SalesOrder _order;
    std::optional<CustomerShipTo> _shipTo;
    std::optional<CustomerSoldTo> _soldTo;
    QList<SalesOrder> _salesOrderArray;
    QList<SalesOrderDetails> _lines;
    bool _haveChanged = false;
    int _customerPickerRequests = 0;
    int _photosReceived = 0;
};
