#pragma once

#include "workflow/ScreenController.h"

#include <QPointer>
#include <QStringList>

class OrderListViewController;

// The sold-to filter panel of the order list: "Cancel" and then every sold-to
// customer on the salesman's routes, one button each. The choice goes to the
// list (soldToNameSeleted): the customer's code, or none for "Cancel".
class OrderListViewPopoverViewController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QStringList entries READ entries CONSTANT)

public:
    explicit OrderListViewPopoverViewController(OrderListViewController* delegate,
                                                QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderListViewPopover"); }

    // "Cancel" first, then the customer names; an entry's index is its tag.
    QStringList entries() const { return _entries; }
    Q_INVOKABLE void buttonClicked(int tag);

private:
    QPointer<OrderListViewController> _delegate;
    QStringList _entries;
};
