#include "store/RecordBatch.h"

#include "store/DataManager.h"
#include "store/Statement.h"

#include <QJsonDocument>
#include <QLocale>
#include <QLoggingCategory>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <sqlite3.h>

Q_LOGGING_CATEGORY(lcRecords, "fieldbook.store.records")

namespace {

enum class Kind {
    Text,       // the value's text form; absent reads as the empty text
    Integer,    // leading-integer reading of text, numbers truncated, absent 0
    IntegerKey, // an integer that is part of the table's key: a record whose
                // value is not a whole number is skipped, so that it cannot
                // land on another record's row (everything unreadable reads 0)
    Json,       // the value written as indented JSON text
    Owner,      // the salesman the answer's orders belong to
};

struct Column {
    const char* column; // in the table
    const char* key;    // in the server's record
    Kind kind;
    bool onUpdate;      // rewritten when the record is already stored
};

struct TableDefinition {
    const char* name;
    std::vector<Column> columns;
    std::vector<const char*> conflict; // the table's unique key
    std::vector<const char*> required; // record keys that must hold a text
    const char* arrayKey;              // the answer's array of these records
};

bool isIntegerKind(Kind kind)
{
    return kind == Kind::Integer || kind == Kind::IntegerKey;
}

const std::vector<TableDefinition>& definitions()
{
    static const std::vector<TableDefinition> tables = {
        {"promote_db",
         {{"promotionId", "PromotionId", Kind::IntegerKey, false},
          {"promotionCode", "PromotionCode", Kind::Text, true},
          {"promotionName", "PromotionName", Kind::Text, true},
          {"promotionDesc", "PromotionDesc", Kind::Text, true},
          {"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"promotionproduct", "0", Kind::Json, true},
          {"Expiry", "Expiry", Kind::Text, true}},
         {"promotionId"},
         {"PromotionId"},
         nullptr},
        {"salesman",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"salesmanCode", "salesmanCode", Kind::Text, true},
          {"username", "username", Kind::Text, true},
          {"password", "password", Kind::Text, true},
          {"status", "status", Kind::Integer, true},
          {"employeeCode", "employeeCode", Kind::Text, true},
          {"address", "address", Kind::Text, true},
          {"contactNo", "contactNo", Kind::Text, true},
          {"mobileNo", "mobileNo", Kind::Text, true},
          {"faxNo", "faxNo", Kind::Text, true},
          {"email", "email", Kind::Text, true},
          {"ipAddress", "ipAddress", Kind::Text, true},
          {"authToken", "authToken", Kind::Text, true},
          {"loginDate", "loginDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true}},
         {"salesmanCode"},
         {"salesmanCode"},
         "salesmanArray"},
        // Orders from the server belong to whoever is logged in; delivery
        // address, VD type and payment terms are not sent, and a stored order
        // keeps its own.
        {"salesOrder",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"orderNo", "orderNo", Kind::Text, true},
          {"purchaseOrderNo", "purchaseOrderNo", Kind::Text, true},
          {"orderDate", "orderDate", Kind::Text, true},
          {"deliveryDate", "deliveryDate", Kind::Text, true},
          {"soldToCode", "soldToCode", Kind::Text, true},
          {"shipToCode", "shipToCode", Kind::Text, true},
          {"transactionStatus", "transactionStatus", Kind::Integer, true},
          {"uploadStatus", "uploadStatus", Kind::Integer, true},
          {"sapStatus", "sapStatus", Kind::Text, true},
          {"sapOrderNo", "sapOrderNo", Kind::Text, true},
          {"type", "type", Kind::Integer, true},
          {"priority", "priority", Kind::Integer, true},
          {"remark", "remark", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"so_salesman", "", Kind::Owner, true}},
         {"purchaseOrderNo"},
         {"purchaseOrderNo"},
         "salesOrderArray"},
        // A line of a promotion is filed under the item code marked with the
        // promotion ("A100_promoP7"); an ordinary line carries the promotion
        // code " " and its plain item code.
        {"salesOrderDetails",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"skuCode", "skuCode", Kind::Text, true},
          {"orderNo", "orderNo", Kind::Text, true},
          {"uomCode", "uomCode", Kind::Text, true},
          {"quantity", "quantity", Kind::Integer, true},
          {"Promocode", "PromotionCode", Kind::Text, false}},
         {"orderNo", "skuCode", "Promocode"},
         {"orderNo", "skuCode"},
         "salesOrderDetailArray"},
        // An item keeps the category values of its first delivery.
        {"material",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"skuCode", "skuCode", Kind::Text, true},
          {"language", "language", Kind::Text, true},
          {"description", "description", Kind::Text, true},
          {"type", "type", Kind::Text, true},
          {"barcode", "barcode", Kind::Text, true},
          {"category", "category", Kind::Integer, true},
          {"subCategory", "subCategory", Kind::Integer, true},
          {"brand", "brand", Kind::Integer, true},
          {"subBrand", "subBrand", Kind::Integer, true},
          {"status", "status", Kind::Integer, true},
          {"phototype", "photo", Kind::Text, true},
          {"priority", "priority", Kind::Text, true},
          {"unit1", "unit1", Kind::Text, true},
          {"unit2", "unit2", Kind::Text, true},
          {"cate1", "Cat1", Kind::Text, false},
          {"cate2", "Cat2", Kind::Text, false},
          {"cate3", "Cat3", Kind::Text, false},
          {"cate4", "Cat4", Kind::Text, false},
          {"cate5", "Cat5", Kind::Text, false},
          {"cate6", "Cat6", Kind::Text, false}},
         {"skuCode"},
         {"skuCode"},
         "materialArray"},
        {"brand",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"brandCode", "brandCode", Kind::Text, true},
          {"brandLanguage", "brandLanguage", Kind::Text, true},
          {"brandName", "brandName", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true}},
         {"brandCode"},
         {"brandCode"},
         "brandArray"},
        {"customerSoldTo",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"customerCode", "customerCode", Kind::Text, true},
          {"customerName", "customerName", Kind::Text, true},
          {"salesGroup", "salesGroup", Kind::Text, true},
          {"status", "status", Kind::Integer, true}},
         {"customerCode"},
         {"customerCode"},
         "customerSoldToArray"},
        {"customerShipTo",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"customerCode", "customerCode", Kind::Text, true},
          {"shipToCode", "shipToCode", Kind::Text, true},
          {"description", "description", Kind::Text, true},
          {"status", "status", Kind::Integer, true},
          {"address", "address", Kind::Text, true},
          {"district", "district", Kind::Text, true},
          {"region", "region", Kind::Text, true},
          {"remarks", "remarks", Kind::Text, true}},
         {"customerCode", "shipToCode"},
         {"customerCode", "shipToCode"},
         "customerShipToArray"},
        {"routing",
         {{"id", "id", Kind::IntegerKey, false},
          {"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"salesmanCode", "salesmanCode", Kind::Text, true},
          {"start_date", "start_date", Kind::Text, true},
          {"end_date", "end_date", Kind::Text, true},
          {"status", "status", Kind::Integer, true},
          {"routingId", "routingId", Kind::Integer, true}},
         {"id"},
         {"id"},
         "routingArray"},
        // A stop that is already stored changes only its times and status.
        {"routing_shipTo",
         {{"creationDate", "creationDate", Kind::Text, true},
          {"lastUpdate", "lastUpdate", Kind::Text, true},
          {"routingId", "routingId", Kind::IntegerKey, false},
          {"shipToCode", "shipToCode", Kind::Text, false},
          {"status", "status", Kind::Integer, true}},
         {"routingId", "shipToCode"},
         {"routingId", "shipToCode"},
         "routingShipToArray"},
    };
    return tables;
}

