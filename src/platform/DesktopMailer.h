#pragma once

#include "platform/Mailer.h"

#include <QString>
#include <QStringList>

// The desktop's mail client, reached through the freedesktop.org tools. The
// message is written as an Internet message file (.eml) in the documents'
// "Outbox" folder and opened with the program registered for
// message/rfc822 (xdg-open); where only a mailto: handler is registered, its
// composer opens with the recipients, subject, body and the attachments
// written beside the .eml (xdg-email). With neither, the device cannot send
// mail.
class DesktopMailer : public Mailer
{
public:
    // What the mailer asks of the system; tests replace it.
    struct System
    {
        // The program's full path, or an empty text when it is not installed.
        std::function<QString(const QString& program)> findExecutable;
        // The trimmed standard output of a short command; empty when it fails.
        std::function<QString(const QString& program, const QStringList& arguments)> output;
        // Starts a program that outlives the call; false when it did not start.
        std::function<bool(const QString& program, const QStringList& arguments)> startDetached;
    };

    DesktopMailer();
    explicit DesktopMailer(System system);

    bool canSendMail() const override;
    void compose(const MailMessage& message, Finished finished = {}) override;

    // Where messages handed over are kept: <documents>/Outbox.
    static QString outboxDirectory();
    // The .eml file the last compose() wrote.
    QString lastMessagePath() const { return _lastMessagePath; }

private:
    enum class Client { None, MessageFile, Composer };
    Client client() const;
    bool handOver(Client client, const MailMessage& message, const QString& emlPath,
                  QString* error);

    System _system;
    QString _lastMessagePath;
};
