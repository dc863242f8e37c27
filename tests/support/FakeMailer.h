#pragma once

#include "platform/Mailer.h"

// Records the mails handed over instead of opening a mail client; the shared
// mailer while it lives.
class FakeMailer : public Mailer
{
public:
    bool canSend = true;
    QList<MailMessage> composed;

    FakeMailer() { Mailer::setShared(this); }
    ~FakeMailer() override { Mailer::setShared(nullptr); }
    bool canSendMail() const override { return canSend; }
    void compose(const MailMessage& message, Finished finished = {}) override
    {
        composed << message;
        if (finished)
            finished(Handed, QString());
    }
};