// Per table: the column each server key feeds, and the columns the
// required keys name.
struct TableIndex {
    std::vector<std::string> keys; // per column, the server key
    std::vector<int> required;     // columns
    int promotionColumn = -1;      // order lines: "PromotionCode"
    int skuColumn = -1;            // order lines: "skuCode"
};

const std::vector<TableIndex>& indexes()
{
    static const std::vector<TableIndex> all = [] {
        std::vector<TableIndex> result;
        for (const TableDefinition& table : definitions()) {
            TableIndex index;
            for (const Column& column : table.columns)
                index.keys.emplace_back(column.key);
            for (const char* key : table.required) {
                for (size_t c = 0; c < table.columns.size(); ++c) {
                    if (index.keys[c] == key)
                        index.required.push_back(int(c));
                }
            }
            if (std::strcmp(table.name, "salesOrderDetails") == 0) {
                for (size_t c = 0; c < index.keys.size(); ++c) {
                    if (index.keys[c] == "PromotionCode")
                        index.promotionColumn = int(c);
                    if (index.keys[c] == "skuCode")
                        index.skuColumn = int(c);
                }
            }
            result.push_back(std::move(index));
        }
        return result;
    }();
    return all;
}

QString upsertSql(const TableDefinition& table)
{
    QStringList names;
    QStringList marks;
    QStringList updates;
    for (const Column& c : table.columns) {
        const QString name = QStringLiteral("`%1`").arg(QLatin1String(c.column));
        names << name;
        marks << QStringLiteral("?");
        if (c.onUpdate)
            updates << QStringLiteral("%1=excluded.%1").arg(name);
    }
    QStringList conflict;
    for (const char* c : table.conflict)
        conflict << QStringLiteral("`%1`").arg(QLatin1String(c));
    return QStringLiteral("INSERT INTO `%1` (%2) VALUES (%3) ON CONFLICT(%4) DO UPDATE SET %5")
        .arg(QLatin1String(table.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')),
             conflict.join(QLatin1Char(',')), updates.join(QLatin1Char(',')));
}

qint64 clampToInt(long double d)
{
    if (!std::isfinite(d))
        return 0;
    const long double t = std::trunc(d);
    if (t > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (t < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return qint64(t);
}

// The text form of a value: a text as it is; a number in decimal, a fraction
// as the shortest decimal that reads back as the same number ("0.1");
// true and false as 1 and 0; anything else the empty text.
void textOf(const RecordBatch::Value& value, std::string& out)
{
    using V = RecordBatch::Value;
    out.clear();
    switch (value.type) {
    case V::Text:
        out.assign(value.text);
        break;
    case V::Integer: {
        char buffer[24];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.integer).ptr;
        out.assign(buffer, end);
        break;
    }
    case V::Double: {
        const double d = value.number;
        if (std::trunc(d) == d && std::fabs(d) < 1e15) {
            char buffer[24];
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, qint64(d)).ptr;
            out.assign(buffer, end);
        } else {
            const QByteArray text = QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
            out.assign(text.constData(), size_t(text.size()));
        }
        break;
    }
    case V::Bool:
        out.assign(value.boolean ? "1" : "0");
        break;
    default:
        break;
    }
}

bool hasText(const RecordBatch::Value& value)
{
    using V = RecordBatch::Value;
    switch (value.type) {
    case V::Text:
        return !value.text.empty();
    case V::Integer:
    case V::Double:
    case V::Bool:
        return true;
    default:
        return false;
    }
}

qint64 integerOf(const RecordBatch::Value& value, std::string& scratch)
{
    using V = RecordBatch::Value;
    switch (value.type) {
    case V::Text:
        scratch.assign(value.text); // NUL-terminated for the reading below
        return Statement::leadingInt(scratch.c_str());
    case V::Integer:
        return clampToInt(static_cast<long double>(value.integer));
    case V::Double:
        return clampToInt(value.number);
    case V::Bool:
        return value.boolean ? 1 : 0;
    default:
        return 0;
    }
}

// A whole number: a JSON number without fraction, or a text of digits with an
// optional sign and surrounding blanks.
bool isWholeNumber(const RecordBatch::Value& value)
{
    using V = RecordBatch::Value;
    switch (value.type) {
    case V::Integer:
        return true;
    case V::Double:
        return std::isfinite(value.number) && std::trunc(value.number) == value.number;
    case V::Text: {
        std::string_view text = value.text;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            text.remove_prefix(1);
        if (text.empty())
            return false;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
        }
        return true;
    }
    default:
        return false;
    }
}

