#include "support/StoreFixtures.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"

using namespace Qt::StringLiterals;

namespace StoreFixtures {

namespace {

const QString kCreated = u"2025-01-01 00:00:00"_s;
const QString kUpdated = u"2025-01-02 00:00:00"_s;

bool write(const QString& sql, const QVariantList& values)
{
    return DataManager::sharedManager()->executeUpdate(sql, values);
}

// Whole rows, every column in the table's order (an empty QVariant is NULL).
bool insert(const QString& table, const QList<QVariantList>& rows)
{
    bool ok = true;
    for (const QVariantList& row : rows) {
        const QString marks = QStringList(row.size(), u"?"_s).join(u", "_s);
        ok = write(u"INSERT INTO %1 VALUES (%2)"_s.arg(table, marks), row) && ok;
    }
    return ok;
}

} // namespace

bool addBrand(const QString& brandCode, const QString& brandName)
{
    return insert(u"brand"_s, {{kCreated, brandCode, u"en"_s, brandName, kCreated}});
}

bool addMaterial(const Material& m)
{
    // Column 5 is the server's item type, which the device never reads; the
    // numbers are stored as numbers.
    return insert(u"material"_s,
                  {QVariantList{m.creationDate, m.skuCode, m.language, m.description, u"FG"_s} +
                   QVariantList{m.category.toInt(), m.subCategory.toInt(), m.brand.toInt(),
                                m.subBrand.toInt()} +
                   QVariantList{m.status, m.barcode, m.lastupdate, m.phototype, m.priority, m.unit1,
                                m.unit2, m.cate1, m.cate2, m.cate3, m.cate4, m.cate5, m.cate6}});
}

bool addRoute(int id, int routingId, const QString& salesmanCode, const QString& startDate,
              const QString& endDate, int status)
{
    return write(u"INSERT INTO routing (id, creationDate, lastUpdate, salesmanCode, "
                 "start_date, end_date, status, routingId) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                 {id, kCreated, kCreated, salesmanCode, startDate, endDate, status, routingId});
}

bool addRouteStop(int routingId, const QString& code, int status)
{
    return write(u"INSERT INTO routing_shipTo (creationDate, lastUpdate, routingId, "
                 "shipToCode, status) VALUES (?, ?, ?, ?, ?)"_s,
                 {kCreated, kCreated, routingId, code, status});
}

bool addOrder(const SalesOrder& o, const QString& owner)
{
    return insert(
        u"salesOrder"_s,
        {{o.creationDate, o.orderNo, o.purchaseOrderNo, o.orderDate, o.deliverDate, o.soldToCode,
          o.shipToCode, o.transactionStatus, o.uploadStatus, o.sapStatus, o.sapOrderNo, o.type,
          o.priority, o.remark, o.lastupdate, o.vdtype, o.paymenttype, o.deliverAddress, owner}});
}

bool addOrderLine(const SalesOrderDetails& l)
{
    return insert(u"salesOrderDetails"_s, {{l.creationDate, l.orderNo, l.skuCode, l.quantity,
                                            l.uomCode, l.lastupdate, l.promocode}});
}

bool addOrderImage(const QString& orderNo, const QString& imageName)
{
    return insert(u"orderimage"_s, {{orderNo, imageName}});
}

SalesOrder order(const QString& purchaseOrderNo, const QString& soldToCode,
                 const QString& shipToCode, const QString& creationDate, int uploadStatus)
{
    SalesOrder o;
    o.creationDate = o.lastupdate = creationDate;
    o.orderNo = o.purchaseOrderNo = purchaseOrderNo;
    o.orderDate = creationDate.left(10) + u" 00:00:00"_s;
    o.deliverDate = u"2025-04-15 00:00:00"_s;
    o.deliverAddress = u"Main Street 1"_s;
    o.soldToCode = soldToCode;
    o.shipToCode = shipToCode;
    o.uploadStatus = uploadStatus;
    return o;
}

SalesOrderDetails line(const QString& orderNo, const QString& skuCode, int quantity,
                       const QString& promocode, const QString& uomCode)
{
    SalesOrderDetails l;
    l.orderNo = orderNo;
    l.skuCode = skuCode;
    l.quantity = quantity;
    l.promocode = promocode;
    l.uomCode = uomCode;
    return l;
}

Material item(const QString& skuCode, const QString& brandCode, const QString& priority, int status)
{
    Material m;
    m.creationDate = kCreated;
    m.lastupdate = kUpdated;
    m.skuCode = skuCode;
    m.language = u"en"_s;
    m.description = u"Item "_s + skuCode;
    m.category = u"1"_s;
    m.subCategory = u"2"_s;
    m.brand = brandCode;
    m.subBrand = m.phototype = u"0"_s;
    m.status = status;
    m.barcode = u"490"_s + skuCode;
    m.priority = priority;
    m.unit1 = u"CS"_s;
    m.unit2 = u"PC"_s;
    m.cate1 = u"Food"_s;
    m.cate2 = u"Dry"_s;
    m.cate3 = m.cate4 = m.cate5 = m.cate6 = u""_s;
    return m;
}

QString day(int offset)
{
    return Clock::now().toLocalTime().date().addDays(offset).toString(u"yyyy-MM-dd"_s);
}

void setSalesmanCode(const QString& code)
{
    UserDefaults& defaults = UserDefaults::standard();
    if (code.isNull())
        defaults.removeObjectForKey(u"salesmanCode"_s);
    else
        defaults.setObject(code, u"salesmanCode"_s);
    defaults.synchronize();
}

int countRows(const QString& table, const QString& where, const QVariantList& values)
{
    QString sql = u"SELECT COUNT(*) FROM `%1`"_s.arg(table);
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    Statement statement = DataManager::sharedManager()->executeQuery(sql, values);
    return statement.step() == Statement::Row ? statement.columnInt(0) : -1;
}

bool seedCatalogue()
{
    Material b200 = item(u"B200"_s, u"1"_s, u"3"_s);
    b200.phototype = u"1"_s; // needs a photo
    bool ok = addBrand(u"1"_s, u"Alpha"_s) && addBrand(u"2"_s, u"Beta"_s);
    ok = addBrand(u"3"_s, u"Gamma Café"_s) && ok;
    for (const Material& m :
         {item(u"A120"_s, u"2"_s, u"1"_s), item(u"A100"_s, u"1"_s, u"2"_s), b200,
          item(u"A121"_s, u"3"_s, u"4"_s), item(u"D100"_s, u"1"_s, u"5"_s, 10), // inactive
          item(u"X999"_s, u"9"_s, u"0"_s)}) // brand 9 is not stored
        ok = addMaterial(m) && ok;
    return ok;
}

bool seedPromotions()
{
    // Expiries relative to the clock; the products' status is a text, as the server sends it.
    const auto promotion = [](int id, const char* code, const QString& name, qint64 expiresIn,
                              const QString& skus) {
        QStringList products;
        for (const QString& sku : skus.split(u' '))
            products << u"{\"skuCode\": \"%1\", \"status\": \"20\"}"_s.arg(sku);
        const QString json = u"["_s + products.join(u", "_s) + u"]"_s;
        const QString expiry =
            Clock::now().addSecs(expiresIn).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        return QVariantList{id,       code,     name, name + u" description"_s,
                            kCreated, kUpdated, json, expiry};
    };
    return insert(u"promote_db"_s, {promotion(1, "P100", u"Spring Deal"_s, 86400, u"A100 B200"_s),
                                    promotion(2, "P200", u"Summer Deal"_s, 30 * 86400, u"A120"_s),
                                    promotion(3, "P050", u"Old Deal"_s, -86400, u"A100"_s)});
}

bool seedAll()
{
    setSalesmanCode(kAliceCode);
    const auto salesman = [](const QString& code, const QString& name, int status) {
        return QVariantList{kCreated, code, name,    name + u"-secret"_s,      u"E"_s + code, {},
                            {},       {},   {},      name + u"@example.org"_s, status,        {},
                            {},       {},   kUpdated};
    };
    const auto customer = [](const char* code, const char* name, const char* group,
                             int status = 20) {
        return QVariantList{kCreated, code, name, group, status, kUpdated};
    };
    // Addresses read "<description>, <district>" unless given.
    const auto shipTo = [](const char* customer, const char* code, const QString& description,
                           const char* region, const QString& district, int status = 20,
                           const QString& address = QString()) {
        const QString shown = address.isNull() ? description + u", "_s + district : address;
        return QVariantList{kCreated, customer, code,   description, status,
                            shown,    district, region, u""_s,       kUpdated};
    };
    bool ok = insert(u"salesman"_s, {salesman(kAliceCode, kAlice, 20), salesman(kBobCode, kBob, 20),
                                     salesman(u"S003"_s, u"carol"_s, 10)});
    ok = insert(u"customerSoldTo"_s,
                {customer("C100", "Acme Stores Ltd", "North"),
                 customer("C200", "Bolt Hardware", "South"),
                 customer("C300", "O'Hara & Sons", "North"),
                 customer("C400", "Dormant Traders", "North", 10),
                 customer("C500", "Offroute Market", "East"), // on no route of alice's
                 customer("C600", "Müller Bäckerei", "Süd")}) &&
         ok;
    ok = insert(u"customerShipTo"_s,
                {shipTo("C100", "SH101", u"Acme Main Depot"_s, "North", u"Harbour"_s),
                 shipTo("C100", "SH102", u"Acme Corner Shop"_s, "North", u"Old Town"_s),
                 shipTo("C100", "SH103", u"Acme Closed Store"_s, "North", u"Harbour"_s, 10),
                 shipTo("C200", "SH201", u"Bolt Yard"_s, "South", u"Riverside"_s),
                 shipTo("C200", "SH202", u"Bolt Annex"_s, "South", u"Riverside"_s),
                 shipTo("C300", "SH301", u"O'Hara Warehouse"_s, "North", u"Harbour"_s, 20,
                        u"1 O'Hara Road"_s),
                 shipTo("C500", "SH501", u"Offroute Kiosk"_s, "East", u"Hill"_s),
                 shipTo("C600", "SH601", u"Müller Backstube"_s, "South", u"Riverside"_s)}) &&
         ok;

    // Routes 10 and 11 are alice's current ones; 20 expired, 30 future, 40
    // inactive, 50 starts today (not current yet), 60 is bob's.
    const int routes[][5] = {{1, 10, -7, 7, 20}, {2, 11, -1, 1, 20}, {3, 20, -30, -1, 20},
                             {4, 30, 1, 30, 20}, {5, 40, -7, 7, 10}, {6, 50, 0, 7, 20},
                             {7, 60, -7, 7, 20}}; // id, routingId, first and last day, status
    for (const auto& r : routes) {
        const QString& salesman = r[1] == 60 ? kBobCode : kAliceCode;
        ok = addRoute(r[0], r[1], salesman, day(r[2]), day(r[3]), r[4]) && ok;
    }
    for (const char* code : {"C100", "C200", "C300", "C400", "C600", "SH101", "SH102", "SH103",
                             "SH201", "SH301", "SH601"})
        ok = addRouteStop(10, QString::fromUtf8(code)) && ok;
    ok = addRouteStop(10, u"SH202"_s, 10) && ok;
    ok = addRouteStop(11, u"C100"_s) && addRouteStop(11, u"SH101"_s) && ok;
    for (int routingId : {20, 30, 40, 50, 60})
        ok = addRouteStop(routingId, u"C500"_s) && addRouteStop(routingId, u"SH501"_s) && ok;
    ok = seedCatalogue() && ok;
    ok = seedPromotions() && ok;

    // Upload states: 10 draft, 20 uploaded from the device, 30 a server state, 0 unset.
    SalesOrder bolt = order(u"BOLT.1002"_s, u"C200"_s, u"SH201"_s, u"2025-03-15 12:00:00"_s, 20);
    bolt.orderNo = u"4500001"_s;
    SalesOrder ohara = order(u"OHARA.1003"_s, u"C300"_s, u"SH301"_s, u"2025-03-31 23:59:59"_s, 30);
    ohara.orderNo = u"4500002"_s;
    for (const SalesOrder& o :
         {order(u"ACME.1001"_s, u"C100"_s, u"SH101"_s, u"2025-03-01 09:00:00"_s),
          order(u"ACME.1006"_s, u"C100"_s, u"SH101"_s, u"2025-03-15 12:00:00"_s), bolt, ohara,
          order(u"ACME.1004"_s, u"C100"_s, u"SH102"_s, u"2025-04-01 00:00:00"_s),
          order(u"MULLER.1005"_s, u"C600"_s, u"SH601"_s, u"2025-02-28 23:59:59"_s, 0)})
        ok = addOrder(o, kAlice) && ok;
    ok =
        addOrder(order(u"BOB.2001"_s, u"C500"_s, u"SH501"_s, u"2025-03-10 08:00:00"_s), kBob) && ok;
    for (const SalesOrderDetails& l :
         {line(u"ACME.1001"_s, u"A100"_s, 5), line(u"ACME.1001"_s, u"A120"_s, 2, u" "_s, u"PC"_s),
          line(u"ACME.1001"_s, u"B200_promoP100"_s, 1, u"P100"_s)})
        ok = addOrderLine(l) && ok;
    return addOrderImage(u"ACME.1001"_s, u"20250301090500.png"_s) && ok;
}

} // namespace StoreFixtures

FakeStoreDelegate::FakeStoreDelegate(const QString& userName, const QString& selectSoldTo)
    : userName(userName), selectSoldTo(selectSoldTo), _previous(DataManager::delegate())
{
    DataManager::setDelegate(this);
}

FakeStoreDelegate::~FakeStoreDelegate()
{
    if (DataManager::delegate() == this)
        DataManager::setDelegate(_previous);
}
