#include "workflow/OrderDetailViewPopoverViewController.h"

#include "core/AppManager.h"
#include "platform/Strings.h"
#include "workflow/CustomerPickerDelegate.h"

OrderDetailViewPopoverViewController::OrderDetailViewPopoverViewController(QObject* parent)
    : ScreenController(parent)
{}

QString OrderDetailViewPopoverViewController::placeholder() const
{
    return Strings::localized("ORDERDETAILVIEW_DELIVERY_TO_NAME");
}

QString OrderDetailViewPopoverViewController::cancelTitle() const
{
    return Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL");
}

void OrderDetailViewPopoverViewController::setKeyword(const QString& keyword)
{
    if (_keyword == keyword)
        return;
    _keyword = keyword;
    Q_EMIT keywordChanged();
    textFieldDidChange();
}

void OrderDetailViewPopoverViewController::setArray(const QList<CustomerShipTo>& addresses)
{
    _addresses = addresses;
    _level = Addresses;
    _entries.clear();
    for (const CustomerShipTo& address : addresses)
        _entries << address.description;
    Q_EMIT entriesChanged();
}

void OrderDetailViewPopoverViewController::setTextArray(const QStringList& texts, int level)
{
    _addresses.clear();
    _level = level;
    _entries = texts;
    Q_EMIT entriesChanged();
}

void OrderDetailViewPopoverViewController::viewDidLoad()
{
    // The keyword is set quietly: the districts come first, the search
    // after them.
    if (_keyword != _shipToName) {
        _keyword = _shipToName;
        Q_EMIT keywordChanged();
    }
    setTextArray(AppManager::getDistrictListWithRegion(_region), District);
    if (!_keyword.isEmpty())
        textFieldDidChange();
}

void OrderDetailViewPopoverViewController::textFieldDidChange()
{
    // An empty keyword lists the chosen customer's addresses (a null one
    // would list every address on the routes).
    setArray(AppManager::getCustomerShipToListWithKeyword(_keyword.isNull() ? QStringLiteral("")
                                                                            : _keyword));
}

void OrderDetailViewPopoverViewController::buttonClicked(int tag, const QString& title)
{
    switch (tag) {
    case Region:
        _region = title;
        setTextArray(AppManager::getDistrictListWithRegion(_region), District);
        break;
    case District:
        _district = title;
        setArray(AppManager::getCustomerShipToListWithRegion(_region, _district, _customerName));
        break;
    case CustomerName:
        _customerName = title;
        setTextArray(AppManager::getRegionListWithCustomerName(_customerName), Region);
        break;
    default:
        break;
    }
}

void OrderDetailViewPopoverViewController::customerShipToSelected(int tag)
{
    if (tag < 0 || tag >= _addresses.size())
        return;
    const CustomerShipTo address = _addresses.at(tag);
    const bool ship = _popType == QLatin1String("ship");
    answer([address, ship](CustomerPickerDelegate* delegate) {
        if (ship)
            delegate->shipToSeleted(address);
        else
            delegate->DeliveryToSeleted(address);
    });
}

void OrderDetailViewPopoverViewController::entryClicked(int index)
{
    if (index < 0 || index >= _entries.size())
        return;
    if (_level == Addresses)
        customerShipToSelected(index);
    else
        buttonClicked(_level, _entries.at(index));
}

void OrderDetailViewPopoverViewController::buttonCancelClicked()
{
    answer([](CustomerPickerDelegate* delegate) { delegate->shipToSeleted(std::nullopt); });
}

void OrderDetailViewPopoverViewController::answer(
    const std::function<void(CustomerPickerDelegate*)>& toDelegate)
{
    // Both steps may close this picker; it is deleted later, never at once,
    // but nothing of it is read after them.
    const std::function<void()> answered = _onAnswered;
    if (auto* delegate = dynamic_cast<CustomerPickerDelegate*>(_delegate.data()))
        toDelegate(delegate);
    if (answered)
        answered();
}
