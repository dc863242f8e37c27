#pragma once

#include "store/CustomerShipTo.h"
#include "store/CustomerSoldTo.h"
#include "store/SalesOrder.h"
#include "store/SalesOrderDetails.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

class ScreenController;

// What the root screen asks of the screens it routes between. A screen class
// derives from ScreenController and from the roles it plays; the router finds
// a role with dynamic_cast and never needs to know the concrete class, so a
// screen can be replaced without touching the routing.

// A screen that takes the photo the salesman picked or took.
class PhotoReceiver
{
public:
    virtual ~PhotoReceiver() = default;
    virtual void processCapturedImage(const QImage& image) = 0;
};

// A screen whose grid of pictures is redrawn when downloaded pictures arrive.
class CollectionScreen
{
public:
    virtual ~CollectionScreen() = default;
    virtual void reloadCollection() = 0;
};

// A screen working on one order and its two customers; the router hands them
// from screen to screen.
class OrderHolder
{
public:
    virtual ~OrderHolder() = default;
    virtual SalesOrder salesOrder() const = 0;
    virtual void setSalesOrder(const SalesOrder& order) = 0;
    virtual std::optional<CustomerShipTo> customerShipTo() const = 0;
    virtual void setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo) = 0;
    virtual std::optional<CustomerSoldTo> customerSoldTo() const = 0;
    virtual void setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo) = 0;
};

// The items picked for an order, keyed by item (the purchase list's own key).
using PurchaseItemList = QMap<QString, SalesOrderDetails>;

// The order editor.
class OrderEditorScreen : public OrderHolder, public PhotoReceiver
{
public:
    // The orders of the list the editor was opened from (duplicate checks).
    virtual void setSalesOrderArray(const QList<SalesOrder>& orders) = 0;
    virtual bool haveChanged() const = 0;
    virtual void setHaveChanged(bool changed) = 0;
    // The order's lines as edited.
    virtual QList<SalesOrderDetails> salesOrderItemArray() const = 0;
    virtual QList<SalesOrderDetails> getSalesOrderItemArray() const
    {
        return salesOrderItemArray();
    }
    // The order with the header fields as last copied in by saveOrder().
    virtual SalesOrder getSalesOrder() const { return salesOrder(); }
    // Validates the purchase order number and, when it is valid, stores the
    // order with its lines; false when nothing was stored (the editor has told
    // the salesman why).
    virtual bool verifyNewOrderNumber() = 0;
    // Stores the order and hands it to the upload.
    virtual void uploadOrder() = 0;
    // Copies the header fields into the order; `persist` also stores it.
    virtual void saveOrder(bool persist) = 0;
    virtual void deleteOrder() = 0;
    // Coming back from the purchase list with the picked items.
    virtual void setPurchaseItemList(const PurchaseItemList& items, const SalesOrder& order) = 0;
    // Opens the sold-to customer picker at the named item (empty: the
    // customer field).
    virtual void showPopover(const QString& anchor = QString()) = 0;
};

// The purchase list, and the promotion products that stand in for it.
class PurchaseScreen : public OrderHolder
{
public:
    virtual void setSalesItem(const QList<SalesOrderDetails>& items) = 0;
    virtual PurchaseItemList getPurchaseItemList() const = 0;
    virtual QList<SalesOrderDetails> getSalesOrderItemArray() const = 0;
    virtual SalesOrder getSalesOrder() const { return salesOrder(); }
};

// The photos of one order.
class OrderPhotoScreen : public OrderHolder, public CollectionScreen
{
};

// The item catalogue.
class ItemCatalogueScreen : public PhotoReceiver, public CollectionScreen
{
public:
    virtual void startBarcodeScanning() = 0;
};

// The delivery-address picker shown as an overlay panel on a phone. Its
// delegate is the screen that asked for it, which receives the choice.
class ShipToPickerPanel
{
public:
    virtual ~ShipToPickerPanel() = default;
    virtual void setDelegate(ScreenController* delegate) = 0;
    virtual void setShipToName(const QString& name) = 0;
};
