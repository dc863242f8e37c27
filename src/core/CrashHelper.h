#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CrashCapture;
class Dialogs;

// Takes over a crash report left by the previous run and offers it to the
// salesman.
//
// At launch, checkForCrashes() asks the crash capture whether a report waits;
// if so the report is checked, copied to "CrashReport" in the documents folder
// and cleared from the capture, and the pending flag is raised. Capture is then
// enabled for this run. Each root screen, once loaded, asks the salesman while
// the flag is up: "Ok" sends the saved report to the production server and
// leaves the flag up (a root screen built later in the run asks again), "No"
// lowers it. The saved file is never deleted; the next crash overwrites it.
//
// "Ok" sends the file saved in this run only. When saving failed, the report
// is still waiting in the capture: nothing is sent now, and the next launch
// takes it over and asks again.
class CrashHelper : public QObject
{
    Q_OBJECT
public:
    // The single instance, created on first use.
    static CrashHelper* sharedCrashHelper();
    // Drops the instance and the process-wide state below, as if the process
    // had just started (tests).
    static void releaseCrashHelper();

    // Up when a report was waiting at this launch; lowered when the salesman
    // declines or the report is unreadable, and never raised again in the run.
    static bool hasCrashReportPending();
    // Where the report was saved in this run; null until then.
    static QString crashReportPath();

    // Once per launch, before the root screen is built; later calls do nothing.
    void checkForCrashes();

    // Asks the salesman, over the given screen, whether to send the report.
    // Null dialogs: the interface's own.
    void confirmAndSendCrashReportEmailWithViewController(QObject* viewController,
                                                          Dialogs* dialogs = nullptr);
    // The question's answer: 0 "Ok" sends, 1 "No" discards.
    void alertViewClickedButtonAtIndex(int buttonIndex);

    // The steps, in the order a launch after a crash runs them.
    void handleCrashReport(CrashCapture& reporter);
    void saveCrashReport(CrashCapture& reporter);
    void finishCrashReporter(CrashCapture& reporter);
    void sendCrashReportPost();

    // The screen the question was last asked over, while it lives.
    QObject* parentController() const { return _parentController; }

    static QString alertTitle();
    static QString alertMessage();

private:
    CrashHelper() = default;

    QPointer<QObject> _parentController;
    bool _checked = false;
};
