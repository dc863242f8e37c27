#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <gtest/gtest.h>

namespace {
struct Receiver : QuantityInputDelegate {
    QList<QVariantMap> answers;
    void dismissPopover(const QVariantMap& answer) override { answers << answer; }
};
} // namespace

TEST(QuantityPopover, StartsWithTheCallersDigitsAndSwitchesUnits)
{
    QuantityInputPopoverViewController popover;
    popover.setQuantityString("12BOX");
    popover.setUnit1String("CS");
    popover.setUnit2String("EA");
    popover.viewDidLoad();
    EXPECT_EQ(popover.quantity(), "12");
    EXPECT_EQ(popover.capacity(), "CS");
    popover.switchUnit();
    EXPECT_EQ(popover.capacity(), "EA");
    popover.switchUnit();
    EXPECT_EQ(popover.capacity(), "CS");
    EXPECT_EQ(popover.title(), Strings::localized("INPUT_QUANTITY"));

    QuantityInputPopoverViewController empty;
    empty.setQuantityString(" ");
    empty.viewDidLoad();
    EXPECT_TRUE(empty.quantity().isEmpty());
}

TEST(QuantityPopover, OnlyDigitsAreAnsweredAndCancelAnswersNothing)
{
    FakeDialogs dialogs;
    Receiver receiver;
    QuantityInputPopoverViewController popover;
    popover.setDialogs(&dialogs);
    popover.setDelegate(&receiver);
    popover.setUnit1String("CS");
    popover.setUnit2String("EA");
    popover.viewDidLoad();

    for (const char* bad : {"", "1.5", "-3", "12a", " 4", "１２", "1234567"}) {
        popover.setQuantity(QString::fromUtf8(bad));
        popover.buttonClicked(1);
    }
    EXPECT_EQ(dialogs.count("alert"), 7);
    EXPECT_EQ(dialogs.last("alert")->message, Strings::localized("NOT_ALL_NUMERIC"));
    EXPECT_TRUE(receiver.answers.isEmpty());

    popover.setQuantity("0");
    popover.switchUnit();
    popover.buttonClicked(1);
    ASSERT_EQ(receiver.answers.size(), 1);
    EXPECT_EQ(receiver.answers[0], QVariantMap({{"quantity", "0"}, {"capacity", "EA"}}));

    dialogs.popoverOpen = true;
    popover.buttonClicked(2);
    EXPECT_FALSE(dialogs.popoverOpen);
    EXPECT_EQ(receiver.answers.size(), 1);
}
