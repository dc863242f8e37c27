#pragma once

#include "workflow/ScreenController.h"

#include <QDate>
#include <QPointer>

class OrderListViewController;

// The date filter panel of the order list: a first and a last day, both
// starting at today, and "Confirm", which hands the range to the list
// (dateSeleted) as two "yyyy-MM-dd" days.
class OrderListViewDatePickerViewController : public ScreenController
{
    Q_OBJECT
    // The two days as "yyyy-MM-dd" (dates cross into QML as texts: a JS Date
    // would carry a time of day and a zone).
    Q_PROPERTY(QString startDay READ startDay NOTIFY datesChanged)
    Q_PROPERTY(QString endDay READ endDay NOTIFY datesChanged)

public:
    explicit OrderListViewDatePickerViewController(OrderListViewController* delegate,
                                                   QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderListViewDatePicker"); }

    QDate startDate() const { return _startDate; }
    void setStartDate(const QDate& date);
    QDate endDate() const { return _endDate; }
    void setEndDate(const QDate& date);

    QString startDay() const { return _startDate.toString(QStringLiteral("yyyy-MM-dd")); }
    QString endDay() const { return _endDate.toString(QStringLiteral("yyyy-MM-dd")); }
    // From the pickers; month 1 to 12. An invalid day is ignored.
    Q_INVOKABLE void setStart(int year, int month, int day)
    {
        setStartDate(QDate(year, month, day));
    }
    Q_INVOKABLE void setEnd(int year, int month, int day) { setEndDate(QDate(year, month, day)); }

    Q_INVOKABLE void confirm();

Q_SIGNALS:
    void datesChanged();

private:
    QPointer<OrderListViewController> _delegate;
    QDate _startDate;
    QDate _endDate;
};
