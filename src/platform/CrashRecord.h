#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// A crash report read back: the parser for the text that CrashCapture leaves
// (its format is described there). It checks a report before it is kept and
// gives the few values worth logging; the report itself travels as its bytes.
class CrashRecord
{
public:
    QDateTime crashTime;  // UTC
    QString signalName;   // "SIGSEGV"
    QString signalCode;   // "SEGV_MAPERR", or a number
    quint64 address = 0;  // the faulting address; 0 when the signal was sent
    QByteArray exception; // "type: what()" after an uncaught exception, as thrown
    QList<quint64> frames;
    // False when the report stops before its "end" line: the process died
    // while its frames were written.
    bool complete = false;

    // Nothing, with the reason in `error`, when the data is not such a report:
    // another first line, a required header line (time, signal, code, address)
    // missing or malformed, or a malformed frame line.
    static std::optional<CrashRecord> parse(const QByteArray& data, QString* error = nullptr);

    static QByteArray firstLine();
};
