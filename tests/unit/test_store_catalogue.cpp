#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/ListTexts.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
// Customer or address codes, sorted: the lists come in no promised order.
template <class Customer> QStringList codes(const QList<Customer>& customers)
{
    QStringList result = texts(customers, [](const Customer& customer) {
        if constexpr (std::is_same_v<Customer, CustomerShipTo>)
            return customer.shipToCode;
        else
            return customer.customerCode;
    });
    result.sort();
    return result;
}

struct StoreCatalogue : ::testing::Test
{
    void SetUp() override { ASSERT_TRUE(seedAll()); }
    static DataManager* store() { return DataManager::sharedManager(); }

    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice, u"C100"_s};
};
} // namespace

TEST_F(StoreCatalogue, ItemsNeedABrandAndTheListNeedsThemActive)
{
    // (Which items the list offers is the item list's test on the same seed.)
    // Without its brand an item is found nowhere; inactive items are found by code.
    EXPECT_FALSE(store()->getMaterial(u"X999"_s).has_value());
    EXPECT_EQ(AppManager::getMaterial(u"D100"_s).value_or(Material()).brandname, "Alpha");

    // Promotion products: codes joined with "','", any status, never brandless.
    QStringList promoted =
        skuCodes(AppManager::getPromoProductList(u"A100','D100','X999','B200"_s));
    promoted.sort();
    EXPECT_EQ(promoted, QStringList({"A100", "B200", "D100"}));
    EXPECT_TRUE(store()->getPromoProductList(QStringList()).isEmpty());
    // A code captured with a photo waits for the server's data (the item
    // list's test); one without a code is not stored.
    EXPECT_FALSE(store()->saveMaterial(Material()));
}

TEST_F(StoreCatalogue, ItemsAreOrderedByPriorityTextThenStoredOrder)
{
    // Priorities are text: "10" comes before "9". Equal priorities keep the
    // order the items were stored in; characters beyond U+FFFF come after
    // U+FFFD, as in SQLite's own ordering.
    const char* rows[][2] = {
        {"T1", "9"}, {"T2", "10"}, {"T3", "10"}, {"T4", "\xef\xbf\xbd"}, {"T5", "\xf0\x9d\x9f\x98"},
        {"T6", ""},  {"T7", "10"}};
    for (const auto& row : rows)
        ASSERT_TRUE(
            addMaterial(item(QString::fromUtf8(row[0]), u"2"_s, QString::fromUtf8(row[1]))));
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(addMaterial(item(u"TIE%1"_s.arg(59 - i), u"1"_s, u"5"_s)));
    // Brand codes compare with an item's integer brand as numbers where they
    // read as one: "012" and " 12" both join brand 12, "abc" only itself.
    ASSERT_TRUE(store()->executeUpdate(
        u"INSERT INTO brand (brandCode, brandName) VALUES ('12', 'Twelve'), ('012', 'Oh twelve'), "
        u"(' 12', 'Spaced twelve'), ('abc', 'Letters'), ('12.5', 'Half')"_s));
    for (const char* brand : {"12", "abc", "12.5", "012"})
        ASSERT_TRUE(addMaterial(item(u"N"_s + QLatin1String(brand), QLatin1String(brand), u"7"_s)));

    const QStringList listed = texts(
        store()->getItemList(), [](const Material& m) { return m.skuCode + '/' + m.brandname; });
    // The store reads the list in one pass of its own; SQLite's join is the judge.
    Statement expected = store()->executeQuery(
        u"SELECT material.skuCode || '/' || brand.brandName FROM material JOIN brand "
        u"ON brand.brandCode = material.brand WHERE material.status = 20 ORDER BY "
        u"material.priority, material.rowid, brand.rowid"_s);
    QStringList ordered;
    while (expected.step() == Statement::Row)
        ordered << expected.columnText(0);
    EXPECT_EQ(listed, ordered);
    EXPECT_EQ(listed.count(u"N12/Oh twelve"_s), 1);
}

TEST_F(StoreCatalogue, KeywordsWithQuotesAndWildcardsMatchThemselves)
{
    for (const char* sku : {"50%OFF", "50XOFF", "A_1", "AB1", "O'NEIL", "B\\S"})
        ASSERT_TRUE(addMaterial(item(QString::fromUtf8(sku), u"1"_s, u"9"_s)));
    for (const char* keyword : {"%", "A_", "O'N", "\\"})
        EXPECT_EQ(skuCodes(store()->getItemList(QString::fromUtf8(keyword))).join(' '),
                  QStringList({"50%OFF", "A_1", "O'NEIL", "B\\S"})
                      .filter(QString::fromUtf8(keyword))
                      .join(' '))
            << keyword;
    EXPECT_EQ(skuCodes(store()->getPromoProductList(u"O'NEIL','A_1"_s)).size(), 2);

    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(u"O'H"_s)), QStringList({"C300"}));
    EXPECT_TRUE(store()->getCustomerSoldToListWithKeyword(u"%"_s).isEmpty());
    delegate.selectSoldTo = u"C300"_s;
    EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(u"O'Hara W"_s)),
              QStringList({"SH301"}));
}

