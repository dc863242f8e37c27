#pragma once

#include <QString>

// The device identifier sent with logins and crash reports: created once and
// kept in the keychain (service: the bundle identifier, account "UUID").
class RQDevice
{
public:
    static QString uuid();
    // A new random identifier: 36 characters, upper-case hexadecimal, 8-4-4-4-12.
    static QString createUUID();
};
