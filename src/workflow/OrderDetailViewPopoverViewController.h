#pragma once

#include "store/CustomerShipTo.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>

class CustomerPickerDelegate;

// The delivery-address picker of the order editor: a keyword field, "Cancel"
// and a list of full-width buttons. It starts with the districts of the
// chosen sold-to customer's addresses; touching a district lists that
// district's addresses, touching an address answers the editor. Every change
// of the keyword searches the customer's addresses. On a tablet it is a
// popover at the delivery field; on a phone the root screen's overlay panel.
class OrderDetailViewPopoverViewController : public ScreenController, public ShipToPickerPanel
{
    Q_OBJECT
    Q_PROPERTY(QString placeholder READ placeholder CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)
    Q_PROPERTY(QString keyword READ keyword WRITE setKeyword NOTIFY keywordChanged)
    // The button titles of the list, in order.
    Q_PROPERTY(QStringList entries READ entries NOTIFY entriesChanged)
    // The level of the text buttons shown (1 region, 2 district, 3 customer
    // name), or 0 while addresses are shown.
    Q_PROPERTY(int level READ level NOTIFY entriesChanged)

public:
    enum Level { Addresses = 0, Region = 1, District = 2, CustomerName = 3 };

    explicit OrderDetailViewPopoverViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderDetailViewPopover"); }

    // ShipToPickerPanel: the editor that receives the answer, the keyword
    // to start with, and what runs after an answer (the overlay closes).
    void setDelegate(ScreenController* delegate) override { _delegate = delegate; }
    ScreenController* delegate() const { return _delegate; }
    void setShipToName(const QString& name) override { _shipToName = name; }
    QString shipToName() const { return _shipToName; }
    void setOnAnswered(std::function<void()> answered) override
    {
        _onAnswered = std::move(answered);
    }
    // "ship": the touched address becomes the customer; anything else: the
    // delivery address.
    void setPopType(const QString& popType) { _popType = popType; }
    QString PopType() const { return _popType; }

    QString placeholder() const;
    QString cancelTitle() const;
    QString keyword() const { return _keyword; }
    // Every change of the keyword searches.
    void setKeyword(const QString& keyword);
    QStringList entries() const { return _entries; }
    int level() const { return _level; }
    QString region() const { return _region; }
    QString district() const { return _district; }
    QString customerName() const { return _customerName; }
    QList<CustomerShipTo> shipToArray() const { return _addresses; }

    // Shows these addresses as the list.
    void setArray(const QList<CustomerShipTo>& addresses);

    // Every showing starts again: the keyword, the districts, and the search
    // when a keyword was given.
    void viewDidLoad() override;
    // Searches with the keyword as it stands.
    Q_INVOKABLE void textFieldDidChange();
    // A text button of a level (its tag) with its title.
    Q_INVOKABLE void buttonClicked(int tag, const QString& title);
    // An address button (its index in the list).
    Q_INVOKABLE void customerShipToSelected(int tag);
    // The view's touch on the entry at this index, whatever the list shows.
    Q_INVOKABLE void entryClicked(int index);
    Q_INVOKABLE void buttonCancelClicked();

Q_SIGNALS:
    void keywordChanged();
    void entriesChanged();

private:
    void setTextArray(const QStringList& texts, int level);
    void answer(const std::function<void(CustomerPickerDelegate*)>& toDelegate);

    QPointer<ScreenController> _delegate;
    std::function<void()> _onAnswered;
    QString _popType;
    QString _shipToName;
    QString _keyword;
    QString _region;
    QString _district;
    QString _customerName;
    QList<CustomerShipTo> _addresses;
    QStringList _entries;
    int _level = District;
};
