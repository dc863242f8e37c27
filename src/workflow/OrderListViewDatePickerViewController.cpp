#include "workflow/OrderListViewDatePickerViewController.h"

#include "platform/Clock.h"
#include "workflow/OrderListViewController.h"

OrderListViewDatePickerViewController::OrderListViewDatePickerViewController(
    OrderListViewController* delegate, QObject* parent)
    : ScreenController(parent), _delegate(delegate)
{
    const QDate today = Clock::now().toLocalTime().date();
    _startDate = today;
    _endDate = today;
}

void OrderListViewDatePickerViewController::setStartDate(const QDate& date)
{
    if (!date.isValid() || date == _startDate)
        return;
    _startDate = date;
    Q_EMIT datesChanged();
}

void OrderListViewDatePickerViewController::setEndDate(const QDate& date)
{
    if (!date.isValid() || date == _endDate)
        return;
    _endDate = date;
    Q_EMIT datesChanged();
}

void OrderListViewDatePickerViewController::confirm()
{
    if (!_delegate)
        return;
    // The list closes this panel, which may delete it: nothing after this.
    _delegate->dateSeleted(startDay(), endDay());
}