TEST_F(StoreCatalogue, CustomersComeFromCurrentActiveRoutes)
{
    // One entry per stop: C100 is a stop of both current routes. C400 is
    // inactive; C500 is only on routes that are expired, future, inactive,
    // starting today or bob's.
    EXPECT_EQ(codes(AppManager::getSoldToList()),
              QStringList({"C100", "C100", "C200", "C300", "C600"}));
    EXPECT_EQ(AppManager::getCustomerList(), QStringList({"Acme Stores Ltd", "Bolt Hardware",
                                                          "Müller Bäckerei", "O'Hara & Sons"}));
    EXPECT_EQ(store()->getCustomerListWithRegion(u"South"_s, u"Riverside"_s),
              QStringList({"Bolt Hardware", "Müller Bäckerei"}));
    EXPECT_EQ(AppManager::getRegionList(), QStringList({"Harbour", "Old Town", "Riverside"}));

    // A route ending today at some hour still counts today; one starting
    // today does not yet (route 50 in the seed).
    ASSERT_TRUE(addRoute(20, 90, kAliceCode, day(-3), day(0) + u" 18:00:00"_s));
    ASSERT_TRUE(addRouteStop(90, u"C500"_s));
    EXPECT_EQ(codes(store()->getSoldToList()),
              QStringList({"C100", "C100", "C200", "C300", "C500", "C600"}));

    // Without a salesman code nothing is on a route; bob sees his own.
    setSalesmanCode(QString());
    EXPECT_TRUE(store()->getSoldToList().isEmpty());
    setSalesmanCode(kBobCode);
    EXPECT_EQ(codes(store()->getSoldToList()), QStringList({"C500"}));

    // Two days on, route 11 (ending tomorrow) has ended while route 50
    // (starting today) and the future route 30 have begun.
    setSalesmanCode(kAliceCode);
    TestSandbox::setNow(QDateTime::currentDateTime().addDays(2));
    EXPECT_EQ(codes(store()->getSoldToList()),
              QStringList({"C100", "C200", "C300", "C500", "C500", "C600"}));
}

TEST_F(StoreCatalogue, AddressesOfTheChosenSoldToCustomer)
{
    EXPECT_EQ(AppManager::getDistrictListWithRegion(u"ignored"_s),
              QStringList({"Harbour", "Old Town"}));
    // One entry per stop: C100 is reached through both current routes.
    EXPECT_EQ(
        codes(AppManager::getCustomerShipToListWithRegion(QString(), u"Harbour"_s, QString())),
        QStringList({"SH101", "SH101"}));
    // Keyword search: one per address; the customer's name matches all of its
    // addresses. Without a keyword: every routed address of any customer, one
    // per stop; the inactive address and the inactive stop stay out.
    const std::pair<QString, QStringList> searches[] = {
        {u"depot"_s, {"SH101"}},
        {u"Acme Stores"_s, {"SH101", "SH102"}},
        {u""_s, {"SH101", "SH102"}},
        {QString(), {"SH101", "SH101", "SH102", "SH201", "SH301", "SH601"}}};
    for (const auto& [keyword, found] : searches)
        EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(keyword)), found)
            << qPrintable(keyword);

    // Before a sold-to customer is chosen there is nothing to list.
    delegate.selectSoldTo = QString();
    EXPECT_TRUE(store()->getDistrictListWithRegion(QString()).isEmpty());
    EXPECT_TRUE(store()->getCustomerShipToListWithKeyword(u"Acme"_s).isEmpty());

    EXPECT_EQ(AppManager::getRegionListWithCustomerName(u"Acme Stores Ltd"_s),
              QStringList({"North"}));
    EXPECT_EQ(AppManager::getDistrictListWithRegion(u"North"_s, u"Acme Stores Ltd"_s),
              QStringList({"Harbour", "Old Town"}));
}

TEST_F(StoreCatalogue, SoldToLookupsAndSearch)
{
    // With a keyword only route customers, one entry per stop; without one
    // every active customer, on a route or not.
    EXPECT_EQ(codes(AppManager::getCustomerSoldToListWithKeyword(u"north"_s)),
              QStringList({"C100", "C100", "C300"}));
    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(u"Offroute"_s)), QStringList());
    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(QString())),
              QStringList({"C100", "C200", "C300", "C500", "C600"}));

    // Single lookups: a customer of any status, an address only when active.
    EXPECT_EQ(AppManager::getCustomerSoldTo(u"C400"_s)->status, 10);
    EXPECT_FALSE(store()->getCustomerSoldTo(u"C999"_s).has_value());
    EXPECT_FALSE(store()->getCustomerShipTo(u"C100"_s, u"SH103"_s).has_value());
    EXPECT_FALSE(store()->getCustomerShipTo(u"C200"_s, u"SH101"_s).has_value());
    EXPECT_EQ(AppManager::getCustomerSoldToWithCustomerName(u"Müller Bäckerei"_s)
                  .value_or(CustomerSoldTo())
                  .salesGroup,
              u"Süd"_s);
}
