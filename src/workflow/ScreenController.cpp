#include "workflow/ScreenController.h"

#include "platform/Dialogs.h"
#include "platform/PhotoSource.h"

ScreenController::ScreenController(QObject* parent) : QObject(parent) {}

Dialogs* ScreenController::dialogs() const
{
    return _dialogs ? _dialogs : Dialogs::shared();
}

PhotoSource* ScreenController::photoSource() const
{
    return _photoSource ? _photoSource : PhotoSource::shared();
}
