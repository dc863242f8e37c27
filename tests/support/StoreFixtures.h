#pragma once

// Test data for the local store: single-row writers, record builders with
// sensible defaults, and one seeded world that store, sync, upload and screen
// tests share. Use them inside a TestSandbox (they write to the sandbox's
// database). Every writer binds its values and answers whether the row was
// stored, so a test can ASSERT_TRUE on it.
//
// The seeded world (seedAll; its rows, with what is special about them, are
// the tables in StoreFixtures.cpp): salesmen alice (S001, logged in: the
// "salesmanCode" default) and bob (S002), active, and carol, inactive;
// customers C100 to C600 (C400 inactive, C500 on no route of alice's) and
// their addresses SH101 to SH601 (SH103 inactive); alice's current routes 10
// and 11 beside expired, future, inactive and bob's ones; brands 1 to 3 and
// items A100, A120, A121, B200 (needs a photo), D100 (inactive) and X999
// (brand 9, not stored); promotions P100 (A100, B200, expires in a day), P200
// (A120, in 30 days), P050 (expired); alice's orders ACME.1001 (three lines,
// one in P100, and a photo), ACME.1004, ACME.1006 (drafts), BOLT.1002
// (uploaded, orderNo 4500001), OHARA.1003 (a server state, 4500002),
// MULLER.1005 (status 0), and bob's BOB.2001.
//
// Route dates and promotion expiries are relative to the application clock
// at the time of seeding (TestSandbox::setNow moves it).

#include "store/Material.h"
#include "store/SalesOrder.h"
#include "store/SalesOrderDetails.h"
#include "store/StoreDelegate.h"

#include <QString>
#include <QVariantList>

namespace StoreFixtures {

inline const QString kAlice = QStringLiteral("alice");
inline const QString kBob = QStringLiteral("bob");
inline const QString kAliceCode = QStringLiteral("S001");
inline const QString kBobCode = QStringLiteral("S002");

// --- Single rows ------------------------------------------------------------
bool addBrand(const QString& brandCode, const QString& brandName);
// Every column of the item, the brand code included.
bool addMaterial(const Material& item);
bool addRoute(int id, int routingId, const QString& salesmanCode, const QString& startDate,
              const QString& endDate, int status = 20);
bool addRouteStop(int routingId, const QString& code, int status = 20);
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

// --- Helpers ------------------------------------------------------------------
// The application clock's today moved by offset days, "yyyy-MM-dd".
QString day(int offset = 0);
// Writes the "salesmanCode" user default (a null code removes it).
void setSalesmanCode(const QString& code);
// Rows of a table, optionally restricted by a WHERE condition with bound values.
int countRows(const QString& table, const QString& where = QString(),
              const QVariantList& values = {});

// --- The seeded world (see above) ---------------------------------------------
bool seedCatalogue();
bool seedPromotions();
// The above and the rest, and alice's salesman code as the logged-in one.
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
