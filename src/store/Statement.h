#pragma once

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

// One compiled SQL statement, finalized when it goes out of scope so that no
// statement outlives the operation that made it. A statement that failed to
// compile is invalid: stepping it answers an error code and reads nothing.
// Values are always bound as parameters (1-based positions, as SQLite counts);
// only identifiers are written into the SQL text.
class Statement
{
public:
    static constexpr int Row = 100;  // SQLITE_ROW: a result row is ready
    static constexpr int Done = 101; // SQLITE_DONE: the statement ran to completion

    Statement() = default;
    explicit Statement(sqlite3_stmt* handle);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return _handle != nullptr; }
    sqlite3_stmt* handle() const { return _handle; }

    // A null text binds SQL NULL; an empty text binds the empty text.
    Statement& bind(int position, const QString& text);
    Statement& bind(int position, const char* text);
    Statement& bind(int position, qint64 value);
    Statement& bind(int position, int value);
    Statement& bindNull(int position);
    // Binds a JSON-like value: numbers as numbers, everything else as its text.
    Statement& bindValue(int position, const QVariant& value);
    // Binds every value in order, starting at position 1.
    Statement& bindAll(const QVariantList& values);
    // False once any bind failed (for instance a position out of range).
    bool bindingsOk() const { return _bindOk; }

    // SQLite's result code of one step: Row, Done, or an error.
    int step();
    void reset();

    int columnCount() const;
    // The column's text as UTF-8; NULL reads as a null text.
    QString columnText(int column) const;
    // The column's text for a record field: NULL, and a column the row does
    // not have, read as the empty text.
    QString columnString(int column) const;
    // Leading-integer reading of the column's text: optional blanks and sign,
    // then digits; anything else gives 0.
    int columnInt(int column) const;
    bool columnIsNull(int column) const;

    // The same leading-integer rule for any text.
    static int leadingInt(const QString& text);
    static int leadingInt(const char* text);

private:
    bool hasColumn(int column) const;

    sqlite3_stmt* _handle = nullptr;
    bool _bindOk = true;
};
