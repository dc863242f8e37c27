#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/QuantityPopover.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/QuantityInputPopoverViewController.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
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
        TestSandbox::setNow(u"2025-05-01 10:00:00"_s);
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
    // The promotion's products screen for the promotion entered last.
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

const QString kSpring =
    u"[{\"skuCode\": \"B200\", \"status\": \"20\"}, {\"skuCode\": \"A100\", \"status\": \"20\"},"
    " {\"skuCode\": \"X999\", \"status\": \"20\"}, {\"skuCode\": \"A121\", \"status\": \"10\"}]"_s;
} // namespace

// ---- the product list text

TEST(PromotionProductList, ReadsActiveCodesFromBracketsOrParentheses)
{
    // A status holding "20", as text or number, is active; anything else is skipped.
    const QString brackets =
        u"[{\"skuCode\":\"A1\",\"status\":\"20\"},{\"skuCode\":\"A2\",\"status\":\"10\"},"
        u"{\"skuCode\":\"A3\",\"status\":\"120\"},{\"skuCode\":\"A4\",\"status\":20},"
        u"{\"skuCode\":\"A5\"},{\"skuCode\":\"A6\",\"status\":\"2 0\"},\"A7\",42,"
        u"{\"status\":\"20\"}]"_s;
    QString parentheses = brackets;
    parentheses.replace('[', '(').replace(']', ')');
    for (const QString& text : {brackets, parentheses})
        EXPECT_EQ(PromoProductViewController::activeProductCodes(text),
                  QStringList({"A1", "A3", "A4"}));
    for (const char* broken : {"", "(", "not json", "{\"skuCode\":\"A1\",\"status\":\"20\"}",
                               "[{\"skuCode\":\"A1\",\"status\":\"20\"}", "null", "\"A1\""})
        EXPECT_TRUE(
            PromoProductViewController::activeProductCodes(QString::fromUtf8(broken)).isEmpty())
            << broken;
}

TEST_F(PromoProductFixture, ShowsTheActiveProductsThatTheCatalogueKnowsInPromotionOrder)
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
    for (const QVariantMap& p : AppManager::getPromoList())
        if (p.value("promotionCode") == "P700")
            stored = p.value("promotionproduct").toString();
    enter("P700", "Buy ten", stored);
    EXPECT_EQ(codes(open()->itemListArray()), QStringList({"A121", "A100"}));

    enter("P100", "Spring Deal description", kSpring);
    auto screen = open();
    EXPECT_EQ(screen->promoName(), "Spring Deal description");
    EXPECT_EQ(screen->Product_String(), "B200','A100','X999");
    // X999's brand is not stored, so the catalogue does not list it.
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200", "A100"}));
    EXPECT_EQ(screen->cellForRow(1).descriptionLabel, "Item A100");
    EXPECT_TRUE(screen->cellForRow(1).badgeHidden);
    // The search looks through the promotion's products only.
    screen->searchBarTextDidBeginEditing();
    screen->searchBar("ITEM");
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200", "A100"}));
    screen->searchBar("ITEM B");
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200"}));
    screen->searchBarCancelButtonClicked();
    EXPECT_EQ(codes(screen->itemListArray()), QStringList({"B200", "A100"}));
}

TEST_F(PromoProductFixture, MalformedOrInactiveProductListsShowNothingAndSayWhy)
{
    const QString none = u"This promotion has no active products."_s;
    const QString unknown =
        u"None of this promotion's products is in the catalogue on this tablet."_s;
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
    EXPECT_EQ(promo.promocode, "P100");
    EXPECT_EQ(promo.quantity, 6);
    EXPECT_EQ(promo.uomCode, "PC");
    EXPECT_EQ(lines.value("A100"), plain);
    EXPECT_EQ(spring->cellForRow(1).badge, "6PC");
    // The purchase list sees the lines through the delegate.
    EXPECT_EQ(delegate.totalpurchaseListArray(), lines);
    EXPECT_EQ(spring->getSalesOrderItemArray().size(), 2);

    // The same item in another promotion is another line.
    enter("P200", "Summer Deal description", u"[{\"skuCode\": \"A100\", \"status\": \"20\"}]"_s);
    auto summer = open();
    EXPECT_TRUE(summer->cellForRow(0).badgeHidden);
    answer(*summer, 0, "2");
    lines = delegate.totalpurchaseListArray();
    EXPECT_EQ(lines.keys(), QStringList({"A100", "A100_promoP100", "A100_promoP200"}));
    EXPECT_EQ(lines.value("A100_promoP200").uomCode, "CS");

    // Removing a promotion line reaches the delegate too.
    answer(*summer, 0, "0");
    EXPECT_FALSE(delegate.totalpurchaseListArray().contains("A100_promoP200"));
    EXPECT_EQ(delegate.totalpurchaseListArray().size(), 2);

    // setSalesItem takes the delegate's lines, not its argument.
    summer->setSalesItem({line("X", "Z1", 1)});
    EXPECT_EQ(summer->getPurchaseItemList(), delegate.totalpurchaseListArray());
}
