#include "store/Statement.h"

#include <climits>
#include <sqlite3.h>

Statement::Statement(sqlite3_stmt* handle) : _handle(handle) {}

Statement::~Statement()
{
    if (_handle)
        sqlite3_finalize(_handle);
}

Statement::Statement(Statement&& other) noexcept : _handle(other._handle), _bindOk(other._bindOk)
{
    other._handle = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        if (_handle)
            sqlite3_finalize(_handle);
        _handle = other._handle;
        _bindOk = other._bindOk;
        other._handle = nullptr;
    }
    return *this;
}

Statement& Statement::bind(int position, const QString& text)
{
    if (!_handle) {
        _bindOk = false;
        return *this;
    }
    if (text.isNull())
        return bindNull(position);
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_bind_text(_handle, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        _bindOk = false;
    return *this;
}

Statement& Statement::bind(int position, const char* text)
{
    return bind(position, text ? QString::fromUtf8(text) : QString());
}

Statement& Statement::bind(int position, qint64 value)
{
    if (!_handle || sqlite3_bind_int64(_handle, position, value) != SQLITE_OK)
        _bindOk = false;
    return *this;
}

Statement& Statement::bind(int position, int value)
{
    return bind(position, qint64(value));
}

Statement& Statement::bindNull(int position)
{
    if (!_handle || sqlite3_bind_null(_handle, position) != SQLITE_OK)
        _bindOk = false;
    return *this;
}

Statement& Statement::bindValue(int position, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return bindNull(position);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return bind(position, value.toLongLong());
    case QMetaType::Double:
        if (!_handle || sqlite3_bind_double(_handle, position, value.toDouble()) != SQLITE_OK)
            _bindOk = false;
        return *this;
    default:
        return bind(position, value.toString());
    }
}

Statement& Statement::bindAll(const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i)
        bindValue(i + 1, values.at(i));
    return *this;
}

int Statement::step()
{
    if (!_handle)
        return SQLITE_MISUSE;
    if (!_bindOk)
        return SQLITE_RANGE;
    return sqlite3_step(_handle);
}

void Statement::reset()
{
    if (_handle) {
        sqlite3_reset(_handle);
        sqlite3_clear_bindings(_handle);
    }
    _bindOk = _handle != nullptr;
}

int Statement::columnCount() const
{
    return _handle ? sqlite3_column_count(_handle) : 0;
}

QString Statement::columnText(int column) const
{
    if (!hasColumn(column))
        return QString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(_handle, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(_handle, column));
}

QString Statement::columnString(int column) const
{
    QString text = columnText(column);
    return text.isNull() ? QString(QLatin1String("")) : text;
}

int Statement::columnInt(int column) const
{
    if (!hasColumn(column))
        return 0;
    return leadingInt(reinterpret_cast<const char*>(sqlite3_column_text(_handle, column)));
}

bool Statement::columnIsNull(int column) const
{
    return !hasColumn(column) || sqlite3_column_type(_handle, column) == SQLITE_NULL;
}

bool Statement::hasColumn(int column) const
{
    // Reading past the row's last column is undefined in SQLite; a reader
    // built for a wider row gets empty values instead.
    return _handle && column >= 0 && column < sqlite3_column_count(_handle);
}

int Statement::leadingInt(const char* text)
{
    if (!text)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1; // saturate rather than wrap
        ++p;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

int Statement::leadingInt(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return leadingInt(utf8.constData());
}
