#pragma once

#include <QObject>

// Takes over a crash report left by the previous run and offers it to the
// salesman. Until crash capture is built in, no run leaves a report, so nothing
// is ever pending.
class CrashHelper : public QObject
{
    Q_OBJECT
public:
    static CrashHelper* sharedCrashHelper();
    static bool hasCrashReportPending();

    // Once per launch, before the root screen is built.
    void checkForCrashes();

private:
    CrashHelper() = default;
};
