// The catalogue, the promotions, and the customers offered through the
// salesman's routes.

#include "store/DataManager.h"
#include "store/StoreSql.h"
#include "support/RQFile.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <algorithm>
#include <sqlite3.h>
#include <vector>

using namespace StoreSql;

namespace {

// Items are read with their brand's name, as position 22 of each row.
const QString kItemSelect = QStringLiteral("SELECT material.*, brand.brandName FROM `material` "
                                           "JOIN `brand` ON brand.brandCode = material.brand");
// Columns of an item row: the item's 22 and the brand name.
constexpr int kItemColumns = 23;

// Text order as SQLite's default collation has it: UTF-8 bytes, which is code
// point order. UTF-16 units order the same except that surrogates (code
// points above U+FFFF) must come after U+E000 to U+FFFF. The rank of a unit
// says where it goes; ranks stay within 16 bits.
int unitRank(char16_t unit)
{
    return unit >= 0xE000 ? int(unit) - 0x800 : unit >= 0xD800 ? int(unit) + 0x2000 : int(unit);
}

int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t* left = a.utf16();
    const char16_t* right = b.utf16();
    for (qsizetype i = 0; i < common; ++i) {
        if (left[i] != right[i])
            return unitRank(left[i]) < unitRank(right[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// The ranks of the first four units in one number, zeros after the end: two
// texts whose numbers differ are ordered by them, others are compared whole.
// Priorities are short, so the number nearly always decides.
quint64 rankPrefix(QStringView text)
{
    quint64 prefix = 0;
    for (qsizetype i = 0; i < 4; ++i)
        prefix = (prefix << 16) | quint64(i < text.size() ? unitRank(text.utf16()[i]) : 0);
    return prefix;
}

// Routes as the customer statements join them: c is the route, d its stop,
// a the customer or address listed. A route offers its stops while it and the
// stop are active and it is current: started before today and ending after
// today, compared as text, so a route starting today counts from tomorrow and
// one ending today at some hour still counts today. The first three values
// bound are the salesman code and today's date twice.
QString routeJoin(const QString& listed, const QString& stopMatches)
{
    return QStringLiteral("FROM `routing` AS c "
                          "JOIN `routing_shipTo` AS d ON c.routingId = d.routingId "
                          "JOIN `%1` AS a ON d.shipToCode = a.%2 ")
        .arg(listed, stopMatches);
}

const QString kCurrentRoute =
    QStringLiteral("c.salesmanCode = ? AND c.start_date < ? AND c.end_date > ? "
                   "AND c.status = 20 AND d.status = 20 AND a.status = 20");

const QString kShipToColumns =
    QStringLiteral("SELECT a.creationDate, a.customerCode, a.shipToCode, a.description, "
                   "a.status, a.address, a.district, a.region, a.remarks, a.lastUpdate ");

QVariantList routeValues(const QVariantList& more = {})
{
    const QString day = today();
    QVariantList values = {salesmanCode(), day, day};
    values += more;
    return values;
}

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Moves every record to its place, order[k] being the position of the record
// that goes to k: cycle by cycle within the list, rather than into a second
// list as large as the first.
void placeInOrder(QList<Material>& items, QList<int> order)
{
    for (int start = 0; start < order.size(); ++start) {
        if (order.at(start) < 0)
            continue;
        Material held = std::move(items[start]);
        int place = start;
        while (order.at(place) != start) {
            const int from = order.at(place);
            items[place] = std::move(items[from]);
            order[place] = -1;
            place = from;
        }
        items[place] = std::move(held);
        order[place] = -1;
    }
}

// The brand names an item's stored brand value joins with, keyed by that
// value as stored: integers by number (nearly every item), anything else by
// its type and bytes. A value may join with several brands ("12" and "012"
// both equal the integer 12).
class BrandNames
{
public:
    void add(sqlite3_stmt* row, int column, const QString& name)
    {
        if (sqlite3_column_type(row, column) == SQLITE_INTEGER)
            _byNumber[sqlite3_column_int64(row, column)].append(name);
        else if (sqlite3_column_type(row, column) != SQLITE_NULL)
            _byValue[otherKey(row, column)].append(name);
    }
    // Null when the value joins with no brand.
    const QStringList* find(sqlite3_stmt* row, int column) const
    {
        const int type = sqlite3_column_type(row, column);
        if (type == SQLITE_INTEGER) {
            const auto it = _byNumber.constFind(sqlite3_column_int64(row, column));
            return it == _byNumber.constEnd() ? nullptr : &it.value();
        }
        if (type == SQLITE_NULL || _byValue.isEmpty())
            return nullptr;
        const auto it = _byValue.constFind(otherKey(row, column));
        return it == _byValue.constEnd() ? nullptr : &it.value();
    }

private:
    static QByteArray otherKey(sqlite3_stmt* row, int column)
    {
        const int type = sqlite3_column_type(row, column);
        QByteArray key(1, char('0' + type));
        if (type == SQLITE_FLOAT) {
            const double value = sqlite3_column_double(row, column);
            key.append(reinterpret_cast<const char*>(&value), sizeof value);
        } else {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
            key.append(bytes, sqlite3_column_bytes(row, column));
        }
        return key;
    }

    QHash<qint64, QStringList> _byNumber;
    QHash<QByteArray, QStringList> _byValue;
};

} // namespace

// --- Catalogue and promotions ----------------------------------------------

QList<Material> DataManager::getItemList(const QString& keyword)
{
    // An item is listed once for each brand whose code equals its brand
    // value. Brand codes are text while material.brand is an integer, so
    // SQLite compares them as numbers where the code reads as one, and no
    // index serves that join row by row. The join is made once per distinct
    // brand value instead (a few dozen, read from material_brand), and the
    // items are then read in one pass over the table, in storage order:
    // reaching each item through an index costs a seek per row.
    BrandNames brands;
    {
        Statement joined = executeQuery(QStringLiteral(
            "SELECT m.brand, brand.brandName FROM (SELECT DISTINCT brand FROM `material`) AS m "
            "CROSS JOIN `brand` ON brand.brandCode = m.brand ORDER BY brand.rowid"));
        while (joined.step() == Statement::Row)
            brands.add(joined.handle(), 0, joined.columnString(1));
    }
    // The brand name's place (column 22, where the record reader takes it)
    // is held by a NULL and filled below; the rowid comes after it.
    QString sql = QStringLiteral("SELECT material.*, NULL, material.rowid FROM `material` NOT INDEXED "
                                 "WHERE material.status = 20");
    QVariantList values;
    if (!keyword.isNull()) {
        sql += QStringLiteral(" AND material.skuCode LIKE ? ESCAPE '\\'");
        values << containsPattern(keyword);
    }
    // Room for the whole catalogue at once: growing the list row by row moves
    // megabytes of records again and again.
    QList<Material> items;
    if (keyword.isNull()) {
        Statement count = executeQuery(QStringLiteral("SELECT count(*) FROM `material`"));
        if (count.step() == Statement::Row)
            items.reserve(count.columnInt64(0));
    }
    Statement statement = executeQuery(sql, values);
    // What the order depends on, side by side: the sort then never reaches
    // into the records, which lie far apart in memory.
    struct SortKey
    {
        quint64 prefix;
        QStringView priority;
        qint64 rowid;
        int index;
    };
    std::vector<SortKey> keys;
    keys.reserve(std::size_t(items.capacity()));
    constexpr int kBrandColumn = 7;
    while (statement.step() == Statement::Row) {
        const QStringList* names = brands.find(statement.handle(), kBrandColumn);
        if (!names)
            continue;
        const qint64 rowid = statement.columnInt64(kItemColumns);
        Material item(statement);
        for (qsizetype n = 0; n < names->size(); ++n) {
            item.brandname = names->at(n);
            if (n + 1 < names->size())
                items.append(item);
            else
                items.append(std::move(item));
            // The view stays valid: the text does not move when the record does.
            const QStringView priority = items.constLast().priority;
            keys.push_back({rankPrefix(priority), priority, rowid, int(items.size() - 1)});
        }
    }
    // Ascending by priority as text (a missing priority as the empty text),
    // items of equal priority in the order they were stored. Sorted here:
    // SQLite would sort the whole wide rows, which costs more than reading
    // them.
    std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int byPriority = compareCodePoints(a.priority, b.priority);
        if (byPriority != 0)
            return byPriority < 0;
        return a.rowid != b.rowid ? a.rowid < b.rowid : a.index < b.index;
    });
    QList<int> order(items.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = keys[std::size_t(i)].index;
    placeInOrder(items, std::move(order));
    return items;
}

QList<QVariantMap> DataManager::getPromoList(const QString& /*keyword*/)
{
    static const QStringList keys = {
        QStringLiteral("promotionId"),     QStringLiteral("promotionCode"),
        QStringLiteral("promotionName"),   QStringLiteral("promotionDesc"),
        QStringLiteral("creationDate"),    QStringLiteral("lastUpdate"),
        QStringLiteral("promotionproduct")};
    QList<QVariantMap> promotions;
    Statement statement =
        executeQuery(QStringLiteral("SELECT `promotionId`, `promotionCode`, `promotionName`, "
                                    "`promotionDesc`, `creationDate`, `lastUpdate`, "
                                    "`promotionproduct` FROM `promote_db` WHERE `Expiry` > ? "
                                    "ORDER BY `promotionCode`"),
                     {getNow()});
    while (statement.step() == Statement::Row) {
        QVariantMap promotion;
        for (int column = 0; column < keys.size(); ++column)
            promotion.insert(keys.at(column), statement.columnString(column));
        promotions.append(promotion);
    }
    return promotions;
}

QList<Material> DataManager::getPromoProductList(const QString& skuCodes)
{
    return getPromoProductList(skuCodes.split(QStringLiteral("','")));
}

QList<Material> DataManager::getPromoProductList(const QStringList& skuCodes)
{
    if (skuCodes.isEmpty())
        return {};
    QVariantList values;
    values.reserve(skuCodes.size());
    for (const QString& code : skuCodes)
        values << code;
    Statement statement =
        executeQuery(kItemSelect + QStringLiteral(" WHERE material.skuCode IN (") +
                         placeholders(values.size()) + QLatin1Char(')'),
                     values);
    return readList<Material>(statement);
}

std::optional<Material> DataManager::getMaterial(const QString& skuCode)
{
    Statement statement =
        executeQuery(kItemSelect + QStringLiteral(" WHERE material.skuCode = ?"), {skuCode});
    return readOne<Material>(statement);
}

bool DataManager::saveMaterial(const Material& material)
{
    if (material.skuCode.isEmpty())
        return false;
    // The row waits, without brand or status, until the server's item data
    // fills it; an item already in the catalogue keeps what it has.
    const QString now = getNow();
    return executeUpdate(
        QStringLiteral("INSERT INTO `material` (`creationDate`, `skuCode`, `lastUpdate`) "
                       "VALUES (?, ?, ?) ON CONFLICT (`skuCode`) DO NOTHING"),
        {now, material.skuCode, now});
}

QString DataManager::savePhotoToApplication(const QImage& image, const QString& name)
{
    // The name becomes a file name in the pictures folder and nothing else.
    if (!isPlainFileName(name) || image.isNull())
        return QString();
    const QString folder = RQFile::makeFilePathInCache(QStringLiteral("material"));
    if (!QDir().mkpath(folder))
        return QString();
    const QString relative = QStringLiteral("/material/%1.jpg").arg(name);
    QSaveFile file(RQFile::makeFilePathInCache(relative));
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "JPG", 100) || !file.commit())
        return QString();
    return relative;
}

