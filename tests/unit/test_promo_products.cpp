#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/QuantityPopover.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
QStringList codes(const QList<Material>& items)
{
    QStringList list;
    for (const Material& m : items)
        list << m.skuCode;
    return list;
}

struct PromoProductFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};

    void SetUp() override
    {
        TestSandbox::setNow(QStringLiteral("2025-05-01 10:00:00"));
        ASSERT_TRUE(seedCatalogue() && seedPromotions());
    }
    void TearDown() override { TestSandbox::restoreClock(); }

    // What the purchase list leaves on the delegate when a promotion is touched.
    void enter(const QString& code, const QString& name, const QString& products)
    {
        delegate.setPromoClick("Y");
        delegate.setPromoCode(code);
        delegate.setPromoName(name);
        delegate.setPromoProductList(products);
    }
    std::unique_ptr<PromoProductViewController> open()
    {
        auto screen = std::make_unique<PromoProductViewController>();
        screen->setDialogs(&dialogs);
        return screen;
    }
    void answer(PurchaseListBase& screen, int row, const QString& quantity, bool secondUnit = false)
    {
        screen.rowClicked(row);
        answerQuantityPopover(dialogs, quantity, secondUnit);
    }
};

const QString kSpring = QStringLiteral(
    "[{\"skuCode\": \"B200\", \"status\": \"20\"}, {\"skuCode\": \"A100\", \"status\": \"20\"},"
    " {\"skuCode\": \"X999\", \"status\": \"20\"}, {\"skuCode\": \"A121\", \"status\": \"10\"}]");
} // namespace

// ---- the product list text

TEST(PromotionProductList, ReadsActiveCodesFromBracketsOrParentheses)
{
    const QString brackets = QStringLiteral(
        "[{\"skuCode\":\"A1\",\"status\":\"20\"},{\"skuCode\":\"A2\",\"status\":\"10\"},"
        "{\"skuCode\":\"A3\",\"status\":\"120\"},{\"skuCode\":\"A4\",\"status\":20},"
        "{\"skuCode\":\"A5\"},{\"skuCode\":\"A6\",\"status\":\"2 0\"},\"A7\",42,"
        "{\"status\":\"20\"}]");
    EXPECT_EQ(PromoProductViewController::activeProductCodes(brackets),
              QStringList({"A1", "A3", "A4"}));
    QString parentheses = brackets;
    parentheses.replace('[', '(').replace(']', ')');
    EXPECT_EQ(PromoProductViewController::activeProductCodes(parentheses),
              QStringList({"A1", "A3", "A4"}));

    for (const char* broken : {"", "(", "not json", "{\"skuCode\":\"A1\",\"status\":\"20\"}",
                               "[{\"skuCode\":\"A1\",\"status\":\"20\"}", "null", "\"A1\""})
        EXPECT_TRUE(
            PromoProductViewController::activeProductCodes(QString::fromUtf8(broken)).isEmpty())
            << broken;
    EXPECT_EQ(PromoProductViewController::markedCode("ABC", "P1"), "ABC_promoP1");
}

TEST_F(PromoProductFixture, ReadsTheProductListAsTheStoreKeepsItFromTheServer)
{
    // A promotion as the order server sends it: its products under "0", each
    // with a text status; one of them switched off.
    const QJsonObject promotion{
        {"PromotionId", "12"},
        {"PromotionCode", "P700"},
        {"PromotionName", "Server Deal"},
        {"PromotionDesc", "Buy ten"},
        {"creationDate", "2025-04-01 08:00:00"},
        {"lastUpdate", "2025-04-02 08:00:00"},
        {"0", QJsonArray{QJsonObject{{"skuCode", "A121"}, {"status", "20"}},
                         QJsonObject{{"skuCode", "A120"}, {"status", "10"}},
                         QJsonObject{{"skuCode", "A100"}, {"status", "20"}}}},
        {"Expiry", "2025-06-01 23:59:59"}};
    ASSERT_TRUE(
        DataManager::sharedManager()->updatePromote(QVariantList{promotion.toVariantMap()}));
    QString stored;
    for (const QVariantMap& p : AppManager::getPromoList()) {
        if (p.value("promotionCode") == "P700")
            stored = p.value("promotionproduct").toString();
    }
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(PromoProductViewController::activeProductCodes(stored),
              QStringList({"A121", "A100"}));

    enter("P700", "Buy ten", stored);
    auto screen = open();
    EXPECT_EQ(screen->Product_String(), "A121','A100");
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"A121", "A100"}));
}

// ---- the screen

TEST_F(PromoProductFixture, ShowsTheActiveProductsThatTheCatalogueKnowsInPromotionOrder)
{
    enter("P100", "Spring Deal description", kSpring);
    auto screen = open();
    EXPECT_EQ(screen->promoName(), "Spring Deal description");
    EXPECT_EQ(screen->Showtype(), "Item");
    EXPECT_EQ(screen->Product_String(), "B200','A100','X999");
    // X999's brand is not stored, so the catalogue does not list it.
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200", "A100"}));
    PurchaseListModel* model = screen->collectionView();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->data(model->index(1), PurchaseListModel::SkuCodeRole).toString(), "A100");
    EXPECT_EQ(screen->cellForRow(1).skuCodeLabel, "A100");
    EXPECT_EQ(screen->cellForRow(1).descriptionLabel, "Item A100");
    EXPECT_TRUE(screen->cellForRow(1).badgeHidden);

    screen->searchBarTextDidBeginEditing();
    screen->searchBar("a1");
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"A100"}));
    screen->searchBar("ITEM B");
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200"}));
    EXPECT_EQ(model->rowCount(), 1);
    screen->searchBar("zz");
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(screen->emptyText(), "No product matches “zz”");
    screen->searchBarCancelButtonClicked();
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200", "A100"}));
}

