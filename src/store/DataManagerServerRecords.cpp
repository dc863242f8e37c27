// Writing the records the order server sends: master data, earlier orders,
// promotions, and the small writes of the upload and photo flows.
//
// Each kind of record is stored with one prepared statement, reused for every
// record of the array: inserted, or, when its key is already stored, updated
// in place (the columns an update leaves alone are stated per kind). Values are
// bound as received. A record that cannot be stored (no key, not a dictionary,
// a constraint refused) is skipped on its own; the others go on. A failure of
// the storage itself (disk full, I/O) stops the array and marks the
// transaction failed. The caller decides the transaction: a whole server
// answer is applied in one.
#include "store/DataManager.h"
#include "store/StoreDelegate.h"

#include <QJsonDocument>
#include <QLoggingCategory>
#include <QHash>
#include <cmath>
#include <functional>
#include <vector>
#include <limits>

Q_LOGGING_CATEGORY(lcRecords, "fieldbook.store.records")

namespace {

enum class Kind {
    Text,    // the value's text form; absent reads as the empty text
    Integer, // leading-integer reading of text, numbers truncated, absent 0
    Json,    // the value written as indented JSON text
};

struct Column {
    const char* column; // in the table
    const char* key;    // in the server's record
    Kind kind;
    bool onUpdate;      // rewritten when the record is already stored
};

struct Upsert {
    const char* name;
    std::vector<Column> columns;
    std::vector<const char*> conflict; // the table's unique key
    std::vector<const char*> required; // record keys that must hold a text
};

QString textOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (std::trunc(d) == d && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 17);
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return QStringLiteral("");
    }
}

qint64 clampToInt(double d)
{
    if (!std::isfinite(d))
        return 0;
    const double t = std::trunc(d);
    if (t > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (t < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return qint64(t);
}

qint64 integerOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return Statement::leadingInt(value.toString());
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return clampToInt(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return 0;
    }
}

QString jsonTextOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QVariantMap)
        return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Indented));
    return QStringLiteral("");
}

QString upsertSql(const Upsert& table)
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

// Values that replace or add to a record's own before it is stored.
using Overrides = QHash<QString, QVariant>;
using Prepare = std::function<void(const QVariantMap& record, Overrides& overrides)>;

bool apply(DataManager* store, const Upsert& table, const QVariantList& records, const Prepare& prepare = {})
{
    if (records.isEmpty())
        return true;
    Statement statement = store->executeQuery(upsertSql(table));
    if (!statement.isValid()) {
        qCWarning(lcRecords) << "Cannot prepare the upsert of" << table.name << store->lastError();
        return false;
    }
    // Keys as QStrings once, not per record.
    std::vector<QString> keys;
    for (const Column& c : table.columns)
        keys.push_back(QString::fromLatin1(c.key));
    std::vector<QString> required;
    for (const char* key : table.required)
        required.push_back(QString::fromLatin1(key));

    int stored = 0;
    Overrides overrides;
    for (const QVariant& element : records) {
        // Anything but a dictionary is not a record.
        if (element.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap record = element.toMap();
        overrides.clear();
        if (prepare)
            prepare(record, overrides);
        auto valueOf = [&](const QString& key) {
            const auto o = overrides.constFind(key);
            return o != overrides.constEnd() ? o.value() : record.value(key);
        };
        bool complete = true;
        for (const QString& key : required) {
            if (textOf(valueOf(key)).isEmpty())
                complete = false;
        }
        if (!complete)
            continue;
        statement.reset();
        for (size_t i = 0; i < table.columns.size(); ++i) {
            const QVariant v = valueOf(keys[i]);
            const int position = int(i) + 1;
            switch (table.columns[i].kind) {
            case Kind::Text:
                statement.bind(position, textOf(v));
                break;
            case Kind::Integer:
                statement.bind(position, integerOf(v));
                break;
            case Kind::Json:
                statement.bind(position, jsonTextOf(v));
                break;
            }
        }
        if (store->noteWrite(statement.step())) {
            ++stored;
        } else if (store->writeFailed()) {
            // The disk is full or the file unusable: the records after this
            // one would fail alike, and the transaction will not be kept.
            qCWarning(lcRecords) << "Storing" << table.name << "failed:" << store->lastError();
            return false;
        }
    }
    if (stored != records.size())
        qCInfo(lcRecords) << "Stored" << stored << "of" << records.size() << "records of" << table.name;
    return stored == records.size();
}

} // namespace

bool DataManager::updatePromote(const QVariantList& records)
{
    static const Upsert table{"promote_db",
                             {{"promotionId", "PromotionId", Kind::Integer, false},
                              {"promotionCode", "PromotionCode", Kind::Text, true},
                              {"promotionName", "PromotionName", Kind::Text, true},
                              {"promotionDesc", "PromotionDesc", Kind::Text, true},
                              {"creationDate", "creationDate", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true},
                              {"promotionproduct", "0", Kind::Json, true},
                              {"Expiry", "Expiry", Kind::Text, true}},
                             {"promotionId"},
                             {"PromotionId"}};
    return apply(this, table, records);
}

bool DataManager::updateSalesman(const QVariantList& records)
{
    static const Upsert table{"salesman",
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
                             {"salesmanCode"}};
    return apply(this, table, records);
}

bool DataManager::updateSalesOrder(const QVariantList& records)
{
    // Orders from the server belong to whoever is logged in; delivery address,
    // VD type and payment terms are not sent, and a stored order keeps its own.
    static const Upsert table{"salesOrder",
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
                              {"so_salesman", "\x01owner", Kind::Text, true}},
                             {"purchaseOrderNo"},
                             {"purchaseOrderNo"}};
    const QString owner = delegate() ? delegate()->UserName() : QString();
    return apply(this, table, records, [&owner](const QVariantMap&, Overrides& overrides) {
        overrides.insert(QStringLiteral("\x01owner"), owner);
    });
}

