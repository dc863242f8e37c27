#include "ui/UiBridge.h"

#include "core/AppManager.h"
#include "platform/AppInfo.h"
#include "platform/DeviceIdiom.h"

QString UiBridge::versionString() const
{
    return AppManager::getAppVersionString();
}

QString UiBridge::displayName() const
{
    return AppInfo::displayName();
}

bool UiBridge::tablet() const
{
    return DeviceIdiom::isTablet();
}