void jsonTextOf(const RecordBatch::Value& value, std::string& out)
{
    out.clear();
    if (value.type != RecordBatch::Value::Nested || !value.nested)
        return;
    const QVariant& nested = *value.nested;
    if (nested.typeId() != QMetaType::QVariantList && nested.typeId() != QMetaType::QVariantMap)
        return;
    const QByteArray json = QJsonDocument::fromVariant(nested).toJson(QJsonDocument::Indented);
    out.assign(json.constData(), size_t(json.size()));
}

constexpr size_t kBlockSize = 1 << 20;

template <class T> void put(char*& at, const T& value)
{
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

template <class T> T take(const char*& at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

} // namespace

// The value of one column of the record being built.
struct RecordBatch::Slot {
    bool set = false;
    bool hasText = false;
    bool whole = false;
    qint64 integer = 0;
    std::string text;
};

// Records are laid out one after another: the table, then per column either
// a length and UTF-8 bytes or a 64-bit integer. A record never spans blocks.
struct RecordBatch::Block {
    explicit Block(size_t capacity) : data(new char[capacity]), capacity(capacity) {}
    std::unique_ptr<char[]> data;
    size_t capacity;
    size_t used = 0;
    qsizetype records = 0;
};

RecordBatch::Value RecordBatch::Value::fromVariant(const QVariant& value, QByteArray* utf8Scratch)
{
    Value v;
    switch (value.typeId()) {
    case QMetaType::QString:
        *utf8Scratch = value.toString().toUtf8();
        v.type = Text;
        v.text = std::string_view(utf8Scratch->constData(), size_t(utf8Scratch->size()));
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        v.type = Double;
        v.number = value.toDouble();
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        v.type = Integer;
        v.integer = value.toLongLong();
        break;
    case QMetaType::ULongLong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max())) {
            v.type = Double;
            v.number = double(value.toULongLong());
        } else {
            v.type = Integer;
            v.integer = value.toLongLong();
        }
        break;
    case QMetaType::Bool:
        v.type = Bool;
        v.boolean = value.toBool();
        break;
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
        v.type = Nested;
        v.nested = &value;
        break;
    default:
        v.type = Null;
        break;
    }
    return v;
}

