#pragma once

#include "platform/MailMessage.h"

#include <functional>

// Hands a composed mail to whatever sends mail on this device. Controllers ask
// canSendMail() first; without a mail client there is nothing to hand over to.
// The desktop implementation is DesktopMailer; tests use a recording fake.
class Mailer
{
public:
    enum Result { Handed, Failed };
    // The outcome of one hand-off, on the main thread, after compose()
    // returned; `error` describes a failure.
    using Finished = std::function<void(Result result, const QString& error)>;

    virtual ~Mailer() = default;

    virtual bool canSendMail() const = 0;
    virtual void compose(const MailMessage& message, Finished finished = {}) = 0;

    // The mailer in use: the one set, else the desktop's.
    static Mailer* shared();
    // Replaces it (null: back to the desktop's).
    static void setShared(Mailer* mailer);
};
