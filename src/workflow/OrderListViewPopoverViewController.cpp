#include "workflow/OrderListViewPopoverViewController.h"

#include "core/AppManager.h"
#include "workflow/OrderListViewController.h"

OrderListViewPopoverViewController::OrderListViewPopoverViewController(
    OrderListViewController* delegate, QObject* parent)
    : ScreenController(parent), _delegate(delegate)
{
    _entries << QStringLiteral("Cancel") << AppManager::getCustomerList();
}

void OrderListViewPopoverViewController::buttonClicked(int tag)
{
    if (tag < 0 || tag >= _entries.size() || !_delegate)
        return;
    QString code;
    if (tag > 0) {
        if (const auto customer = AppManager::getCustomerSoldToWithCustomerName(_entries[tag]))
            code = customer->customerCode;
    }
    // The list closes this panel, which may delete it: nothing after this.
    _delegate->soldToNameSeleted(code);
}
