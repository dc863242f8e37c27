#pragma once

#include <QString>
#include <QVariant>
#include <memory>

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

    Statement();
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
    // not have, read as the empty text. Texts a column repeats from row to row
    // (units, categories, brands, dates) share one string instead of a copy
    // per record, which is most of the cost of reading a long list.
    QString columnString(int column) const;
    // Leading-integer reading of the column's text: optional blanks and sign,
    // then digits; anything else gives 0.
    int columnInt(int column) const;
    // The column as SQLite's 64-bit integer (row ids).
    qint64 columnInt64(int column) const;
    bool columnIsNull(int column) const;

    // The same leading-integer rule for any text.
    static int leadingInt(const QString& text);
    static int leadingInt(const char* text);

private:
    struct ReusedTexts;

    bool hasColumn(int column) const;
    QString reusedText(int column, const char* utf8, int size) const;

    sqlite3_stmt* _handle = nullptr;
    bool _bindOk = true;
    mutable std::unique_ptr<ReusedTexts> _reused;
};
