#include "support/StoreFixtures.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"

#include <initializer_list>

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
    return write(QStringLiteral("INSERT INTO salesman VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?)"),
                 {s.creationDate, s.salesmanCode, s.username, s.password, s.employeeCode, s.address,
                  s.contactNo, s.mobileNo, s.faxNo, s.email, s.status, s.ipAddress, s.authToken,
                  s.loginDate, s.lastupdate});
}

bool addCustomer(const CustomerSoldTo& c)
{
    return write(
        QStringLiteral("INSERT INTO customerSoldTo VALUES (?, ?, ?, ?, ?, ?)"),
        {c.creationDate, c.customerCode, c.customerName, c.salesGroup, c.status, c.lastupdate});
}

bool addShipTo(const CustomerShipTo& a)
{
    return write(QStringLiteral("INSERT INTO customerShipTo VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {a.creationDate, a.customerCode, a.shipToCode, a.description, a.status, a.address,
                  a.district, a.region, a.remarks, a.lastupdate});
}

bool addBrand(const QString& brandCode, const QString& brandName)
{
    return write(QStringLiteral("INSERT INTO brand VALUES ('2025-01-01 00:00:00', ?, 'en', ?, "
                                "'2025-01-01 00:00:00')"),
                 {brandCode, brandName});
}

