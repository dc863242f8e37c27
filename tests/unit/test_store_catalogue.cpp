#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
DataManager* store()
{
    return DataManager::sharedManager();
}

QStringList list(std::initializer_list<const char*> items)
{
    QStringList result;
    for (const char* item : items)
        result << QString::fromUtf8(item);
    return result;
}

QStringList skus(const QList<Material>& items)
{
    QStringList result;
    for (const Material& item : items)
        result << item.skuCode;
    return result;
}

template <class Customer> QStringList codes(const QList<Customer>& customers, bool sorted = true)
{
    QStringList result;
    for (const Customer& customer : customers) {
        if constexpr (std::is_same_v<Customer, CustomerShipTo>)
            result << customer.shipToCode;
        else
            result << customer.customerCode;
    }
    if (sorted)
        result.sort();
    return result;
}

QStringList sorted(QStringList texts)
{
    texts.sort();
    return texts;
}

class StoreCatalogue : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(seedAll()); }

    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice, QStringLiteral("C100")};
};
} // namespace

TEST_F(StoreCatalogue, ItemsNeedABrandAndTheListNeedsThemActive)
{
    const QList<Material> items = AppManager::getItemList();
    EXPECT_EQ(skus(items), list({"A120", "A100", "B200", "A121"}));
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items.at(0).brandname, QStringLiteral("Beta"));
    EXPECT_EQ(items.at(3).brandname, QStringLiteral("Gamma Café"));
    EXPECT_EQ(skus(store()->getItemList(QStringLiteral("12"))), list({"A120", "A121"}));

    // Without its brand an item is found nowhere; inactive items are found by code.
    EXPECT_FALSE(store()->getMaterial(QStringLiteral("X999")).has_value());
    std::optional<Material> inactive = AppManager::getMaterial(QStringLiteral("D100"));
    ASSERT_TRUE(inactive.has_value());
    EXPECT_EQ(inactive->status, 10);
    EXPECT_EQ(inactive->brandname, QStringLiteral("Alpha"));

    // Promotion products: codes joined with "','", any status, never brandless.
    EXPECT_EQ(
        sorted(skus(AppManager::getPromoProductList(QStringLiteral("A100','D100','X999','B200")))),
        list({"A100", "B200", "D100"}));
    EXPECT_EQ(skus(store()->getPromoProductList(QStringLiteral("A121"))), list({"A121"}));
    EXPECT_TRUE(store()->getPromoProductList(QString()).isEmpty());
    EXPECT_TRUE(store()->getPromoProductList(QStringList()).isEmpty());
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
        ASSERT_TRUE(addMaterial(
            item(QString::fromUtf8(row[0]), QStringLiteral("2"), QString::fromUtf8(row[1]))));
    QStringList ties;
    for (int i = 0; i < 60; ++i) {
        ties << QStringLiteral("TIE%1").arg(59 - i);
        ASSERT_TRUE(addMaterial(item(ties.last(), QStringLiteral("1"), QStringLiteral("5"))));
    }
    // Brand codes compare with an item's integer brand as numbers where they
    // read as one: "012" and " 12" both join brand 12, "abc" only itself.
    ASSERT_TRUE(store()->executeUpdate(QStringLiteral(
        "INSERT INTO brand (brandCode, brandName) VALUES ('12', 'Twelve'), ('012', 'Oh twelve'), "
        "(' 12', 'Spaced twelve'), ('abc', 'Letters'), ('12.5', 'Half')")));
    for (const char* brand : {"12", "abc", "12.5", "012"})
        ASSERT_TRUE(addMaterial(item(QStringLiteral("N%1").arg(QLatin1String(brand)), QString::fromLatin1(brand),
                                     QStringLiteral("7"))));

    QStringList listed;
    for (const Material& m : store()->getItemList())
        listed << m.skuCode + QLatin1Char('/') + m.brandname;
    Statement expected = store()->executeQuery(
        QStringLiteral("SELECT material.skuCode || '/' || brand.brandName FROM material JOIN brand "
                       "ON brand.brandCode = material.brand WHERE material.status = 20 ORDER BY "
                       "material.priority, material.rowid, brand.rowid"));
    QStringList ordered;
    while (expected.step() == Statement::Row)
        ordered << expected.columnText(0);
    EXPECT_EQ(listed, ordered);
    EXPECT_EQ(listed.count(QStringLiteral("N12/Oh twelve")), 1);
    const QStringList codes = skus(store()->getItemList());
    EXPECT_EQ(codes.mid(0, 5), list({"T6", "A120", "T2", "T3", "T7"}));
    EXPECT_EQ(codes.mid(codes.size() - 3), list({"T1", "T4", "T5"}));
    EXPECT_EQ(codes.mid(codes.indexOf(QStringLiteral("TIE59")), 60), ties);
}

