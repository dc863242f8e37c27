#include "store/Statement.h"

#include <QByteArrayView>
#include <charconv>
#include <climits>
#include <cstring>
#include <sqlite3.h>
#include <vector>

// The texts a statement has read, per column, for columnString() to hand out
// again. A column keeps at most kEntries texts; one whose values keep
// changing (codes, descriptions) stops being looked up at all.
struct Statement::ReusedTexts
{
    static constexpr std::size_t kEntries = 32;
    static constexpr int kGiveUpAfter = 64;

    struct Entry
    {
        std::size_t hash;
        QByteArray utf8;
        QString text;
    };
    struct Column
    {
        std::vector<Entry> entries;
        // The entry handed out last: rows read in order often repeat the
        // value of the row before, found again without hashing.
        std::size_t last = 0;
        int hits = 0;
        int misses = 0;
        bool off = false;
    };
    std::vector<Column> columns;
};

Statement::Statement() = default;

Statement::Statement(sqlite3_stmt* handle) : _handle(handle) {}

Statement::~Statement()
{
    if (_handle)
        sqlite3_finalize(_handle);
}

Statement::Statement(Statement&& other) noexcept
    : _handle(other._handle), _bindOk(other._bindOk), _reused(std::move(other._reused))
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
        _reused = std::move(other._reused);
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
    // Empty, not null; made once (the function runs for every column of every row).
    static const QString empty(QLatin1String(""));
    if (!hasColumn(column))
        return empty;
    // One look at the column's value, then its parts: the column calls each
    // check the statement again, which adds up over a list of 20 000 rows.
    // (The connection is used from one thread only.)
    sqlite3_value* value = sqlite3_column_value(_handle, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return empty;
    case SQLITE_INTEGER: {
        // The decimal text SQLite would make, without making it.
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, sqlite3_value_int64(value)).ptr;
        return reusedText(column, digits, int(end - digits));
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const int size = sqlite3_value_bytes(value);
        if (!text || size == 0)
            return empty;
        return reusedText(column, text, size);
    }
    }
}

QString Statement::reusedText(int column, const char* utf8, int size) const
{
    if (!_reused)
        _reused = std::make_unique<ReusedTexts>();
    std::vector<ReusedTexts::Column>& columns = _reused->columns;
    if (std::size_t(column) >= columns.size())
        columns.resize(std::size_t(column) + 1);
    ReusedTexts::Column& known = columns[std::size_t(column)];
    if (known.off)
        return QString::fromUtf8(utf8, size);
    auto same = [utf8, size](const ReusedTexts::Entry& entry) {
        return entry.utf8.size() == size && std::memcmp(entry.utf8.constData(), utf8, std::size_t(size)) == 0;
    };
    if (known.last < known.entries.size() && same(known.entries[known.last])) {
        ++known.hits;
        return known.entries[known.last].text;
    }
    const std::size_t hash = qHash(QByteArrayView(utf8, size));
    for (std::size_t i = 0; i < known.entries.size(); ++i) {
        const ReusedTexts::Entry& entry = known.entries[i];
        if (entry.hash == hash && same(entry)) {
            ++known.hits;
            known.last = i;
            return entry.text;
        }
    }
    QString text = QString::fromUtf8(utf8, size);
    if (known.entries.size() < ReusedTexts::kEntries) {
        known.last = known.entries.size();
        known.entries.push_back({hash, QByteArray(utf8, size), text});
    } else if (++known.misses > ReusedTexts::kGiveUpAfter && known.misses > known.hits)
        known.off = true;
    return text;
}

int Statement::columnInt(int column) const
{
    if (!hasColumn(column))
        return 0;
    // A stored integer reads the same as its decimal text would, without
    // making the text first.
    if (sqlite3_column_type(_handle, column) == SQLITE_INTEGER) {
        const sqlite3_int64 value = sqlite3_column_int64(_handle, column);
        return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
    }
    return leadingInt(reinterpret_cast<const char*>(sqlite3_column_text(_handle, column)));
}

qint64 Statement::columnInt64(int column) const
{
    return hasColumn(column) ? sqlite3_column_int64(_handle, column) : 0;
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
