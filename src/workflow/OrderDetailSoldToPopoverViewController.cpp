#include "workflow/OrderDetailSoldToPopoverViewController.h"

#include "core/AppManager.h"
#include "platform/Strings.h"
#include "workflow/CustomerPickerDelegate.h"

OrderDetailSoldToPopoverViewController::OrderDetailSoldToPopoverViewController(QObject* parent)
    : ScreenController(parent)
{}

QString OrderDetailSoldToPopoverViewController::placeholder() const
{
    return Strings::localized("ORDERDETAILVIEW_SHIP_TO_NAME");
}

QString OrderDetailSoldToPopoverViewController::cancelTitle() const
{
    return Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL");
}

void OrderDetailSoldToPopoverViewController::setKeyword(const QString& keyword)
{
    if (_keyword == keyword)
        return;
    _keyword = keyword;
    Q_EMIT keywordChanged();
}

void OrderDetailSoldToPopoverViewController::setArray(const QList<CustomerSoldTo>& customers)
{
    _SoldToArray = customers;
    _entries.clear();
    for (const CustomerSoldTo& customer : customers)
        _entries << customer.customerName;
    Q_EMIT entriesChanged();
}

void OrderDetailSoldToPopoverViewController::viewDidLoad()
{
    setKeyword(_soldToName);
    setArray(AppManager::getSoldToList());
    if (!_keyword.isEmpty())
        textFieldDidChange();
}

void OrderDetailSoldToPopoverViewController::textFieldDidChange()
{
    // An empty keyword still searches the route customers (a null one would
    // list every customer, on a route or not).
    setArray(AppManager::getCustomerSoldToListWithKeyword(_keyword.isNull() ? QStringLiteral("")
                                                                            : _keyword));
}

void OrderDetailSoldToPopoverViewController::textFieldShouldReturn()
{
    textFieldDidChange();
}

void OrderDetailSoldToPopoverViewController::customerSoldToSelected(int tag)
{
    if (tag < 0 || tag >= _SoldToArray.size())
        return;
    // The editor closes this picker, which may delete it: nothing after this.
    if (auto* delegate = dynamic_cast<CustomerPickerDelegate*>(_delegate.data()))
        delegate->SoldToSeleted(_SoldToArray.at(tag));
}

void OrderDetailSoldToPopoverViewController::buttonCancelClicked()
{
    if (auto* delegate = dynamic_cast<CustomerPickerDelegate*>(_delegate.data()))
        delegate->SoldToSeleted(std::nullopt);
}
