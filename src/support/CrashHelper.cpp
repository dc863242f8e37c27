#include "support/CrashHelper.h"

CrashHelper* CrashHelper::sharedCrashHelper()
{
    static CrashHelper* instance = new CrashHelper();
    return instance;
}

bool CrashHelper::hasCrashReportPending()
{
    return false;
}

void CrashHelper::checkForCrashes()
{
}
