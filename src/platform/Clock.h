#pragma once

#include <QDateTime>
#include <functional>

// The one source of "now" for everything that stores or compares times, so that
// tests can move the day (day check, delivery dates) without touching the system
// clock.
class Clock
{
public:
    static QDateTime now();
    // Replaces the clock; an empty function restores the system clock.
    static void setNowProvider(std::function<QDateTime()> provider);
};
