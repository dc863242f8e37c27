#include "support/StoreFixtures.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"

#include <initializer_list>

using namespace Qt::StringLiterals;

namespace StoreFixtures {

namespace {

bool write(const QString& sql, const QVariantList& values)
{
    return DataManager::sharedManager()->executeUpdate(sql, values);
}

bool all(std::initializer_list<bool> results)
{
    bool ok = true;
    for (bool result : results)
        ok = ok && result;
    return ok;
}

} // namespace

bool addSalesman(const Salesman& s)
{
    return write(u"INSERT INTO salesman VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                 "?, ?, ?)"_s,
                 {s.creationDate, s.salesmanCode, s.username, s.password, s.employeeCode, s.address,
                  s.contactNo, s.mobileNo, s.faxNo, s.email, s.status, s.ipAddress, s.authToken,
                  s.loginDate, s.lastupdate});
}

bool addCustomer(const CustomerSoldTo& c)
{
    return write(
        u"INSERT INTO customerSoldTo VALUES (?, ?, ?, ?, ?, ?)"_s,
        {c.creationDate, c.customerCode, c.customerName, c.salesGroup, c.status, c.lastupdate});
}

bool addShipTo(const CustomerShipTo& a)
{
    return write(u"INSERT INTO customerShipTo VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                 {a.creationDate, a.customerCode, a.shipToCode, a.description, a.status, a.address,
                  a.district, a.region, a.remarks, a.lastupdate});
}

bool addBrand(const QString& brandCode, const QString& brandName)
{
    return write(u"INSERT INTO brand VALUES ('2025-01-01 00:00:00', ?, 'en', ?, "
                 "'2025-01-01 00:00:00')"_s,
                 {brandCode, brandName});
}

bool addMaterial(const Material& m)
{
    return write(u"INSERT INTO material VALUES (?, ?, ?, ?, 'FG', ?, ?, ?, ?, ?, ?, "
                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                 {m.creationDate,
                  m.skuCode,
                  m.language,
                  m.description,
                  m.category.toInt(),
                  m.subCategory.toInt(),
                  m.brand.toInt(),
                  m.subBrand.toInt(),
                  m.status,
                  m.barcode,
                  m.lastupdate,
                  m.phototype,
                  m.priority,
                  m.unit1,
                  m.unit2,
                  m.cate1,
                  m.cate2,
                  m.cate3,
                  m.cate4,
                  m.cate5,
                  m.cate6});
}

bool addRoute(int id, int routingId, const QString& salesmanCode, const QString& startDate,
              const QString& endDate, int status)
{
    return write(u"INSERT INTO routing (id, creationDate, lastUpdate, salesmanCode, "
                 "start_date, end_date, status, routingId) VALUES (?, "
                 "'2025-01-01 00:00:00', '2025-01-01 00:00:00', ?, ?, ?, ?, ?)"_s,
                 {id, salesmanCode, startDate, endDate, status, routingId});
}

bool addRouteStop(int routingId, const QString& code, int status)
{
    return write(u"INSERT INTO routing_shipTo (creationDate, lastUpdate, routingId, "
                 "shipToCode, status) VALUES ('2025-01-01 00:00:00', "
                 "'2025-01-01 00:00:00', ?, ?, ?)"_s,
                 {routingId, code, status});
}

bool addPromotion(int id, const QString& code, const QString& name, const QString& expiry,
                  const QString& productsJson)
{
    return write(u"INSERT INTO promote_db VALUES (?, ?, ?, ?, '2025-01-01 00:00:00', "
                 "'2025-01-02 00:00:00', ?, ?)"_s,
                 {id, code, name, name + u" description"_s, productsJson, expiry});
}

bool addOrder(const SalesOrder& o, const QString& owner)
{
    return write(u"INSERT INTO salesOrder VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                 "?, ?, ?, ?, ?, ?, ?)"_s,
                 {o.creationDate, o.orderNo, o.purchaseOrderNo, o.orderDate, o.deliverDate,
                  o.soldToCode, o.shipToCode, o.transactionStatus, o.uploadStatus, o.sapStatus,
                  o.sapOrderNo, o.type, o.priority, o.remark, o.lastupdate, o.vdtype, o.paymenttype,
                  o.deliverAddress, owner});
}

bool addOrderLine(const SalesOrderDetails& l)
{
    return write(
        u"INSERT INTO salesOrderDetails VALUES (?, ?, ?, ?, ?, ?, ?)"_s,
        {l.creationDate, l.orderNo, l.skuCode, l.quantity, l.uomCode, l.lastupdate, l.promocode});
}

bool addOrderImage(const QString& orderNo, const QString& imageName)
{
    return write(u"INSERT INTO orderimage VALUES (?, ?)"_s, {orderNo, imageName});
}

