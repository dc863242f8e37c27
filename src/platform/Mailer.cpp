#include "platform/Mailer.h"

#include "platform/DesktopMailer.h"

namespace {
Mailer* g_shared = nullptr;
}

Mailer* Mailer::shared()
{
    if (g_shared)
        return g_shared;
    static DesktopMailer desktop;
    return &desktop;
}

void Mailer::setShared(Mailer* mailer)
{
    g_shared = mailer;
}
