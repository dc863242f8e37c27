#include "platform/Clock.h"

namespace {
std::function<QDateTime()>& provider()
{
    static std::function<QDateTime()> p;
    return p;
}
} // namespace

QDateTime Clock::now()
{
    return provider() ? provider()() : QDateTime::currentDateTime();
}

void Clock::setNowProvider(std::function<QDateTime()> p)
{
    provider() = std::move(p);
}