SalesOrder order(const QString& purchaseOrderNo, const QString& soldToCode,
                 const QString& shipToCode, const QString& creationDate, int uploadStatus)
{
    SalesOrder o;
    o.creationDate = creationDate;
    o.orderNo = purchaseOrderNo;
    o.purchaseOrderNo = purchaseOrderNo;
    o.orderDate = creationDate.left(10) + u" 00:00:00"_s;
    o.deliverDate = u"2025-04-15 00:00:00"_s;
    o.deliverAddress = u"Main Street 1"_s;
    o.soldToCode = soldToCode;
    o.shipToCode = shipToCode;
    o.uploadStatus = uploadStatus;
    o.lastupdate = creationDate;
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
    m.creationDate = u"2025-01-01 00:00:00"_s;
    m.skuCode = skuCode;
    m.language = u"en"_s;
    m.description = u"Item "_s + skuCode;
    m.category = u"1"_s;
    m.subCategory = u"2"_s;
    m.brand = brandCode;
    m.subBrand = u"0"_s;
    m.status = status;
    m.barcode = u"490"_s + skuCode;
    m.lastupdate = u"2025-01-02 00:00:00"_s;
    m.phototype = u"0"_s;
    m.priority = priority;
    m.unit1 = u"CS"_s;
    m.unit2 = u"PC"_s;
    m.cate1 = u"Food"_s;
    m.cate2 = u"Dry"_s;
    m.cate3 = m.cate4 = m.cate5 = m.cate6 = u""_s;
    return m;
}

CustomerSoldTo customer(const QString& code, const QString& name, const QString& salesGroup,
                        int status)
{
    CustomerSoldTo c;
    c.creationDate = u"2025-01-01 00:00:00"_s;
    c.customerCode = code;
    c.customerName = name;
    c.salesGroup = salesGroup;
    c.status = status;
    c.lastupdate = u"2025-01-02 00:00:00"_s;
    return c;
}

CustomerShipTo shipTo(const QString& customerCode, const QString& shipToCode,
                      const QString& description, const QString& region, const QString& district,
                      int status)
{
    CustomerShipTo a;
    a.creationDate = u"2025-01-01 00:00:00"_s;
    a.customerCode = customerCode;
    a.shipToCode = shipToCode;
    a.description = description;
    a.status = status;
    a.address = description + u", "_s + district;
    a.district = district;
    a.region = region;
    a.remarks = u""_s;
    a.lastupdate = u"2025-01-02 00:00:00"_s;
    return a;
}

QString day(int offset)
{
    return Clock::now().toLocalTime().date().addDays(offset).toString(u"yyyy-MM-dd"_s);
}

