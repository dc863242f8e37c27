#pragma once

#include <QString>

// What the device says about itself: its model, its operating system version
// and its current locale. The order server receives these with every login
// and crash report, and the HTTP client puts the first two in its User-Agent.
class DeviceInfo
{
public:
    // The machine's model as its firmware names it (a tablet's product name),
    // else the kind of system.
    static QString model();
    // The operating system's version text.
    static QString systemVersion();
    // The identifier of the current locale, such as en_US.
    static QString localeIdentifier();
};
