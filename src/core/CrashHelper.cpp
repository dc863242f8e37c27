#include "core/CrashHelper.h"

#include "core/AppManager.h"
#include "platform/CrashCapture.h"
#include "platform/CrashRecord.h"
#include "platform/Dialogs.h"
#include "support/RQFile.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>
#include <mutex>

Q_LOGGING_CATEGORY(lcCrash, "fieldbook.crash")

namespace {
std::mutex g_instanceLock;
CrashHelper* g_instance = nullptr;
bool g_reportPending = false;
QString g_reportPath;

void warn(const QString& text)
{
    qCWarning(lcCrash).noquote() << text;
}

void note(const QString& text)
{
    qCInfo(lcCrash).noquote() << text;
}
} // namespace

CrashHelper* CrashHelper::sharedCrashHelper()
{
    std::lock_guard<std::mutex> lock(g_instanceLock);
    if (!g_instance)
        g_instance = new CrashHelper();
    return g_instance;
}

void CrashHelper::releaseCrashHelper()
{
    std::lock_guard<std::mutex> lock(g_instanceLock);
    delete g_instance;
    g_instance = nullptr;
    g_reportPending = false;
    g_reportPath.clear();
}

bool CrashHelper::hasCrashReportPending()
{
    return g_reportPending;
}

QString CrashHelper::crashReportPath()
{
    return g_reportPath;
}

QString CrashHelper::alertTitle()
{
    return QStringLiteral("Ardent Fieldbook Crash");
}

QString CrashHelper::alertMessage()
{
    return QStringLiteral("We just recovered from a crash, Would you like to send us the report?");
}

void CrashHelper::checkForCrashes()
{
    if (_checked)
        return;
    _checked = true;
    CrashCapture& reporter = CrashCapture::shared();
    g_reportPending = reporter.hasPendingReport();
    if (g_reportPending)
        handleCrashReport(reporter);
    QString error;
    if (!reporter.enable(&error))
        warn(QStringLiteral("Warning: Could not enable crash reporter: %1").arg(error));
}

void CrashHelper::handleCrashReport(CrashCapture& reporter)
{
    QString error;
    const std::optional<QByteArray> data = reporter.loadPendingReport(&error);
    if (!data) {
        warn(QStringLiteral("Could not load crash report: %1").arg(error));
        finishCrashReporter(reporter);
        return;
    }
    const std::optional<CrashRecord> record = CrashRecord::parse(*data);
    if (!record) {
        warn(QStringLiteral("Could not parse crash report"));
        finishCrashReporter(reporter);
        return;
    }
    note(QStringLiteral("Crashed on %1").arg(record->crashTime.toUTC().toString(Qt::ISODate)));
    note(QStringLiteral("Crashed with signal %1 (code %2, address=0x%3)")
             .arg(record->signalName, record->signalCode, QString::number(record->address, 16)));
    saveCrashReport(reporter);
}

void CrashHelper::saveCrashReport(CrashCapture& reporter)
{
    if (!reporter.hasPendingReport())
        return;
    const QString documents = RQFile::getDocumentsDirectory();
    if (!QDir().mkpath(documents)) {
        warn(QStringLiteral("Could not create documents directory: %1").arg(documents));
        return;
    }
    QString error;
    const std::optional<QByteArray> data = reporter.loadPendingReport(&error);
    if (!data) {
        warn(QStringLiteral("Failed to load crash report data: %1").arg(error));
        return;
    }
    const QString path = RQFile::makeFilePathInDocument(QStringLiteral("CrashReport"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit()) {
        warn(QStringLiteral("Failed to write crash report"));
        return;
    }
    g_reportPath = path;
    if (!reporter.purgePendingReport(&error))
        // Saved but still waiting: the next launch takes it over once more.
        warn(QStringLiteral("Could not clear the saved crash report from the capture: %1")
                 .arg(error));
}

void CrashHelper::finishCrashReporter(CrashCapture& reporter)
{
    QString error;
    if (!reporter.purgePendingReport(&error))
        warn(QStringLiteral("Could not clear the crash report from the capture: %1").arg(error));
    g_reportPending = false;
}

void CrashHelper::confirmAndSendCrashReportEmailWithViewController(QObject* viewController,
                                                                   Dialogs* dialogs)
{
    _parentController = viewController;
    Dialogs* shown = dialogs ? dialogs : Dialogs::shared();
    if (!shown) {
        note(QStringLiteral("No dialogs to ask about the crash report with"));
        return;
    }
    const QPointer<CrashHelper> self(this);
    shown->showAlert(alertTitle(), alertMessage(), {QStringLiteral("Ok"), QStringLiteral("No")},
                     [self](int index, const QString&) {
                         if (self)
                             self->alertViewClickedButtonAtIndex(index);
                     });
}

void CrashHelper::alertViewClickedButtonAtIndex(int buttonIndex)
{
    if (buttonIndex == 0)
        sendCrashReportPost();
    else if (buttonIndex == 1)
        finishCrashReporter(CrashCapture::shared());
}

void CrashHelper::sendCrashReportPost()
{
    if (g_reportPath.isEmpty()) {
        note(QStringLiteral("No crash report was saved in this run; nothing sent"));
        return;
    }
    QFile file(g_reportPath);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("Could not read the saved crash report: %1").arg(file.errorString()));
        return;
    }
    AppManager::sendCrashReport(file.readAll());
}