// --- Customers ---------------------------------------------------------------

std::optional<CustomerSoldTo> DataManager::getCustomerSoldTo(const QString& customerCode)
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT * FROM `customerSoldTo` WHERE `customerCode` = ?"), {customerCode});
    return readOne<CustomerSoldTo>(statement);
}

std::optional<CustomerSoldTo>
DataManager::getCustomerSoldToWithCustomerName(const QString& customerName)
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT * FROM `customerSoldTo` WHERE `customerName` = ? ORDER BY rowid"),
        {customerName});
    return readOne<CustomerSoldTo>(statement);
}

std::optional<CustomerShipTo> DataManager::getCustomerShipTo(const QString& customerCode,
                                                             const QString& shipToCode)
{
    Statement statement =
        executeQuery(QStringLiteral("SELECT * FROM `customerShipTo` WHERE `customerCode` = ? AND "
                                    "`shipToCode` = ? AND `status` = 20"),
                     {customerCode, shipToCode});
    return readOne<CustomerShipTo>(statement);
}

QList<CustomerSoldTo> DataManager::getSoldToList()
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.* ") +
            routeJoin(QStringLiteral("customerSoldTo"), QStringLiteral("customerCode")) +
            QStringLiteral("WHERE ") + kCurrentRoute,
        routeValues());
    return readList<CustomerSoldTo>(statement);
}