TEST_F(StoreCatalogue, KeywordsWithQuotesAndWildcardsMatchThemselves)
{
    for (const char* sku : {"50%OFF", "50XOFF", "A_1", "AB1", "O'NEIL", "B\\S"})
        ASSERT_TRUE(
            addMaterial(item(QString::fromUtf8(sku), QStringLiteral("1"), QStringLiteral("9"))));
    EXPECT_EQ(skus(store()->getItemList(QStringLiteral("%"))), list({"50%OFF"}));
    EXPECT_EQ(skus(store()->getItemList(QStringLiteral("A_"))), list({"A_1"}));
    EXPECT_EQ(skus(store()->getItemList(QStringLiteral("O'N"))), list({"O'NEIL"}));
    EXPECT_EQ(skus(store()->getItemList(QStringLiteral("\\"))), list({"B\\S"}));
    EXPECT_EQ(skus(store()->getPromoProductList(QStringLiteral("O'NEIL','A_1"))).size(), 2);

    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(QStringLiteral("O'H"))),
              list({"C300"}));
    EXPECT_TRUE(store()->getCustomerSoldToListWithKeyword(QStringLiteral("%")).isEmpty());
    delegate.selectSoldTo = QStringLiteral("C300");
    EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(QStringLiteral("O'Hara W"))),
              list({"SH301"}));
    EXPECT_EQ(AppManager::getRegionListWithCustomerName(QStringLiteral("O'Hara & Sons")),
              list({"North"}));
    std::optional<CustomerSoldTo> ohara =
        AppManager::getCustomerSoldToWithCustomerName(QStringLiteral("O'Hara & Sons"));
    ASSERT_TRUE(ohara.has_value());
    EXPECT_EQ(ohara->customerCode, QStringLiteral("C300"));
    EXPECT_EQ(
        AppManager::getCustomerShipTo(QStringLiteral("C300"), QStringLiteral("SH301"))->address,
        QStringLiteral("1 O'Hara Road"));
}

TEST_F(StoreCatalogue, PromotionsAreListedUntilTheyExpire)
{
    ASSERT_TRUE(store()->executeUpdate(QStringLiteral("DELETE FROM promote_db")));
    TestSandbox::setNow(QStringLiteral("2025-06-01 12:00:00"));
    ASSERT_TRUE(seedPromotions());
    ASSERT_TRUE(addPromotion(10, QStringLiteral("P001"), QStringLiteral("Last second"),
                             QStringLiteral("2025-06-01 12:00:01")));
    ASSERT_TRUE(addPromotion(11, QStringLiteral("P002"), QStringLiteral("Just gone"),
                             QStringLiteral("2025-06-01 11:59:59")));
    ASSERT_TRUE(addPromotion(12, QStringLiteral("P003"), QStringLiteral("Ends now"),
                             QStringLiteral("2025-06-01 12:00:00")));

    const QList<QVariantMap> promotions = AppManager::getPromoList(QStringLiteral("ignored"));
    QStringList listed;
    for (const QVariantMap& promotion : promotions)
        listed << promotion.value(QStringLiteral("promotionCode")).toString();
    EXPECT_EQ(listed, list({"P001", "P100", "P200"}));

    const QVariantMap spring = promotions.at(1);
    EXPECT_EQ(spring.size(), 7);
    EXPECT_EQ(spring.value(QStringLiteral("promotionId")), QStringLiteral("1"));
    EXPECT_EQ(spring.value(QStringLiteral("promotionName")), QStringLiteral("Spring Deal"));
    EXPECT_EQ(spring.value(QStringLiteral("promotionDesc")),
              QStringLiteral("Spring Deal description"));
    EXPECT_EQ(spring.value(QStringLiteral("lastUpdate")), QStringLiteral("2025-01-02 00:00:00"));
    EXPECT_TRUE(spring.value(QStringLiteral("promotionproduct"))
                    .toString()
                    .contains(QLatin1String("B200")));
    EXPECT_FALSE(spring.contains(QStringLiteral("Expiry")));
}

