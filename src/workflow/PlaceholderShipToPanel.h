#pragma once

#include "workflow/PlaceholderController.h"
#include "workflow/ScreenRoles.h"

#include <QPointer>

// Stands in for the delivery-address picker panel until it is built. A touch
// outside the panel closes it.
class PlaceholderShipToPanel : public PlaceholderController, public ShipToPickerPanel
{
    Q_OBJECT

public:
    explicit PlaceholderShipToPanel(QObject* parent = nullptr)
        : PlaceholderController(QStringLiteral("Deliver to"),
                                QStringLiteral("The address picker is not built yet."), parent)
    {}

    void setDelegate(ScreenController* delegate) override { _delegate = delegate; }
    void setShipToName(const QString& name) override { _shipToName = name; }
    ScreenController* delegate() const { return _delegate; }
    QString shipToName() const { return _shipToName; }

private:
    QPointer<ScreenController> _delegate;
    QString _shipToName;
};
