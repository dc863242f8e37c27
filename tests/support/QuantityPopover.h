#pragma once

#include "support/FakeDialogs.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <gtest/gtest.h>

// The quantity popover a touch on a list row has just opened, loaded as the
// screen shows it; null when the last popover is something else.
inline QuantityInputPopoverViewController* openedQuantityPopover(FakeDialogs& dialogs)
{
    FakeDialogs::Request* request = dialogs.last("popover");
    auto* popover =
        request ? qobject_cast<QuantityInputPopoverViewController*>(request->controller) : nullptr;
    if (popover)
        popover->viewDidLoad();
    return popover;
}

// Answers that popover as a salesman would: types the quantity, switches to
// the second unit when asked, presses OK. Fails the test when none is open.
inline void answerQuantityPopover(FakeDialogs& dialogs, const QString& quantity,
                                  bool secondUnit = false)
{
    QuantityInputPopoverViewController* popover = openedQuantityPopover(dialogs);
    ASSERT_NE(popover, nullptr);
    popover->setQuantity(quantity);
    if (secondUnit)
        popover->switchUnit();
    popover->buttonClicked(1);
}
