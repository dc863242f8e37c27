#include "platform/DesktopMailer.h"

#include "platform/Clock.h"
#include "platform/Sandbox.h"

#include <QDir>
#include <QLoggingCategory>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

Q_LOGGING_CATEGORY(lcMail, "fieldbook.mail")

namespace {
DesktopMailer::System realSystem()
{
    DesktopMailer::System system;
    system.findExecutable = [](const QString& program) {
        return QStandardPaths::findExecutable(program);
    };
    system.output = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments, QIODevice::ReadOnly);
        if (!process.waitForFinished(3000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            process.kill();
            return QString();
        }
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    };
    system.startDetached = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return system;
}

bool writeAtomically(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(content);
    return file.commit();
}

// A name that is one file inside the folder, whatever the attachment is called.
QString safeFileName(const QString& name, int index)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    safe.replace(QLatin1Char('\\'), QLatin1Char('_'));
    safe.remove(QChar(0));
    if (safe.isEmpty() || safe == QLatin1String(".") || safe == QLatin1String(".."))
        safe = QStringLiteral("attachment-%1").arg(index + 1);
    return safe;
}
} // namespace

DesktopMailer::DesktopMailer() : _system(realSystem()) {}

DesktopMailer::DesktopMailer(System system) : _system(std::move(system)) {}

QString DesktopMailer::outboxDirectory()
{
    return QDir(Sandbox::documentsDirectory()).filePath(QStringLiteral("Outbox"));
}

DesktopMailer::Client DesktopMailer::client() const
{
    if (!_system.findExecutable(QStringLiteral("xdg-mime")).isEmpty()) {
        if (!_system.findExecutable(QStringLiteral("xdg-open")).isEmpty() &&
            !_system
                 .output(QStringLiteral("xdg-mime"),
                         {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("message/rfc822")})
                 .isEmpty())
            return Client::MessageFile;
        if (!_system.findExecutable(QStringLiteral("xdg-email")).isEmpty() &&
            !_system
                 .output(QStringLiteral("xdg-mime"),
                         {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/mailto")})
                 .isEmpty())
            return Client::Composer;
    }
    return Client::None;
}

bool DesktopMailer::canSendMail() const
{
    return client() != Client::None;
}

void DesktopMailer::compose(const MailMessage& message, Finished finished)
{
    QString error;
    const Client target = client();
    const QDateTime now = Clock::now().toLocalTime();
    const QString stem =
        QStringLiteral("Export-") + now.toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    const QDir outbox(outboxDirectory());
    const QString emlPath = outbox.filePath(stem + QStringLiteral(".eml"));

    Result result = Failed;
    if (target == Client::None) {
        error = QStringLiteral("no mail client is registered");
    } else if (!QDir().mkpath(outbox.path()) || !writeAtomically(emlPath, message.toMime(now))) {
        error = QStringLiteral("cannot write %1").arg(emlPath);
    } else {
        _lastMessagePath = emlPath;
        if (handOver(target, message, emlPath, &error))
            result = Handed;
    }
    if (result == Handed)
        qCInfo(lcMail) << "Mail handed to the mail client:" << emlPath;
    else
        qCWarning(lcMail) << "Mail sent failure:" << error;
    if (finished)
        QTimer::singleShot(0, [finished, result, error]() { finished(result, error); });
}

bool DesktopMailer::handOver(Client target, const MailMessage& message, const QString& emlPath,
                             QString* error)
{
    if (target == Client::MessageFile) {
        if (_system.startDetached(QStringLiteral("xdg-open"), {emlPath}))
            return true;
        *error = QStringLiteral("cannot start xdg-open");
        return false;
    }
    // The composer takes files, so the attachments go beside the message.
    QDir folder(emlPath.left(emlPath.size() - 4));
    if (!QDir().mkpath(folder.path())) {
        *error = QStringLiteral("cannot create %1").arg(folder.path());
        return false;
    }
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), message.subject,
                          QStringLiteral("--body"), message.body};
    for (int i = 0; i < message.attachments.size(); ++i) {
        const QString path = folder.filePath(safeFileName(message.attachments[i].fileName, i));
        if (!writeAtomically(path, message.attachments[i].data)) {
            *error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
        arguments << QStringLiteral("--attach") << path;
    }
    arguments << message.to;
    if (_system.startDetached(QStringLiteral("xdg-email"), arguments))
        return true;
    *error = QStringLiteral("cannot start xdg-email");
    return false;
}
