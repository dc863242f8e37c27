#pragma once

#include <QString>

// The strings table: every text the salesman reads is looked up by key. A key
// without a text shows itself, so a missing entry is visible rather than blank.
class Strings
{
public:
    // Loads the compiled table; called once at start (tests call it too).
    static bool install();
    static QString localized(const char* key);
    static QString localized(const QString& key);
};