QString now(qint64 offsetSeconds)
{
    return Clock::now().addSecs(offsetSeconds).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
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

bool seedSalesmen()
{
    auto salesman = [](const QString& code, const QString& name, int status) {
        Salesman s;
        s.creationDate = u"2025-01-01 00:00:00"_s;
        s.salesmanCode = code;
        s.username = name;
        s.password = name + u"-secret"_s;
        s.employeeCode = u"E"_s + code;
        s.email = name + u"@example.org"_s;
        s.status = status;
        s.lastupdate = u"2025-01-02 00:00:00"_s;
        return s;
    };
    return all({addSalesman(salesman(kAliceCode, kAlice, 20)),
                addSalesman(salesman(kBobCode, kBob, 20)),
                addSalesman(salesman(u"S003"_s, u"carol"_s, 10))});
}

bool seedCustomers()
{
    CustomerShipTo ohara =
        shipTo(u"C300"_s, u"SH301"_s, u"O'Hara Warehouse"_s, u"North"_s, u"Harbour"_s);
    ohara.address = u"1 O'Hara Road"_s;
    return all({
        addCustomer(customer(u"C100"_s, u"Acme Stores Ltd"_s, u"North"_s)),
        addCustomer(customer(u"C200"_s, u"Bolt Hardware"_s, u"South"_s)),
        addCustomer(customer(u"C300"_s, u"O'Hara & Sons"_s, u"North"_s)),
        addCustomer(customer(u"C400"_s, u"Dormant Traders"_s, u"North"_s, 10)),
        addCustomer(customer(u"C500"_s, u"Offroute Market"_s, u"East"_s)),
        addCustomer(customer(u"C600"_s, u"Müller Bäckerei"_s, u"Süd"_s)),
        addShipTo(shipTo(u"C100"_s, u"SH101"_s, u"Acme Main Depot"_s, u"North"_s, u"Harbour"_s)),
        addShipTo(shipTo(u"C100"_s, u"SH102"_s, u"Acme Corner Shop"_s, u"North"_s, u"Old Town"_s)),
        addShipTo(
            shipTo(u"C100"_s, u"SH103"_s, u"Acme Closed Store"_s, u"North"_s, u"Harbour"_s, 10)),
        addShipTo(shipTo(u"C200"_s, u"SH201"_s, u"Bolt Yard"_s, u"South"_s, u"Riverside"_s)),
        addShipTo(shipTo(u"C200"_s, u"SH202"_s, u"Bolt Annex"_s, u"South"_s, u"Riverside"_s)),
        addShipTo(ohara),
        addShipTo(shipTo(u"C500"_s, u"SH501"_s, u"Offroute Kiosk"_s, u"East"_s, u"Hill"_s)),
        addShipTo(shipTo(u"C600"_s, u"SH601"_s, u"Müller Backstube"_s, u"South"_s, u"Riverside"_s)),
    });
}

bool seedRoutes()
{
    bool ok = all({
        addRoute(1, 10, kAliceCode, day(-7), day(7)),
        addRoute(2, 11, kAliceCode, day(-1), day(1)),
        addRoute(3, 20, kAliceCode, day(-30), day(-1)),
        addRoute(4, 30, kAliceCode, day(1), day(30)),
        addRoute(5, 40, kAliceCode, day(-7), day(7), 10),
        addRoute(6, 50, kAliceCode, day(0), day(7)),
        addRoute(7, 60, kBobCode, day(-7), day(7)),
    });
    for (const char* code : {"C100", "C200", "C300", "C400", "C600", "SH101", "SH102", "SH103",
                             "SH201", "SH301", "SH601"})
        ok = addRouteStop(10, QString::fromUtf8(code)) && ok;
    ok = addRouteStop(10, u"SH202"_s, 10) && ok;
    ok = addRouteStop(11, u"C100"_s) && ok;
    ok = addRouteStop(11, u"SH101"_s) && ok;
    for (int routingId : {20, 30, 40, 50, 60}) {
        ok = addRouteStop(routingId, u"C500"_s) && ok;
        ok = addRouteStop(routingId, u"SH501"_s) && ok;
    }
    return ok;
}

bool seedCatalogue()
{
    Material b200 = item(u"B200"_s, u"1"_s, u"3"_s);
    b200.phototype = u"1"_s;
    return all({
        addBrand(u"1"_s, u"Alpha"_s),
        addBrand(u"2"_s, u"Beta"_s),
        addBrand(u"3"_s, u"Gamma Café"_s),
        addMaterial(item(u"A120"_s, u"2"_s, u"1"_s)),
        addMaterial(item(u"A100"_s, u"1"_s, u"2"_s)),
        addMaterial(b200),
        addMaterial(item(u"A121"_s, u"3"_s, u"4"_s)),
        addMaterial(item(u"D100"_s, u"1"_s, u"5"_s, 10)),
        addMaterial(item(u"X999"_s, u"9"_s, u"0"_s)),
    });
}

bool seedPromotions()
{
    return all({
        addPromotion(1, u"P100"_s, u"Spring Deal"_s, now(86400),
                     u"[{\"skuCode\": \"A100\", \"status\": \"20\"}, "
                     "{\"skuCode\": \"B200\", \"status\": \"20\"}]"_s),
        addPromotion(2, u"P200"_s, u"Summer Deal"_s, now(30 * 86400),
                     u"[{\"skuCode\": \"A120\", \"status\": \"20\"}]"_s),
        addPromotion(3, u"P050"_s, u"Old Deal"_s, now(-86400),
                     u"[{\"skuCode\": \"A100\", \"status\": \"20\"}]"_s),
    });
}

bool seedOrders()
{
    SalesOrder bolt = order(u"BOLT.1002"_s, u"C200"_s, u"SH201"_s, u"2025-03-15 12:00:00"_s, 20);
    bolt.orderNo = u"4500001"_s;
    SalesOrder ohara = order(u"OHARA.1003"_s, u"C300"_s, u"SH301"_s, u"2025-03-31 23:59:59"_s, 30);
    ohara.orderNo = u"4500002"_s;
    SalesOrderDetails promo = line(u"ACME.1001"_s, u"B200_promoP100"_s, 1, u"P100"_s);
    return all({
        addOrder(order(u"ACME.1001"_s, u"C100"_s, u"SH101"_s, u"2025-03-01 09:00:00"_s), kAlice),
        addOrder(order(u"ACME.1006"_s, u"C100"_s, u"SH101"_s, u"2025-03-15 12:00:00"_s), kAlice),
        addOrder(bolt, kAlice),
        addOrder(ohara, kAlice),
        addOrder(order(u"ACME.1004"_s, u"C100"_s, u"SH102"_s, u"2025-04-01 00:00:00"_s), kAlice),
        addOrder(order(u"MULLER.1005"_s, u"C600"_s, u"SH601"_s, u"2025-02-28 23:59:59"_s, 0),
                 kAlice),
        addOrder(order(u"BOB.2001"_s, u"C500"_s, u"SH501"_s, u"2025-03-10 08:00:00"_s), kBob),
        addOrderLine(line(u"ACME.1001"_s, u"A100"_s, 5)),
        addOrderLine(line(u"ACME.1001"_s, u"A120"_s, 2, u" "_s, u"PC"_s)),
        addOrderLine(promo),
        addOrderImage(u"ACME.1001"_s, u"20250301090500.png"_s),
    });
}

bool seedAll()
{
    setSalesmanCode(kAliceCode);
    return all({seedSalesmen(), seedCustomers(), seedRoutes(), seedCatalogue(), seedPromotions(),
                seedOrders()});
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