RecordBatch::RecordBatch(const QString& owner) : _owner(owner.toUtf8()) {}

RecordBatch::~RecordBatch() = default;

RecordBatch::Table RecordBatch::tableForArray(std::string_view arrayKey, bool* found)
{
    const std::vector<TableDefinition>& tables = definitions();
    for (size_t t = 0; t < tables.size(); ++t) {
        if (tables[t].arrayKey && arrayKey == tables[t].arrayKey) {
            *found = true;
            return Table(t);
        }
    }
    *found = false;
    return TableCount;
}

void RecordBatch::beginRecord(Table table)
{
    const size_t columns = definitions()[table].columns.size();
    if (table != _table) {
        _table = table;
        _columnAtPosition.clear();
    }
    if (_slots.size() < columns)
        _slots.resize(columns);
    for (size_t c = 0; c < columns; ++c) {
        Slot& slot = _slots[c];
        slot.set = false;
        slot.hasText = false;
        slot.whole = false;
        slot.integer = 0;
        slot.text.clear();
    }
    _position = 0;
}

void RecordBatch::setField(std::string_view key, const Value& value)
{
    const TableIndex& index = indexes()[_table];
    const int position = _position++;
    int column = -1;
    if (position < int(_columnAtPosition.size())) {
        const int guess = _columnAtPosition[position];
        if (guess >= 0 && index.keys[guess] == key)
            column = guess;
    }
    if (column < 0) {
        for (size_t c = 0; c < index.keys.size(); ++c) {
            if (index.keys[c] == key) {
                column = int(c);
                break;
            }
        }
        // An owner column has no key and is never matched: "" is no key.
        if (column >= 0 && index.keys[column].empty())
            column = -1;
        if (position >= int(_columnAtPosition.size()))
            _columnAtPosition.resize(position + 1, -1);
        _columnAtPosition[position] = column;
    }
    if (column < 0)
        return;
    Slot& slot = _slots[column];
    slot.set = true;
    slot.hasText = hasText(value);
    switch (definitions()[_table].columns[column].kind) {
    case Kind::Text:
        textOf(value, slot.text);
        break;
    case Kind::Integer:
        slot.integer = integerOf(value, slot.text);
        break;
    case Kind::IntegerKey:
        slot.integer = integerOf(value, slot.text);
        slot.whole = isWholeNumber(value);
        break;
    case Kind::Json:
        jsonTextOf(value, slot.text);
        break;
    case Kind::Owner:
        break;
    }
}

bool RecordBatch::keepsNested(std::string_view key) const
{
    for (const Column& column : definitions()[_table].columns) {
        if (column.kind == Kind::Json && key == column.key)
            return true;
    }
    return false;
}

void RecordBatch::endRecord()
{
    ++_received[_table];
    const TableDefinition& table = definitions()[_table];
    const TableIndex& index = indexes()[_table];
    if (index.promotionColumn >= 0) {
        // A line without a promotion code is an ordinary line.
        Slot& promotion = _slots[index.promotionColumn];
        if (promotion.text.empty())
            promotion.text = " ";
        Slot& sku = _slots[index.skuColumn];
        if (promotion.text != " " && !sku.text.empty())
            sku.text.append("_promo").append(promotion.text);
    }
    for (int column : index.required) {
        const Slot& slot = _slots[column];
        const Kind kind = table.columns[column].kind;
        const bool present = kind == Kind::IntegerKey ? slot.whole
                                                      : (isIntegerKind(kind) ? slot.hasText : !slot.text.empty());
        if (!present)
            return;
    }
    appendRecord();
}