bool addMaterial(const Material& m)
{
    return write(QStringLiteral("INSERT INTO material VALUES (?, ?, ?, ?, 'FG', ?, ?, ?, ?, ?, ?, "
                                "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
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
    return write(QStringLiteral("INSERT INTO routing (id, creationDate, lastUpdate, salesmanCode, "
                                "start_date, end_date, status, routingId) VALUES (?, "
                                "'2025-01-01 00:00:00', '2025-01-01 00:00:00', ?, ?, ?, ?, ?)"),
                 {id, salesmanCode, startDate, endDate, status, routingId});
}

bool addRouteStop(int routingId, const QString& code, int status)
{
    return write(QStringLiteral("INSERT INTO routing_shipTo (creationDate, lastUpdate, routingId, "
                                "shipToCode, status) VALUES ('2025-01-01 00:00:00', "
                                "'2025-01-01 00:00:00', ?, ?, ?)"),
                 {routingId, code, status});
}

bool addPromotion(int id, const QString& code, const QString& name, const QString& expiry,
                  const QString& productsJson)
{
    return write(QStringLiteral("INSERT INTO promote_db VALUES (?, ?, ?, ?, '2025-01-01 00:00:00', "
                                "'2025-01-02 00:00:00', ?, ?)"),
                 {id, code, name, name + QStringLiteral(" description"), productsJson, expiry});
}

bool addOrder(const SalesOrder& o, const QString& owner)
{
    return write(
        QStringLiteral("INSERT INTO salesOrder VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?)"),
        {o.creationDate, o.orderNo, o.purchaseOrderNo, o.orderDate, o.deliverDate, o.soldToCode,
         o.shipToCode, o.transactionStatus, o.uploadStatus, o.sapStatus, o.sapOrderNo, o.type,
         o.priority, o.remark, o.lastupdate, o.vdtype, o.paymenttype, o.deliverAddress, owner});
}

bool addOrderLine(const SalesOrderDetails& l)
{
    return write(
        QStringLiteral("INSERT INTO salesOrderDetails VALUES (?, ?, ?, ?, ?, ?, ?)"),
        {l.creationDate, l.orderNo, l.skuCode, l.quantity, l.uomCode, l.lastupdate, l.promocode});
}

bool addOrderImage(const QString& orderNo, const QString& imageName)
{
    return write(QStringLiteral("INSERT INTO orderimage VALUES (?, ?)"), {orderNo, imageName});
}

SalesOrder order(const QString& purchaseOrderNo, const QString& soldToCode,
                 const QString& shipToCode, const QString& creationDate, int uploadStatus)
{
    SalesOrder o;
    o.creationDate = creationDate;
    o.orderNo = purchaseOrderNo;
    o.purchaseOrderNo = purchaseOrderNo;
    o.orderDate = creationDate.left(10) + QStringLiteral(" 00:00:00");
    o.deliverDate = QStringLiteral("2025-04-15 00:00:00");
    o.deliverAddress = QStringLiteral("Main Street 1");
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
    m.creationDate = QStringLiteral("2025-01-01 00:00:00");
    m.skuCode = skuCode;
    m.language = QStringLiteral("en");
    m.description = QStringLiteral("Item ") + skuCode;
    m.category = QStringLiteral("1");
    m.subCategory = QStringLiteral("2");
    m.brand = brandCode;
    m.subBrand = QStringLiteral("0");
    m.status = status;
    m.barcode = QStringLiteral("490") + skuCode;
    m.lastupdate = QStringLiteral("2025-01-02 00:00:00");
    m.phototype = QStringLiteral("0");
    m.priority = priority;
    m.unit1 = QStringLiteral("CS");
    m.unit2 = QStringLiteral("PC");
    m.cate1 = QStringLiteral("Food");
    m.cate2 = QStringLiteral("Dry");
    m.cate3 = m.cate4 = m.cate5 = m.cate6 = QStringLiteral("");
    return m;
}

CustomerSoldTo customer(const QString& code, const QString& name, const QString& salesGroup,
                        int status)
{
    CustomerSoldTo c;
    c.creationDate = QStringLiteral("2025-01-01 00:00:00");
    c.customerCode = code;
    c.customerName = name;
    c.salesGroup = salesGroup;
    c.status = status;
    c.lastupdate = QStringLiteral("2025-01-02 00:00:00");
    return c;
}

CustomerShipTo shipTo(const QString& customerCode, const QString& shipToCode,
                      const QString& description, const QString& region, const QString& district,
                      int status)
{
    CustomerShipTo a;
    a.creationDate = QStringLiteral("2025-01-01 00:00:00");
    a.customerCode = customerCode;
    a.shipToCode = shipToCode;
    a.description = description;
    a.status = status;
    a.address = description + QStringLiteral(", ") + district;
    a.district = district;
    a.region = region;
    a.remarks = QStringLiteral("");
    a.lastupdate = QStringLiteral("2025-01-02 00:00:00");
    return a;
}

QString day(int offset)
{
    return Clock::now().toLocalTime().date().addDays(offset).toString(QStringLiteral("yyyy-MM-dd"));
}

QString now(qint64 offsetSeconds)
{
    return Clock::now()
        .addSecs(offsetSeconds)
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void setSalesmanCode(const QString& code)
{
    UserDefaults& defaults = UserDefaults::standard();
    if (code.isNull())
        defaults.removeObjectForKey(QStringLiteral("salesmanCode"));
    else
        defaults.setObject(code, QStringLiteral("salesmanCode"));
    defaults.synchronize();
}

int countRows(const QString& table, const QString& where, const QVariantList& values)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    Statement statement = DataManager::sharedManager()->executeQuery(sql, values);
    return statement.step() == Statement::Row ? statement.columnInt(0) : -1;
}

bool seedSalesmen()
{
    auto salesman = [](const QString& code, const QString& name, int status) {
        Salesman s;
        s.creationDate = QStringLiteral("2025-01-01 00:00:00");
        s.salesmanCode = code;
        s.username = name;
        s.password = name + QStringLiteral("-secret");
        s.employeeCode = QStringLiteral("E") + code;
        s.email = name + QStringLiteral("@example.org");
        s.status = status;
        s.lastupdate = QStringLiteral("2025-01-02 00:00:00");
        return s;
    };
    return all({addSalesman(salesman(kAliceCode, kAlice, 20)),
                addSalesman(salesman(kBobCode, kBob, 20)),
                addSalesman(salesman(QStringLiteral("S003"), QStringLiteral("carol"), 10))});
}

bool seedCustomers()
{
    CustomerShipTo ohara =
        shipTo(QStringLiteral("C300"), QStringLiteral("SH301"), QStringLiteral("O'Hara Warehouse"),
               QStringLiteral("North"), QStringLiteral("Harbour"));
    ohara.address = QStringLiteral("1 O'Hara Road");
    return all({
        addCustomer(customer(QStringLiteral("C100"), QStringLiteral("Acme Stores Ltd"),
                             QStringLiteral("North"))),
        addCustomer(customer(QStringLiteral("C200"), QStringLiteral("Bolt Hardware"),
                             QStringLiteral("South"))),
        addCustomer(customer(QStringLiteral("C300"), QStringLiteral("O'Hara & Sons"),
                             QStringLiteral("North"))),
        addCustomer(customer(QStringLiteral("C400"), QStringLiteral("Dormant Traders"),
                             QStringLiteral("North"), 10)),
        addCustomer(customer(QStringLiteral("C500"), QStringLiteral("Offroute Market"),
                             QStringLiteral("East"))),
        addCustomer(customer(QStringLiteral("C600"), QStringLiteral("Müller Bäckerei"),
                             QStringLiteral("Süd"))),
        addShipTo(shipTo(QStringLiteral("C100"), QStringLiteral("SH101"),
                         QStringLiteral("Acme Main Depot"), QStringLiteral("North"),
                         QStringLiteral("Harbour"))),
        addShipTo(shipTo(QStringLiteral("C100"), QStringLiteral("SH102"),
                         QStringLiteral("Acme Corner Shop"), QStringLiteral("North"),
                         QStringLiteral("Old Town"))),
        addShipTo(shipTo(QStringLiteral("C100"), QStringLiteral("SH103"),
                         QStringLiteral("Acme Closed Store"), QStringLiteral("North"),
                         QStringLiteral("Harbour"), 10)),
        addShipTo(shipTo(QStringLiteral("C200"), QStringLiteral("SH201"),
                         QStringLiteral("Bolt Yard"), QStringLiteral("South"),
                         QStringLiteral("Riverside"))),
        addShipTo(shipTo(QStringLiteral("C200"), QStringLiteral("SH202"),
                         QStringLiteral("Bolt Annex"), QStringLiteral("South"),
                         QStringLiteral("Riverside"))),
        addShipTo(ohara),
        addShipTo(shipTo(QStringLiteral("C500"), QStringLiteral("SH501"),
                         QStringLiteral("Offroute Kiosk"), QStringLiteral("East"),
                         QStringLiteral("Hill"))),
        addShipTo(shipTo(QStringLiteral("C600"), QStringLiteral("SH601"),
                         QStringLiteral("Müller Backstube"), QStringLiteral("South"),
                         QStringLiteral("Riverside"))),
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
    ok = addRouteStop(10, QStringLiteral("SH202"), 10) && ok;
    ok = addRouteStop(11, QStringLiteral("C100")) && ok;
    ok = addRouteStop(11, QStringLiteral("SH101")) && ok;
    for (int routingId : {20, 30, 40, 50, 60}) {
        ok = addRouteStop(routingId, QStringLiteral("C500")) && ok;
        ok = addRouteStop(routingId, QStringLiteral("SH501")) && ok;
    }
    return ok;
}

bool seedCatalogue()
{
    Material b200 = item(QStringLiteral("B200"), QStringLiteral("1"), QStringLiteral("3"));
    b200.phototype = QStringLiteral("1");
    return all({
        addBrand(QStringLiteral("1"), QStringLiteral("Alpha")),
        addBrand(QStringLiteral("2"), QStringLiteral("Beta")),
        addBrand(QStringLiteral("3"), QStringLiteral("Gamma Café")),
        addMaterial(item(QStringLiteral("A120"), QStringLiteral("2"), QStringLiteral("1"))),
        addMaterial(item(QStringLiteral("A100"), QStringLiteral("1"), QStringLiteral("2"))),
        addMaterial(b200),
        addMaterial(item(QStringLiteral("A121"), QStringLiteral("3"), QStringLiteral("4"))),
        addMaterial(item(QStringLiteral("D100"), QStringLiteral("1"), QStringLiteral("5"), 10)),
        addMaterial(item(QStringLiteral("X999"), QStringLiteral("9"), QStringLiteral("0"))),
    });
}

bool seedPromotions()
{
    return all({
        addPromotion(1, QStringLiteral("P100"), QStringLiteral("Spring Deal"), now(86400),
                     QStringLiteral("[{\"skuCode\": \"A100\", \"status\": \"20\"}, "
                                    "{\"skuCode\": \"B200\", \"status\": \"20\"}]")),
        addPromotion(2, QStringLiteral("P200"), QStringLiteral("Summer Deal"), now(30 * 86400),
                     QStringLiteral("[{\"skuCode\": \"A120\", \"status\": \"20\"}]")),
        addPromotion(3, QStringLiteral("P050"), QStringLiteral("Old Deal"), now(-86400),
                     QStringLiteral("[{\"skuCode\": \"A100\", \"status\": \"20\"}]")),
    });
}

bool seedOrders()
{
    SalesOrder bolt = order(QStringLiteral("BOLT.1002"), QStringLiteral("C200"),
                            QStringLiteral("SH201"), QStringLiteral("2025-03-15 12:00:00"), 20);
    bolt.orderNo = QStringLiteral("4500001");
    SalesOrder ohara = order(QStringLiteral("OHARA.1003"), QStringLiteral("C300"),
                             QStringLiteral("SH301"), QStringLiteral("2025-03-31 23:59:59"), 30);
    ohara.orderNo = QStringLiteral("4500002");
    SalesOrderDetails promo = line(QStringLiteral("ACME.1001"), QStringLiteral("B200_promoP100"), 1,
                                   QStringLiteral("P100"));
    return all({
        addOrder(order(QStringLiteral("ACME.1001"), QStringLiteral("C100"), QStringLiteral("SH101"),
                       QStringLiteral("2025-03-01 09:00:00")),
                 kAlice),
        addOrder(order(QStringLiteral("ACME.1006"), QStringLiteral("C100"), QStringLiteral("SH101"),
                       QStringLiteral("2025-03-15 12:00:00")),
                 kAlice),
        addOrder(bolt, kAlice),
        addOrder(ohara, kAlice),
        addOrder(order(QStringLiteral("ACME.1004"), QStringLiteral("C100"), QStringLiteral("SH102"),
                       QStringLiteral("2025-04-01 00:00:00")),
                 kAlice),
        addOrder(order(QStringLiteral("MULLER.1005"), QStringLiteral("C600"),
                       QStringLiteral("SH601"), QStringLiteral("2025-02-28 23:59:59"), 0),
                 kAlice),
        addOrder(order(QStringLiteral("BOB.2001"), QStringLiteral("C500"), QStringLiteral("SH501"),
                       QStringLiteral("2025-03-10 08:00:00")),
                 kBob),
        addOrderLine(line(QStringLiteral("ACME.1001"), QStringLiteral("A100"), 5)),
        addOrderLine(line(QStringLiteral("ACME.1001"), QStringLiteral("A120"), 2,
                          QStringLiteral(" "), QStringLiteral("PC"))),
        addOrderLine(promo),
        addOrderImage(QStringLiteral("ACME.1001"), QStringLiteral("20250301090500.png")),
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
