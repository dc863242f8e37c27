#include "platform/DeviceIdiom.h"

#include <QString>
#include <optional>

namespace {
std::optional<bool>& idiom()
{
    static std::optional<bool> value;
    return value;
}
} // namespace

bool DeviceIdiom::isTablet()
{
    if (!idiom())
        idiom() = qEnvironmentVariable("FIELDBOOK_IDIOM").compare(QLatin1String("phone"), Qt::CaseInsensitive) != 0;
    return *idiom();
}

void DeviceIdiom::setTablet(bool tablet)
{
    idiom() = tablet;
}
