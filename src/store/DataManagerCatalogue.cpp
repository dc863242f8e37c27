// The catalogue, the promotions, and the customers offered through the
// salesman's routes.

#include "store/DataManager.h"
#include "store/StoreSql.h"
#include "support/RQFile.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <numeric>

using namespace StoreSql;

namespace {

// Items are read with their brand's name, as position 22 of each row.
const QString kItemSelect = QStringLiteral("SELECT material.*, brand.brandName FROM `material` "
                                           "JOIN `brand` ON brand.brandCode = material.brand");
// Columns of an item row: the item's 22 and the brand name.
constexpr int kItemColumns = 23;

// Text order as SQLite's default collation has it: UTF-8 bytes, which is code
// point order. UTF-16 units order the same except that surrogates (code
// points above U+FFFF) must come after U+E000 to U+FFFF.
int compareCodePoints(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a.at(i).unicode();
        const char16_t y = b.at(i).unicode();
        if (x == y)
            continue;
        auto rank = [](char16_t unit) {
            return unit >= 0xE000   ? int(unit) - 0x800
                   : unit >= 0xD800 ? int(unit) + 0x2000
                                    : int(unit);
        };
        return rank(x) < rank(y) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
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

} // namespace

// --- Catalogue and promotions ----------------------------------------------

QList<Material> DataManager::getItemList(const QString& keyword)
{
    // Brand codes are text while material.brand is an integer, so the brand
    // key cannot be searched from an item and SQLite would compare every item
    // with every brand. Walking the few brands first (CROSS JOIN fixes that
    // order) finds each brand's items through material_brand. The rowid comes
    // after the brand name, where the record reader does not look.
    QString sql = QStringLiteral("SELECT material.*, brand.brandName, material.rowid FROM `brand` "
                                 "CROSS JOIN `material` ON brand.brandCode = material.brand "
                                 "WHERE material.status = 20");
    QVariantList values;
    if (!keyword.isNull()) {
        sql += QStringLiteral(" AND material.skuCode LIKE ? ESCAPE '\\'");
        values << containsPattern(keyword);
    }
    Statement statement = executeQuery(sql, values);
    QList<Material> items;
    QList<qint64> rowids;
    while (statement.step() == Statement::Row) {
        items.append(Material(statement));
        rowids.append(statement.columnInt64(kItemColumns));
    }
    // Ascending by priority as text (a missing priority as the empty text),
    // items of equal priority in the order they were stored. Sorted here: SQLite would sort the whole wide rows, which
    // costs more than reading them.
    QList<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int byPriority = compareCodePoints(items.at(a).priority, items.at(b).priority);
        return byPriority != 0 ? byPriority < 0 : rowids.at(a) < rowids.at(b);
    });
    QList<Material> sorted;
    sorted.reserve(items.size());
    for (int index : order)
        sorted.append(std::move(items[index]));
    return sorted;
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

bool DataManager::isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
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
