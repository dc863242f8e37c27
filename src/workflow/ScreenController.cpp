#include "workflow/ScreenController.h"

#include "platform/Dialogs.h"

ScreenController::ScreenController(QObject* parent) : QObject(parent) {}

Dialogs* ScreenController::dialogs() const
{
    return _dialogs ? _dialogs : Dialogs::shared();
}