TEST_F(StoreCatalogue, CapturedCodesWaitForTheServersItemData)
{
    Material captured;
    captured.skuCode = QStringLiteral("NEW1");
    EXPECT_TRUE(AppManager::saveMaterial(captured));
    EXPECT_EQ(
        countRows(QStringLiteral("material"), QStringLiteral("skuCode = 'NEW1' AND brand IS NULL")),
        1);
    EXPECT_FALSE(skus(store()->getItemList()).contains(QStringLiteral("NEW1")));
    EXPECT_FALSE(store()->getMaterial(QStringLiteral("NEW1")).has_value());

    // A code already in the catalogue keeps what it has.
    captured.skuCode = QStringLiteral("A100");
    captured.description = QStringLiteral("overwritten?");
    EXPECT_TRUE(store()->saveMaterial(captured));
    EXPECT_EQ(store()->getMaterial(QStringLiteral("A100"))->description,
              QStringLiteral("Item A100"));
    EXPECT_FALSE(store()->saveMaterial(Material()));
}

TEST_F(StoreCatalogue, ItemPicturesAreWrittenAsJpegUnderMaterial)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    // The caches folder itself may be missing: it is made along the way.
    QDir(sandbox.caches()).removeRecursively();
    EXPECT_EQ(store()->savePhotoToApplication(picture, QStringLiteral("A100")),
              QStringLiteral("/material/A100.jpg"));
    const QString path = sandbox.caches() + QStringLiteral("/material/A100.jpg");
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), picture.size());
    EXPECT_LT(qAbs(qGreen(back.pixel(10, 10)) - qGreen(picture.pixel(10, 10))), 4);

    // Nothing written, and no path answered, for a name that is not a file
    // name or a picture that is not there.
    EXPECT_TRUE(store()->savePhotoToApplication(picture, QStringLiteral("../A100")).isNull());
    EXPECT_TRUE(store()->savePhotoToApplication(picture, QString()).isNull());
    EXPECT_TRUE(store()->savePhotoToApplication(QImage(), QStringLiteral("B200")).isNull());
    EXPECT_FALSE(QFileInfo::exists(sandbox.caches() + QStringLiteral("/A100.jpg")));
    EXPECT_FALSE(QFileInfo::exists(sandbox.caches() + QStringLiteral("/material/B200.jpg")));
}

TEST_F(StoreCatalogue, CustomersComeFromCurrentActiveRoutes)
{
    // One entry per stop: C100 is a stop of both current routes. C400 is
    // inactive; C500 is only on routes that are expired, future, inactive,
    // starting today or bob's.
    EXPECT_EQ(codes(AppManager::getSoldToList()), list({"C100", "C100", "C200", "C300", "C600"}));
    EXPECT_EQ(AppManager::getCustomerList(),
              list({"Acme Stores Ltd", "Bolt Hardware", "Müller Bäckerei", "O'Hara & Sons"}));
    EXPECT_EQ(
        store()->getCustomerListWithRegion(QStringLiteral("South"), QStringLiteral("Riverside")),
        list({"Bolt Hardware", "Müller Bäckerei"}));
    EXPECT_EQ(store()->getCustomerListWithRegion(QString(), QStringLiteral("Old Town")),
              list({"Acme Stores Ltd"}));
    EXPECT_EQ(AppManager::getRegionList(), list({"Harbour", "Old Town", "Riverside"}));

    // A route ending today at some hour still counts today; one starting
    // today does not yet (route 50 in the seed).
    ASSERT_TRUE(addRoute(20, 90, kAliceCode, day(-3), day(0) + QStringLiteral(" 18:00:00")));
    ASSERT_TRUE(addRouteStop(90, QStringLiteral("C500")));
    EXPECT_EQ(codes(store()->getSoldToList()),
              list({"C100", "C100", "C200", "C300", "C500", "C600"}));

    // Without a salesman code nothing is on a route; bob sees his own.
    setSalesmanCode(QString());
    EXPECT_TRUE(store()->getSoldToList().isEmpty());
    EXPECT_TRUE(store()->getRegionList().isEmpty());
    setSalesmanCode(kBobCode);
    EXPECT_EQ(codes(store()->getSoldToList()), list({"C500"}));
    EXPECT_EQ(store()->getCustomerListWithRegion(QString(), QString()), list({"Offroute Market"}));
}

