#pragma once

// Test data for the local store: single-row writers, record builders with
// sensible defaults, and one seeded world that store, sync, upload and screen
// tests share. Use them inside a TestSandbox (they write to the sandbox's
// database). Every writer binds its values and answers whether the row was
// stored, so a test can ASSERT_TRUE on it.
//
// The seeded world (seedAll), for the salesman "alice" (code S001, the
// logged-in salesman: the "salesmanCode" default is set to S001):
//
// Salesmen    S001 alice (active), S002 bob (active), S003 carol (inactive).
// Customers   C100 Acme Stores Ltd (North), C200 Bolt Hardware (South),
//             C300 O'Hara & Sons (North), C400 Dormant Traders (inactive),
//             C500 Offroute Market (on no offered route), C600 Müller Bäckerei
//             (Süd). Sales groups in brackets.
// Addresses   region / district:
//             C100: SH101 Acme Main Depot (North / Harbour),
//                   SH102 Acme Corner Shop (North / Old Town),
//                   SH103 Acme Closed Store (North / Harbour, inactive)
//             C200: SH201 Bolt Yard (South / Riverside),
//                   SH202 Bolt Annex (South / Riverside; its stop is inactive)
//             C300: SH301 O'Hara Warehouse (North / Harbour, "1 O'Hara Road")
//             C500: SH501 Offroute Kiosk (East / Hill)
//             C600: SH601 Müller Backstube (South / Riverside)
// Routes      routingId 10 and 11: alice's current, active routes.
//             20 expired, 30 future, 40 current but inactive, 50 starting
//             today (not current yet), 60 bob's current route.
// Stops       10: C100 C200 C300 C400 C600 (customer codes) and SH101 SH102
//                 SH103 SH201 SH301 SH601 (ship-to codes), SH202 inactive.
//             11: C100 and SH101 again (so they are reached twice).
//             20, 30, 40, 50, 60: C500 and SH501 only.
// Brands      1 Alpha, 2 Beta, 3 Gamma Café.
// Items       sku   brand priority status  note
//             A120  2     1        20
//             A100  1     2        20
//             B200  1     3        20      phototype "1" (needs a photo)
//             A121  3     4        20
//             D100  1     5        10      inactive
//             X999  9     0        20      brand 9 is not stored
// Promotions  P100 Spring Deal (A100, B200), expires in one day;
//             P200 Summer Deal (A120), expires in 30 days;
//             P050 Old Deal (A100), expired a day ago.
//             Their products carry the status "20", as the server sends it.
// Orders      alice:  ACME.1001   C100/SH101 2025-03-01 09:00:00 status 10
//                     ACME.1006   C100/SH101 2025-03-15 12:00:00 status 10
//                     BOLT.1002   C200/SH201 2025-03-15 12:00:00 status 20,
//                                 orderNo 4500001 (uploaded from the device)
//                     OHARA.1003  C300/SH301 2025-03-31 23:59:59 status 30,
//                                 orderNo 4500002 (a server state)
//                     ACME.1004   C100/SH102 2025-04-01 00:00:00 status 10
//                     MULLER.1005 C600/SH601 2025-02-28 23:59:59 status 0
//             bob:    BOB.2001    C500/SH501 2025-03-10 08:00:00 status 10
//             Lines of ACME.1001: A100 x5 CS, A120 x2 PC (promotion " "),
//             B200_promoP100 x1 CS in P100. One photo row for ACME.1001.
//
// Route dates and promotion expiries are relative to the application clock
// at the time of seeding (TestSandbox::setNow moves it).

#include "store/CustomerShipTo.h"
#include "store/CustomerSoldTo.h"
#include "store/Material.h"
#include "store/SalesOrder.h"
#include "store/SalesOrderDetails.h"
#include "store/Salesman.h"
#include "store/StoreDelegate.h"

#include <QString>
#include <QVariantList>

namespace StoreFixtures {

inline const QString kAlice = QStringLiteral("alice");
inline const QString kBob = QStringLiteral("bob");
inline const QString kAliceCode = QStringLiteral("S001");
inline const QString kBobCode = QStringLiteral("S002");

// --- Single rows ------------------------------------------------------------
bool addSalesman(const Salesman& salesman);
bool addCustomer(const CustomerSoldTo& customer);
bool addShipTo(const CustomerShipTo& shipTo);
bool addBrand(const QString& brandCode, const QString& brandName);
// Every column of the item, the brand code included.
bool addMaterial(const Material& item);
bool addRoute(int id, int routingId, const QString& salesmanCode, const QString& startDate,
              const QString& endDate, int status = 20);
bool addRouteStop(int routingId, const QString& code, int status = 20);
bool addPromotion(int id, const QString& code, const QString& name, const QString& expiry,
                  const QString& productsJson = QStringLiteral("[]"));
// The header as it stands (creation time included) under the given owner.
bool addOrder(const SalesOrder& order, const QString& owner);
bool addOrderLine(const SalesOrderDetails& line);
bool addOrderImage(const QString& orderNo, const QString& imageName);

// --- Records with defaults ----------------------------------------------------
SalesOrder order(const QString& purchaseOrderNo, const QString& soldToCode = QStringLiteral("C100"),
                 const QString& shipToCode = QStringLiteral("SH101"),
                 const QString& creationDate = QStringLiteral("2025-03-10 10:00:00"),
                 int uploadStatus = 10);
SalesOrderDetails line(const QString& orderNo, const QString& skuCode, int quantity,
                       const QString& promocode = QStringLiteral(" "),
                       const QString& uomCode = QStringLiteral("CS"));
Material item(const QString& skuCode, const QString& brandCode, const QString& priority,
              int status = 20);
CustomerSoldTo customer(const QString& code, const QString& name, const QString& salesGroup,
                        int status = 20);
CustomerShipTo shipTo(const QString& customerCode, const QString& shipToCode,
                      const QString& description, const QString& region, const QString& district,
                      int status = 20);

// --- Helpers ------------------------------------------------------------------
// The application clock's today moved by offset days, "yyyy-MM-dd".
QString day(int offset = 0);
// The application clock's now moved by offset seconds, "yyyy-MM-dd HH:mm:ss".
QString now(qint64 offsetSeconds = 0);
// Writes the "salesmanCode" user default (a null code removes it).
void setSalesmanCode(const QString& code);
// Rows of a table, optionally restricted by a WHERE condition with bound values.
int countRows(const QString& table, const QString& where = QString(),
              const QVariantList& values = {});

// --- The seeded world (see above) ---------------------------------------------
bool seedSalesmen();
bool seedCustomers();
bool seedRoutes();
bool seedCatalogue();
bool seedPromotions();
bool seedOrders();
// All of the above, and alice's salesman code as the logged-in one.
bool seedAll();

} // namespace StoreFixtures

// Stands in for the application delegate: the user name typed at login and
// the sold-to customer chosen in the editor. Registers itself with the store
// for its lifetime and puts back whatever was registered before.
class FakeStoreDelegate : public StoreDelegate
{
public:
    explicit FakeStoreDelegate(const QString& userName = StoreFixtures::kAlice,
                               const QString& selectSoldTo = QString());
    ~FakeStoreDelegate() override;
    FakeStoreDelegate(const FakeStoreDelegate&) = delete;
    FakeStoreDelegate& operator=(const FakeStoreDelegate&) = delete;

    QString UserName() const override { return userName; }
    QString SelectSoldTo() const override { return selectSoldTo; }

    QString userName;
    QString selectSoldTo;

private:
    StoreDelegate* _previous;
};
