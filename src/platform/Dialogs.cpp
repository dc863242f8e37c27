#include "platform/Dialogs.h"

namespace {
Dialogs* g_shared = nullptr;
}

Dialogs* Dialogs::shared()
{
    return g_shared;
}

void Dialogs::setShared(Dialogs* dialogs)
{
    g_shared = dialogs;
}
