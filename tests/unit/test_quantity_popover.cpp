#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <gtest/gtest.h>

namespace {
struct Receiver : QuantityInputDelegate
{
    QList<QVariantMap> answers;
    void dismissPopover(const QVariantMap& answer) override { answers << answer; }
};
} // namespace

// Opening, switching units and cancelling are the purchase list's tests to make.
TEST(QuantityPopover, StartsWithTheCallersDigitsAndAnswersOnlyPlainDigits)
{
    FakeDialogs dialogs;
    Receiver receiver;
    QuantityInputPopoverViewController popover;
    popover.setDialogs(&dialogs);
    popover.setDelegate(&receiver);
    popover.setQuantityString(" 12BOX");
    popover.viewDidLoad();
    EXPECT_EQ(popover.quantity(), "12");
    for (const char* bad : {"", "1.5", "-3", " 4", "１２", "1234567"}) {
        popover.setQuantity(QString::fromUtf8(bad));
        popover.buttonClicked(1);
    }
    EXPECT_EQ(dialogs.count("alert"), 6);
    popover.setQuantity("0");
    popover.buttonClicked(1);
    EXPECT_EQ(receiver.answers, QList<QVariantMap>({{{"quantity", "0"}, {"capacity", ""}}}));
}