QStringList DataManager::getRegionList()
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.district ") +
            routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("shipToCode")) +
            QStringLiteral("WHERE ") + kCurrentRoute + QStringLiteral(" GROUP BY a.district"),
        routeValues());
    return readTexts(statement);
}

QStringList DataManager::getRegionListWithCustomerName(const QString& customerName)
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.region ") +
            routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("customerCode")) +
            QStringLiteral("JOIN `customerSoldTo` AS b ON a.customerCode = b.customerCode "
                           "WHERE ") +
            kCurrentRoute + QStringLiteral(" AND b.customerName = ? GROUP BY a.region"),
        routeValues({customerName}));
    return readTexts(statement);
}

QStringList DataManager::getDistrictListWithRegion(const QString& /*region*/)
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.district ") +
            routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("customerCode")) +
            QStringLiteral("WHERE ") + kCurrentRoute +
            QStringLiteral(" AND a.customerCode = ? GROUP BY a.district"),
        routeValues({selectSoldTo()}));
    return readTexts(statement);
}

QStringList DataManager::getDistrictListWithRegion(const QString& region,
                                                   const QString& customerName)
{
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.district ") +
            routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("shipToCode")) +
            QStringLiteral("JOIN `customerSoldTo` AS b ON a.customerCode = b.customerCode "
                           "WHERE ") +
            kCurrentRoute +
            QStringLiteral(" AND a.region = ? AND b.customerName = ? GROUP BY a.district"),
        routeValues({region, customerName}));
    return readTexts(statement);
}

