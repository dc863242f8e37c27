#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DataManager;

// Records of the order server, converted to what their tables store and held
// compactly until they are written. An answer's records are gathered while it
// is read and written together once it is whole, so the database is locked
// only for the writing, never while the answer is still arriving.
//
// Each kind of record is written with one prepared statement: inserted, or,
// when its key is already stored, updated in place (the columns an update
// leaves alone are stated per kind). A record without its key, or anything
// that is not a record, is skipped on its own; the others go on.
class RecordBatch
{
public:
    enum Table {
        Promote,
        Salesman,
        SalesOrder,
        SalesOrderDetail,
        Material,
        Brand,
        CustomerSoldTo,
        CustomerShipTo,
        Routing,
        RoutingShipTo,
        TableCount
    };

    // One value of a record, as the server sent it.
    struct Value
    {
        enum Type { Absent, Null, Text, Integer, Double, Bool, Nested };
        Type type = Absent;
        std::string_view text; // Text: UTF-8, only valid during the call
        qint64 integer = 0;
        double number = 0;
        bool boolean = false;
        const QVariant* nested = nullptr; // Nested: the value, when the column keeps it

        static Value fromVariant(const QVariant& value, QByteArray* utf8Scratch);
    };

    // The orders of an answer belong to the salesman logged in when it came.
    explicit RecordBatch(const QString& owner = QString());
    ~RecordBatch();
    RecordBatch(const RecordBatch&) = delete;
    RecordBatch& operator=(const RecordBatch&) = delete;

    // Building a record: begin, the fields in any order (a key given twice
    // keeps its last value), end. Keys the table does not store are ignored.
    void beginRecord(Table table);
    void setField(std::string_view key, const Value& value);
    // True when the record's table keeps this key's nested value (as JSON
    // text); other nested values need not be built at all.
    bool keepsNested(std::string_view key) const;
    void endRecord();
    // An element of a server array that is not a record: counted, not stored.
    void skipElement(Table table);

    // The same from parsed dictionaries; anything else in the list is skipped.
    void addList(Table table, const QVariantList& elements);

    // Records held for writing, and elements received per table (records,
    // skipped ones and non-records alike).
    qsizetype size() const { return _count; }
    int received(Table table) const { return _received[table]; }

    struct Written
    {
        std::array<int, TableCount> stored{};
        // The storage itself failed (disk full, I/O): what was written with
        // this batch must not be kept.
        bool storageFailed = false;
        // The progress callback asked to stop.
        bool stopped = false;
    };
    // Progress: records written so far and in all; answer false to stop.
    using Progress = std::function<bool(qsizetype done, qsizetype total)>;
    // Writes every record held, in the order they were added, through the
    // store's connection, inside the caller's transaction.
    Written write(DataManager* store, const Progress& progress = {}) const;

    // The dictionary key of a table's record array in a server answer.
    static Table tableForArray(std::string_view arrayKey, bool* found);

private:
    struct Block;
    struct Slot;

    void appendRecord();

    QByteArray _owner;
    Table _table = TableCount;
    std::vector<Slot> _slots;
    // Where the last record's fields were: records of one array usually name
    // their keys in the same order, which makes finding a column a compare.
    std::vector<int> _columnAtPosition;
    int _position = 0;
    std::vector<std::unique_ptr<Block>> _blocks;
    qsizetype _count = 0;
    std::array<int, TableCount> _received{};
};
