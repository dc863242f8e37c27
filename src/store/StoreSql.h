#pragma once

// Small helpers shared by the store's query files. Not part of the store's
// interface.

#include "store/Statement.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace StoreSql {

// One record per row until the statement stops yielding rows.
template <class Record> QList<Record> readList(Statement& statement)
{
    QList<Record> records;
    while (statement.step() == Statement::Row)
        records.append(Record(statement));
    return records;
}

// The first row's record, or nothing.
template <class Record> std::optional<Record> readOne(Statement& statement)
{
    if (statement.step() == Statement::Row)
        return Record(statement);
    return std::nullopt;
}

// Column 0 of every row.
QStringList readTexts(Statement& statement);

// A sort direction for an ORDER BY clause: "DESC" when asked for (any case),
// "ASC" for anything else. Directions are written into the SQL text, so only
// these two words may ever reach it.
QString direction(const QString& requested);

// A LIKE pattern matching texts that contain the keyword literally: "%", "_"
// and the escape character itself are escaped for " ESCAPE '\'".
QString containsPattern(const QString& keyword);

// "?, ?, ?" for count parameters.
QString placeholders(qsizetype count);

// Today's local date as "yyyy-MM-dd", from the application clock.
QString today();

// The logged-in salesman's code from the user defaults (null when absent).
QString salesmanCode();

// The delegate's values; null without a delegate, so that a query bound to
// them matches nothing.
QString userName();
QString selectSoldTo();

// A text for a write: null becomes the empty text.
QString orEmpty(const QString& text);

} // namespace StoreSql
