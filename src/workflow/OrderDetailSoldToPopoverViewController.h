#pragma once

#include "store/CustomerSoldTo.h"
#include "workflow/ScreenController.h"

#include <QList>
#include <QPointer>
#include <QStringList>

// The sold-to customer picker of the order editor: a keyword field, "Cancel"
// and one full-width button per customer. It starts with the customers on
// the salesman's routes; Return in the keyword field searches by code, name
// or sales group. The choice (or none, for "Cancel") goes to the editor.
class OrderDetailSoldToPopoverViewController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QString placeholder READ placeholder CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)
    Q_PROPERTY(QString keyword READ keyword WRITE setKeyword NOTIFY keywordChanged)
    // The button titles of the list, in order; a button's index is its tag.
    Q_PROPERTY(QStringList entries READ entries NOTIFY entriesChanged)

public:
    explicit OrderDetailSoldToPopoverViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("OrderDetailSoldToPopover"); }

    // The editor, which receives SoldToSeleted().
    void setDelegate(ScreenController* delegate) { _delegate = delegate; }
    ScreenController* delegate() const { return _delegate; }
    void setPopType(const QString& popType) { _popType = popType; }
    QString PopType() const { return _popType; }
    // A keyword to start with; it is searched at once.
    void setSoldToName(const QString& name) { _soldToName = name; }
    QString soldToName() const { return _soldToName; }

    QString placeholder() const;
    QString cancelTitle() const;
    QString keyword() const { return _keyword; }
    // Typing only changes the keyword; the search waits for Return.
    void setKeyword(const QString& keyword);
    QStringList entries() const { return _entries; }
    QList<CustomerSoldTo> soldToArray() const { return _SoldToArray; }
    // Shows these customers as the list.
    void setArray(const QList<CustomerSoldTo>& customers);

    // Every showing starts again: the keyword, the route customers, and the
    // search when a keyword was given.
    void viewDidLoad() override;
    // Searches with the keyword as it stands.
    Q_INVOKABLE void textFieldDidChange();
    // Return in the keyword field.
    Q_INVOKABLE void textFieldShouldReturn();
    Q_INVOKABLE void customerSoldToSelected(int tag);
    Q_INVOKABLE void buttonCancelClicked();

Q_SIGNALS:
    void keywordChanged();
    void entriesChanged();

private:
    QPointer<ScreenController> _delegate;
    QString _popType;
    QString _soldToName;
    QString _keyword;
    QList<CustomerSoldTo> _SoldToArray;
    QStringList _entries;
};
