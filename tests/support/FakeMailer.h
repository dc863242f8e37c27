#pragma once

#include "platform/Mailer.h"

#include <QList>

// Records the mails handed over instead of opening a mail client.
class FakeMailer : public Mailer
{
public:
    bool canSend = true;
    QList<MailMessage> composed;

    bool canSendMail() const override { return canSend; }
    void compose(const MailMessage& message, Finished finished = {}) override
    {
        composed << message;
        if (finished)
            finished(Handed, QString());
    }
};

// Makes a FakeMailer the shared mailer for one scope.
class ScopedMailer
{
public:
    explicit ScopedMailer(Mailer* mailer) { Mailer::setShared(mailer); }
    ~ScopedMailer() { Mailer::setShared(nullptr); }
};