bool DataManager::updateSalesOrderDetail(const QVariantList& records)
{
    // A line of a promotion is filed under the item code marked with the
    // promotion ("A100_promoP7"); an ordinary line carries the promotion code
    // " " and its plain item code.
    static const Upsert table{"salesOrderDetails",
                             {{"creationDate", "creationDate", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true},
                              {"skuCode", "skuCode", Kind::Text, true},
                              {"orderNo", "orderNo", Kind::Text, true},
                              {"uomCode", "uomCode", Kind::Text, true},
                              {"quantity", "quantity", Kind::Integer, true},
                              {"Promocode", "PromotionCode", Kind::Text, false}},
                             {"orderNo", "skuCode", "Promocode"},
                             {"orderNo", "skuCode"}};
    return apply(this, table, records, [](const QVariantMap& record, Overrides& overrides) {
        // A line without a promotion code is an ordinary line.
        QString promotion = textOf(record.value(QStringLiteral("PromotionCode")));
        if (promotion.isEmpty())
            promotion = QStringLiteral(" ");
        overrides.insert(QStringLiteral("PromotionCode"), promotion);
        const QString sku = textOf(record.value(QStringLiteral("skuCode")));
        if (promotion != QLatin1String(" ") && !sku.isEmpty())
            overrides.insert(QStringLiteral("skuCode"), sku + QStringLiteral("_promo") + promotion);
    });
}

bool DataManager::updateMaterial(const QVariantList& records)
{
    // An item keeps the category values of its first delivery.
    static const Upsert table{"material",
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
                             {"skuCode"}};
    return apply(this, table, records);
}

bool DataManager::updateBrand(const QVariantList& records)
{
    static const Upsert table{"brand",
                             {{"creationDate", "creationDate", Kind::Text, true},
                              {"brandCode", "brandCode", Kind::Text, true},
                              {"brandLanguage", "brandLanguage", Kind::Text, true},
                              {"brandName", "brandName", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true}},
                             {"brandCode"},
                             {"brandCode"}};
    return apply(this, table, records);
}

bool DataManager::updateCustomerSoldTo(const QVariantList& records)
{
    static const Upsert table{"customerSoldTo",
                             {{"creationDate", "creationDate", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true},
                              {"customerCode", "customerCode", Kind::Text, true},
                              {"customerName", "customerName", Kind::Text, true},
                              {"salesGroup", "salesGroup", Kind::Text, true},
                              {"status", "status", Kind::Integer, true}},
                             {"customerCode"},
                             {"customerCode"}};
    return apply(this, table, records);
}

bool DataManager::updateCustomerShipTo(const QVariantList& records)
{
    static const Upsert table{"customerShipTo",
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
                             {"customerCode", "shipToCode"}};
    return apply(this, table, records);
}

bool DataManager::updateRouting(const QVariantList& records)
{
    static const Upsert table{"routing",
                             {{"id", "id", Kind::Integer, false},
                              {"creationDate", "creationDate", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true},
                              {"salesmanCode", "salesmanCode", Kind::Text, true},
                              {"start_date", "start_date", Kind::Text, true},
                              {"end_date", "end_date", Kind::Text, true},
                              {"status", "status", Kind::Integer, true},
                              {"routingId", "routingId", Kind::Integer, true}},
                             {"id"},
                             {"id"}};
    return apply(this, table, records);
}

bool DataManager::updateRoutingShipTo(const QVariantList& records)
{
    // A stop that is already stored changes only its times and status.
    static const Upsert table{"routing_shipTo",
                             {{"creationDate", "creationDate", Kind::Text, true},
                              {"lastUpdate", "lastUpdate", Kind::Text, true},
                              {"routingId", "routingId", Kind::Integer, false},
                              {"shipToCode", "shipToCode", Kind::Text, false},
                              {"status", "status", Kind::Integer, true}},
                             {"routingId", "shipToCode"},
                             {"routingId", "shipToCode"}};
    return apply(this, table, records);
}

void DataManager::updateStatus(const QString& purchaseOrderNo)
{
    executeUpdate(QStringLiteral("UPDATE `salesOrder` SET `lastUpdate`=?, `uploadStatus`=20 WHERE `purchaseOrderNo`=?"),
                  {getNow(), purchaseOrderNo});
}

bool DataManager::insertorderimage(const QString& orderNo, const QString& imageName)
{
    return executeUpdate(QStringLiteral("INSERT INTO orderimage (`orderno`, `imagename`) VALUES (?, ?)"),
                         {orderNo, imageName});
}

QVariantMap DataManager::localLoginWithUsername(const QString& username, const QString& password)
{
    // Accounts arrive from the server with user name and password enciphered,
    // and the login enciphers what was typed the same way: the forms compare.
    Statement statement = executeQuery(QStringLiteral(
        "SELECT `username`, `password` FROM `salesman` WHERE `username`=? AND `status`=20 LIMIT 1"));
    statement.bind(1, username);
    const int outcome = statement.step();
    QString status;
    QString storedUsername = QStringLiteral("");
    QString storedPassword = QStringLiteral("");
    if (outcome == Statement::Row) {
        storedUsername = statement.columnText(0);
        storedPassword = statement.columnText(1);
        status = storedPassword == password ? QStringLiteral("1") : QStringLiteral("-20");
    } else {
        status = QStringLiteral("-30");
    }
    return {{QStringLiteral("status"), status},
            {QStringLiteral("result"), QString::number(outcome)},
            {QStringLiteral("username"), storedUsername},
            {QStringLiteral("password"), storedPassword}};
}
