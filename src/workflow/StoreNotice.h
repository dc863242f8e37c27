#pragma once

#include <QString>

class Dialogs;

// What the salesman must hear about the local database: that a damaged one
// was replaced by a fresh copy (told once), that nothing can be stored on this
// tablet, or that a save failed for want of storage. The store itself never
// shows anything; the root screen shows the start-up notice when it loads, and
// the order editor asks for the save message when a save answered false.
class StoreNotice
{
public:
    // The start-up message for the store's state, or a null text. Opens the
    // store if it is not open yet. A replaced database is told only once per
    // run; a store that cannot be written is told every time.
    static QString pendingMessage();
    // Shows pendingMessage() as an alert, if there is one.
    static void showPending(Dialogs* dialogs);

    // After a save that answered false: the message when the storage failed
    // (disk full, file unwritable), or a null text when the order itself was
    // refused (for instance a purchase order number that is taken). The draft
    // stays on the screen either way.
    static QString saveFailureMessage();

    // Forgets that the replacement was told (tests).
    static void reset();
};
