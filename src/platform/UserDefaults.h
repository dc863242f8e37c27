#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class QSettings;

// Persistent key-value settings of the application, kept as an INI file in the
// sandbox. Callers synchronize() before they read and after they write, so a
// value written by another process (the "--set" command line, a second
// instance) is seen at the next read and a written value survives a kill.
class UserDefaults
{
public:
    static UserDefaults& standard();

    // Writes pending changes and re-reads the file.
    void synchronize();

    QVariant objectForKey(const QString& key);
    // Absent keys give a null text.
    QString stringForKey(const QString& key);
    // Absent keys give false; "1", "true", "yes" and "on" (any case) give true.
    bool boolForKey(const QString& key);
    void setObject(const QVariant& value, const QString& key);
    void removeObjectForKey(const QString& key);
    QStringList allKeys();

    static bool parseBool(const QVariant& value);

private:
    UserDefaults() = default;
    QSettings& settings();

    std::unique_ptr<QSettings> _settings;
    QString _path;
};
