#pragma once

#include "workflow/ScreenController.h"

#include <QVariantMap>

// Where the quantity popover sends its answer: {"quantity": the digits typed,
// "capacity": the unit shown}. The receiver closes the popover.
class QuantityInputDelegate
{
public:
    virtual ~QuantityInputDelegate() = default;
    virtual void dismissPopover(const QVariantMap& answer) = 0;
};

// The small dialog that asks for a whole number and a unit of measure; the
// purchase list, the promotion products and the order editor use it.
class QuantityInputPopoverViewController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString quantity READ quantity WRITE setQuantity NOTIFY quantityChanged)
    Q_PROPERTY(QString capacity READ capacity NOTIFY capacityChanged)
    Q_PROPERTY(int maximumDigits READ maximumDigits CONSTANT)

public:
    // Quantities longer than this are not taken: they would not fit a line.
    static constexpr int kMaximumDigits = 6;

    explicit QuantityInputPopoverViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("QuantityInputPopover"); }

    void setDelegate(QuantityInputDelegate* delegate) { _delegate = delegate; }
    // The caller's quantity: a number, or a badge such as "12BOX"; the field
    // starts with its leading digits.
    void setQuantityString(const QString& text);
    void setUnit1String(const QString& unit);
    void setUnit2String(const QString& unit);

    QString title() const;
    QString quantity() const { return _quantity; }
    void setQuantity(const QString& text);
    QString capacity() const { return _capacity; }
    int maximumDigits() const { return kMaximumDigits; }

    void viewDidLoad() override;

    // The unit label was touched: it switches between the two units.
    Q_INVOKABLE void switchUnit();
    // Confirm (tag 1) answers the delegate when the quantity is all digits;
    // any other tag closes the popover without an answer.
    Q_INVOKABLE void buttonClicked(int tag);

Q_SIGNALS:
    void quantityChanged();
    void capacityChanged();

private:
    void setCapacity(const QString& unit);

    QuantityInputDelegate* _delegate = nullptr;
    QString _quantityString;
    QString _unit1String;
    QString _unit2String;
    QString _quantity;
    QString _capacity;
};
