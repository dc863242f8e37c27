#pragma once

#include <QString>
#include <memory>
#include <optional>

// One generic-password item per (service, account). The system keychain (secret
// service through QtKeychain) is used where one runs; where it does not (a
// headless machine, no session bus) or refuses a write, items go to a file in
// the sandbox that survives restarts, so a value once written is read back the
// same at every start.
class KeychainBackend
{
public:
    virtual ~KeychainBackend() = default;
    // The item's text, or nothing when there is none or it cannot be read.
    virtual std::optional<QString> read(const QString& service, const QString& account) = 0;
    virtual bool write(const QString& service, const QString& account, const QString& text) = 0;
    virtual bool remove(const QString& service, const QString& account) = 0;
};

class Keychain
{
public:
    // An absent or empty item gives a null text.
    static QString readPassword(const QString& service, const QString& account);
    static bool writePassword(const QString& service, const QString& account, const QString& text);
    static bool deletePassword(const QString& service, const QString& account);

    // Replaces the backends (tests); null restores the defaults.
    static void setBackends(std::shared_ptr<KeychainBackend> system, std::shared_ptr<KeychainBackend> fallback);
};

// Items kept in <sandbox>/Library/Keychain/items.json, written atomically and
// readable by the owner only.
class FileKeychainBackend : public KeychainBackend
{
public:
    std::optional<QString> read(const QString& service, const QString& account) override;
    bool write(const QString& service, const QString& account, const QString& text) override;
    bool remove(const QString& service, const QString& account) override;
    static QString filePath();
};

// The desktop's secret service through QtKeychain. Unavailable (every call
// fails at once) when no session bus is reachable or FIELDBOOK_KEYCHAIN=file.
class SystemKeychainBackend : public KeychainBackend
{
public:
    std::optional<QString> read(const QString& service, const QString& account) override;
    bool write(const QString& service, const QString& account, const QString& text) override;
    bool remove(const QString& service, const QString& account) override;
    static bool available();
};