void RecordBatch::skipElement(Table table)
{
    ++_received[table];
}

void RecordBatch::appendRecord()
{
    const std::vector<Column>& columns = definitions()[_table].columns;
    size_t size = 1;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (isIntegerKind(columns[c].kind))
            size += sizeof(qint64);
        else
            size += sizeof(quint32) + (columns[c].kind == Kind::Owner ? size_t(_owner.size()) : _slots[c].text.size());
    }
    if (_blocks.empty() || _blocks.back()->capacity - _blocks.back()->used < size)
        _blocks.push_back(std::make_unique<Block>(std::max(kBlockSize, size)));
    Block& block = *_blocks.back();
    char* at = block.data.get() + block.used;
    put<quint8>(at, quint8(_table));
    for (size_t c = 0; c < columns.size(); ++c) {
        if (isIntegerKind(columns[c].kind)) {
            put<qint64>(at, _slots[c].integer);
            continue;
        }
        const char* bytes = columns[c].kind == Kind::Owner ? _owner.constData() : _slots[c].text.data();
        const quint32 length =
            quint32(columns[c].kind == Kind::Owner ? size_t(_owner.size()) : _slots[c].text.size());
        put<quint32>(at, length);
        if (length)
            std::memcpy(at, bytes, length);
        at += length;
    }
    block.used += size;
    ++block.records;
    ++_count;
}

void RecordBatch::addList(Table table, const QVariantList& elements)
{
    QByteArray scratch;
    for (const QVariant& element : elements) {
        // Anything but a dictionary is not a record.
        if (element.typeId() != QMetaType::QVariantMap) {
            skipElement(table);
            continue;
        }
        const QVariantMap record = element.toMap();
        beginRecord(table);
        for (auto it = record.cbegin(); it != record.cend(); ++it) {
            const QByteArray key = it.key().toUtf8();
            setField(std::string_view(key.constData(), size_t(key.size())), Value::fromVariant(it.value(), &scratch));
        }
        endRecord();
    }
}

RecordBatch::Written RecordBatch::write(DataManager* store, const Progress& progress) const
{
    Written written;
    const std::vector<TableDefinition>& tables = definitions();
    std::vector<Statement> statements(tables.size());
    sqlite3* db = store->handle();
    qsizetype done = 0;
    for (const auto& block : _blocks) {
        const char* at = block->data.get();
        for (qsizetype r = 0; r < block->records; ++r) {
            const Table t = Table(take<quint8>(at));
            const TableDefinition& table = tables[t];
            Statement& statement = statements[t];
            if (!statement.isValid()) {
                statement = store->executeQuery(upsertSql(table));
                if (!statement.isValid() || !db) {
                    qCWarning(lcRecords) << "Cannot prepare the upsert of" << table.name << store->lastError();
                    written.storageFailed = true;
                    return written;
                }
            }
            sqlite3_stmt* handle = statement.handle();
            sqlite3_reset(handle);
            for (size_t c = 0; c < table.columns.size(); ++c) {
                const int position = int(c) + 1;
                if (isIntegerKind(table.columns[c].kind)) {
                    sqlite3_bind_int64(handle, position, take<qint64>(at));
                } else {
                    const quint32 length = take<quint32>(at);
                    // The block outlives the step: SQLite may read it in place.
                    sqlite3_bind_text(handle, position, length ? at : "", int(length), SQLITE_STATIC);
                    at += length;
                }
            }
            if (store->noteWrite(sqlite3_step(handle))) {
                ++written.stored[t];
            } else if (store->writeFailed()) {
                // The disk is full or the file unusable: the records after
                // this one would fail alike, and the transaction will not be
                // kept.
                qCWarning(lcRecords) << "Storing" << table.name << "failed:" << store->lastError();
                written.storageFailed = true;
                return written;
            }
            ++done;
            if (progress && (done % 2048 == 0 || done == _count) && !progress(done, _count)) {
                written.stopped = true;
                return written;
            }
        }
    }
    for (size_t t = 0; t < tables.size(); ++t) {
        if (_received[t] && written.stored[t] != _received[t])
            qCInfo(lcRecords) << "Stored" << written.stored[t] << "of" << _received[t] << "records of"
                              << tables[t].name;
    }
    return written;
}
