#include "workflow/QuantityInputPopoverViewController.h"

#include "platform/Dialogs.h"
#include "platform/Strings.h"

namespace {
QString leadingDigits(const QString& text)
{
    qsizetype end = 0;
    while (end < text.size() && text.at(end) >= QLatin1Char('0') && text.at(end) <= QLatin1Char('9'))
        ++end;
    return text.left(end);
}

bool allDigits(const QString& text)
{
    return !text.isEmpty() && leadingDigits(text).size() == text.size();
}
} // namespace

QuantityInputPopoverViewController::QuantityInputPopoverViewController(QObject* parent) : ScreenController(parent) {}

QString QuantityInputPopoverViewController::title() const
{
    return Strings::localized("INPUT_QUANTITY");
}

void QuantityInputPopoverViewController::setQuantityString(const QString& text)
{
    _quantityString = text;
    setQuantity(leadingDigits(text.trimmed()));
}

void QuantityInputPopoverViewController::setUnit1String(const QString& unit)
{
    _unit1String = unit;
    setCapacity(unit);
}

void QuantityInputPopoverViewController::setUnit2String(const QString& unit)
{
    _unit2String = unit;
}

void QuantityInputPopoverViewController::setQuantity(const QString& text)
{
    if (_quantity == text)
        return;
    _quantity = text;
    Q_EMIT quantityChanged();
}

void QuantityInputPopoverViewController::setCapacity(const QString& unit)
{
    if (_capacity == unit)
        return;
    _capacity = unit;
    Q_EMIT capacityChanged();
}

void QuantityInputPopoverViewController::viewDidLoad()
{
    // Every showing starts from the caller's values.
    setQuantity(leadingDigits(_quantityString.trimmed()));
    setCapacity(_unit1String);
}

void QuantityInputPopoverViewController::switchUnit()
{
    setCapacity(_capacity == _unit1String ? _unit2String : _unit1String);
}

void QuantityInputPopoverViewController::buttonClicked(int tag)
{
    if (tag != 1) {
        if (dialogs())
            dialogs()->dismissPopover();
        return;
    }
    if (!allDigits(_quantity) || _quantity.size() > kMaximumDigits) {
        if (dialogs())
            dialogs()->showAlert(Strings::localized("ALERT"), Strings::localized("NOT_ALL_NUMERIC"),
                                 {Strings::localized("BUTTON_OK")});
        return;
    }
    if (_delegate)
        _delegate->dismissPopover({{QStringLiteral("quantity"), _quantity}, {QStringLiteral("capacity"), _capacity}});
}