TEST_F(StoreCatalogue, RouteCurrencyFollowsTheApplicationClock)
{
    // Two days on, route 11 (ending tomorrow) has ended while route 50
    // (starting today) and the future route 30 have begun.
    TestSandbox::setNow(QDateTime::currentDateTime().addDays(2));
    EXPECT_EQ(codes(store()->getSoldToList()),
              list({"C100", "C200", "C300", "C500", "C500", "C600"}));
}

TEST_F(StoreCatalogue, AddressesOfTheChosenSoldToCustomer)
{
    EXPECT_EQ(AppManager::getDistrictListWithRegion(QStringLiteral("ignored")),
              list({"Harbour", "Old Town"}));
    // One entry per stop: C100 is reached through both current routes.
    EXPECT_EQ(codes(AppManager::getCustomerShipToListWithRegion(
                  QString(), QStringLiteral("Harbour"), QString())),
              list({"SH101", "SH101"}));
    // Keyword search: one per address; the customer's name matches all of its addresses.
    EXPECT_EQ(codes(AppManager::getCustomerShipToListWithKeyword(QStringLiteral("depot"))),
              list({"SH101"}));
    EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(QStringLiteral("Acme Stores"))),
              list({"SH101", "SH102"}));
    EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(QStringLiteral(""))),
              list({"SH101", "SH102"}));
    const QList<CustomerShipTo> found =
        store()->getCustomerShipToListWithKeyword(QStringLiteral("SH102"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().description, QStringLiteral("Acme Corner Shop"));
    EXPECT_EQ(found.first().district, QStringLiteral("Old Town"));
    EXPECT_EQ(found.first().status, 20);

    // Without a keyword: every routed address of any customer, one per stop;
    // the inactive address and the inactive stop stay out.
    EXPECT_EQ(codes(store()->getCustomerShipToListWithKeyword(QString())),
              list({"SH101", "SH101", "SH102", "SH201", "SH301", "SH601"}));

    // Before a sold-to customer is chosen there is nothing to list.
    delegate.selectSoldTo = QString();
    EXPECT_TRUE(store()->getDistrictListWithRegion(QString()).isEmpty());
    EXPECT_TRUE(store()->getCustomerShipToListWithKeyword(QStringLiteral("Acme")).isEmpty());

    EXPECT_EQ(AppManager::getRegionListWithCustomerName(QStringLiteral("Acme Stores Ltd")),
              list({"North"}));
    EXPECT_EQ(AppManager::getDistrictListWithRegion(QStringLiteral("North"),
                                                    QStringLiteral("Acme Stores Ltd")),
              list({"Harbour", "Old Town"}));
    EXPECT_TRUE(
        store()
            ->getDistrictListWithRegion(QStringLiteral("South"), QStringLiteral("Acme Stores Ltd"))
            .isEmpty());
}

TEST_F(StoreCatalogue, SoldToLookupsAndSearch)
{
    // With a keyword only route customers, one entry per stop; without one
    // every active customer, on a route or not.
    EXPECT_EQ(codes(AppManager::getCustomerSoldToListWithKeyword(QStringLiteral("north"))),
              list({"C100", "C100", "C300"}));
    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(QStringLiteral("Offroute"))),
              QStringList());
    EXPECT_EQ(codes(store()->getCustomerSoldToListWithKeyword(QString())),
              list({"C100", "C200", "C300", "C500", "C600"}));

    // Single lookups: a customer of any status, an address only when active.
    EXPECT_EQ(AppManager::getCustomerSoldTo(QStringLiteral("C400"))->status, 10);
    EXPECT_FALSE(store()->getCustomerSoldTo(QStringLiteral("C999")).has_value());
    EXPECT_FALSE(
        store()->getCustomerShipTo(QStringLiteral("C100"), QStringLiteral("SH103")).has_value());
    EXPECT_FALSE(
        store()->getCustomerShipTo(QStringLiteral("C200"), QStringLiteral("SH101")).has_value());
    std::optional<CustomerShipTo> depot =
        store()->getCustomerShipTo(QStringLiteral("C100"), QStringLiteral("SH101"));
    ASSERT_TRUE(depot.has_value());
    EXPECT_EQ(depot->region, QStringLiteral("North"));
    EXPECT_EQ(depot->lastupdate, QStringLiteral("2025-01-02 00:00:00"));
    std::optional<CustomerSoldTo> muller =
        store()->getCustomerSoldToWithCustomerName(QStringLiteral("Müller Bäckerei"));
    ASSERT_TRUE(muller.has_value());
    EXPECT_EQ(muller->salesGroup, QStringLiteral("Süd"));
}
