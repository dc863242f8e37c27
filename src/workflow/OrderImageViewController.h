#pragma once

#include "workflow/OrderImageListModel.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"

// The photos filed for one order, as a grid of pictures from the documents
// folder. It is opened from the order editor's photo counter and leads back
// to the editor with the same order, customers and lines.
class OrderImageViewController : public ScreenController, public OrderPhotoScreen
{
    Q_OBJECT
    Q_PROPERTY(QString OrderNo READ OrderNo NOTIFY orderChanged)
    Q_PROPERTY(QObject* model READ collectionView CONSTANT)

public:
    explicit OrderImageViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderImageView"); }

    // Takes the order and lists the photos filed under its purchase order
    // number.
    void setSalesOrder(const SalesOrder& order) override;
    SalesOrder salesOrder() const override { return _salesOrder; }
    std::optional<CustomerShipTo> customerShipTo() const override { return _customerShipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo) override
    {
        _customerShipTo = shipTo;
    }
    std::optional<CustomerSoldTo> customerSoldTo() const override { return _customerSoldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo) override
    {
        _customerSoldTo = soldTo;
    }
    void setSalesOrderItemArray(const QList<SalesOrderDetails>& lines) override { _lines = lines; }
    QList<SalesOrderDetails> salesOrderItemArray() const override { return _lines; }
    void setHaveChanged(bool changed) override { _haveChanged = changed; }
    bool haveChanged() const override { return _haveChanged; }

    QString OrderNo() const { return _orderNo; }
    void setOrderNo(const QString& orderNo);
    OrderImageListModel* collectionView() { return &_model; }
    // Lists the photos again (a photo may have been filed meanwhile).
    void reloadCollection() override;

Q_SIGNALS:
    void orderChanged();

private:
    SalesOrder _salesOrder;
    std::optional<CustomerShipTo> _customerShipTo;
    std::optional<CustomerSoldTo> _customerSoldTo;
    QList<SalesOrderDetails> _lines;
    bool _haveChanged = false;
    QString _orderNo;
    OrderImageListModel _model;
};