TEST_F(PromoProductFixture, MalformedOrInactiveProductListsShowNothingAndSayWhy)
{
    const QString none = "This promotion has no active products.";
    const QString unknown = "None of this promotion's products is in the catalogue on this tablet.";
    const std::pair<const char*, QString> cases[] = {
        {"[{\"skuCode\": \"A100\", \"status\": \"10\"}]", none},
        {"[{broken", none},
        {"A100", none},
        // Active, but not in the catalogue on this tablet.
        {"[{\"skuCode\": \"X999\", \"status\": \"20\"}]", unknown}};
    for (const auto& [text, why] : cases) {
        enter("P100", "Spring", QString::fromUtf8(text));
        auto screen = open();
        EXPECT_TRUE(screen->itemListArray().isEmpty()) << text;
        EXPECT_EQ(screen->cellCount(), 0);
        EXPECT_EQ(screen->emptyText(), why) << text;
        screen->rowClicked(0);
        EXPECT_EQ(dialogs.count("popover"), 0);
    }
}

TEST_F(PromoProductFixture, PromotionLinesStandBesideOrdinaryLinesOfTheSameItem)
{
    SalesOrderDetails plain = line("ACME.2001", "A100", 5);
    delegate.setTotalpurchaseListArray({{"A100", plain}});
    enter("P100", "Spring Deal description", kSpring);
    auto spring = open();
    ASSERT_EQ(spring->cellForRow(1).skuCodeLabel, "A100");
    // The plain line does not make a badge here.
    EXPECT_TRUE(spring->cellForRow(1).badgeHidden);

    answer(*spring, 1, "6", true);
    PurchaseItemList lines = spring->getPurchaseItemList();
    ASSERT_EQ(lines.keys(), QStringList({"A100", "A100_promoP100"}));
    const SalesOrderDetails promo = lines.value("A100_promoP100");
    EXPECT_EQ(promo.skuCode, "A100_promoP100");
    EXPECT_EQ(promo.promocode, "P100");
    EXPECT_EQ(promo.quantity, 6);
    EXPECT_EQ(promo.uomCode, "PC");
    EXPECT_EQ(lines.value("A100"), plain);
    EXPECT_EQ(spring->cellForRow(1).badge, "6PC");
    // The purchase list sees the lines through the delegate.
    EXPECT_EQ(delegate.totalpurchaseListArray(), lines);

    // The same item in another promotion is another line.
    delegate.setTotalpurchaseListArray(spring->getPurchaseItemList());
    enter("P200", "Summer Deal description", "[{\"skuCode\": \"A100\", \"status\": \"20\"}]");
    auto summer = open();
    EXPECT_TRUE(summer->cellForRow(0).badgeHidden);
    answer(*summer, 0, "2");
    lines = delegate.totalpurchaseListArray();
    EXPECT_EQ(lines.keys(), QStringList({"A100", "A100_promoP100", "A100_promoP200"}));
    EXPECT_EQ(lines.value("A100_promoP200").promocode, "P200");
    EXPECT_EQ(lines.value("A100_promoP200").uomCode, "CS");

    // Removing a promotion line reaches the delegate too.
    answer(*summer, 0, "0");
    EXPECT_FALSE(delegate.totalpurchaseListArray().contains("A100_promoP200"));
    EXPECT_EQ(delegate.totalpurchaseListArray().size(), 2);

    // setSalesItem takes the delegate's lines, not its argument.
    summer->setSalesItem({line("X", "Z1", 1)});
    EXPECT_EQ(summer->getPurchaseItemList(), delegate.totalpurchaseListArray());
}

TEST_F(PromoProductFixture, BackInThePurchaseListThePromotionShowsItsBlankBadge)
{
    auto purchase = std::make_unique<PurchaseListViewController>();
    purchase->setDialogs(&dialogs);
    purchase->setSalesItem({line("ACME.2001", "A120", 3)});
    purchase->PromoFunction();
    ASSERT_EQ(purchase->cellCount(), 2);
    purchase->rowClicked(0); // Spring Deal, P100
    ASSERT_EQ(delegate.PromoCode(), "P100");

    auto spring = open();
    ASSERT_EQ(codes(spring->itemListArray()), QStringList({"A100", "B200"}));
    answer(*spring, 1, "4");
    const QList<SalesOrderDetails> handedBack = spring->getSalesOrderItemArray();
    ASSERT_EQ(handedBack.size(), 2);

    // The router builds a new purchase list with these lines.
    auto again = std::make_unique<PurchaseListViewController>();
    EXPECT_EQ(delegate.PromoClick(), "N");
    again->setSalesItem(handedBack);
    again->PromoFunction();
    EXPECT_FALSE(again->cellForRow(0).badgeHidden);
    EXPECT_EQ(again->cellForRow(0).badge, " ");
    EXPECT_TRUE(again->cellForRow(1).badgeHidden);
    EXPECT_EQ(again->getPurchaseItemList().keys(), QStringList({"A120", "B200_promoP100"}));
}