QStringList DataManager::getCustomerListWithRegion(const QString& region, const QString& district)
{
    QString sql = QStringLiteral("SELECT b.customerName ") +
                  routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("shipToCode")) +
                  QStringLiteral("JOIN `customerSoldTo` AS b ON a.customerCode = b.customerCode "
                                 "WHERE ") +
                  kCurrentRoute;
    QVariantList more;
    if (!region.isEmpty()) {
        sql += QStringLiteral(" AND a.region = ?");
        more << region;
    }
    if (!district.isEmpty()) {
        sql += QStringLiteral(" AND a.district = ?");
        more << district;
    }
    sql += QStringLiteral(" GROUP BY b.customerName");
    Statement statement = executeQuery(sql, routeValues(more));
    return readTexts(statement);
}

QList<CustomerShipTo> DataManager::getCustomerShipToListWithRegion(const QString& /*region*/,
                                                                   const QString& district,
                                                                   const QString& /*customerName*/)
{
    Statement statement = executeQuery(
        kShipToColumns +
            routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("customerCode")) +
            QStringLiteral("WHERE ") + kCurrentRoute +
            QStringLiteral(" AND a.district = ? AND a.customerCode = ?"),
        routeValues({district, selectSoldTo()}));
    return readList<CustomerShipTo>(statement);
}

QList<CustomerShipTo> DataManager::getCustomerShipToListWithKeyword(const QString& keyword)
{
    if (keyword.isNull()) {
        Statement statement = executeQuery(
            kShipToColumns +
                routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("shipToCode")) +
                QStringLiteral("WHERE ") + kCurrentRoute,
            routeValues());
        return readList<CustomerShipTo>(statement);
    }
    // An address whose owner is missing from the customers still matches by
    // its own description or code.
    const QString pattern = containsPattern(keyword);
    Statement statement = executeQuery(
        kShipToColumns + routeJoin(QStringLiteral("customerShipTo"), QStringLiteral("shipToCode")) +
            QStringLiteral("LEFT JOIN `customerSoldTo` AS b ON a.customerCode = b.customerCode "
                           "WHERE ") +
            kCurrentRoute +
            QStringLiteral(" AND a.customerCode = ? AND (b.customerName LIKE ? ESCAPE '\\' OR "
                           "a.description LIKE ? ESCAPE '\\' OR a.shipToCode LIKE ? ESCAPE '\\') "
                           "GROUP BY a.shipToCode"),
        routeValues({selectSoldTo(), pattern, pattern, pattern}));
    return readList<CustomerShipTo>(statement);
}

QList<CustomerSoldTo> DataManager::getCustomerSoldToListWithKeyword(const QString& keyword)
{
    if (keyword.isNull()) {
        Statement statement =
            executeQuery(QStringLiteral("SELECT * FROM `customerSoldTo` WHERE `status` = 20"));
        return readList<CustomerSoldTo>(statement);
    }
    const QString pattern = containsPattern(keyword);
    Statement statement = executeQuery(
        QStringLiteral("SELECT a.* ") +
            routeJoin(QStringLiteral("customerSoldTo"), QStringLiteral("customerCode")) +
            QStringLiteral("WHERE ") + kCurrentRoute +
            QStringLiteral(" AND (a.customerCode LIKE ? ESCAPE '\\' OR a.customerName LIKE ? "
                           "ESCAPE '\\' OR a.salesGroup LIKE ? ESCAPE '\\')"),
        routeValues({pattern, pattern, pattern}));
    return readList<CustomerSoldTo>(statement);
}
