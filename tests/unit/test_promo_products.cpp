#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "store/DataManager.h"
#include "support/FakeDialogs.h"
#include "support/ListTexts.h"
#include "support/PurchaseRows.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/PromoProductViewController.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
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

    // The products screen of a promotion, entered as the purchase list leaves
    // it on the delegate when the promotion is touched.
    std::unique_ptr<PromoProductViewController> open(const QString& code, const QString& name,
                                                     const QString& products)
    {
        delegate.setPromoClick("Y");
        delegate.setPromoCode(code);
        delegate.setPromoName(name);
        delegate.setPromoProductList(products);
        auto screen = std::make_unique<PromoProductViewController>();
        screen->setDialogs(&dialogs);
        return screen;
    }
};

const QString kSpring =
    u"[{\"skuCode\": \"B200\", \"status\": \"20\"}, {\"skuCode\": \"A100\", \"status\": \"20\"},"
    " {\"skuCode\": \"X999\", \"status\": \"20\"}, {\"skuCode\": \"A121\", \"status\": \"10\"}]"_s;
} // namespace

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
    const QList<QVariantMap> stored = AppManager::getPromoList();
    const auto p700 = std::find_if(stored.begin(), stored.end(),
                                   [](auto& p) { return p["promotionCode"] == "P700"; });
    ASSERT_NE(p700, stored.end());
    EXPECT_EQ(
        skuCodes(
            open("P700", "Buy ten", p700->value("promotionproduct").toString())->itemListArray()),
        QStringList({"A121", "A100"}));

    auto screen = open("P100", "Spring Deal description", kSpring);
    EXPECT_EQ(screen->promoName(), "Spring Deal description");
    EXPECT_EQ(screen->Product_String(), "B200','A100','X999");
    // X999's brand is not stored, so the catalogue does not list it.
    EXPECT_EQ(shownRows(*screen), QStringList({"B200 -", "A100 -"}));
    EXPECT_EQ(screen->cellForRow(1).descriptionLabel, "Item A100");
    // The search looks through the promotion's products only.
    screen->searchBarTextDidBeginEditing();
    screen->searchBar("ITEM");
    EXPECT_EQ(screen->cellCount(), 2);
    screen->searchBar("ITEM B");
    EXPECT_EQ(shownRows(*screen), QStringList({"B200 -"}));
    screen->searchBarCancelButtonClicked();
    EXPECT_EQ(screen->cellCount(), 2);
}

TEST_F(PromoProductFixture, MalformedOrInactiveProductListsShowNothingAndSayWhy)
{
    const QString none = u"This promotion has no active products."_s;
    const std::pair<const char*, QString> cases[] = {
        {"[{\"skuCode\": \"A100\", \"status\": \"10\"}]", none},
        {"[{broken", none},
        {"A100", none},
        // Active, but not in the catalogue on this tablet.
        {"[{\"skuCode\": \"X999\", \"status\": \"20\"}]",
         u"None of this promotion's products is in the catalogue on this tablet."_s}};
    for (const auto& [text, why] : cases) {
        auto screen = open("P100", "Spring", QString::fromUtf8(text));
        EXPECT_TRUE(screen->itemListArray().isEmpty()) << text;
        EXPECT_EQ(screen->emptyText(), why) << text;
        screen->rowClicked(0);
        EXPECT_EQ(dialogs.count("popover"), 0);
    }
}

TEST_F(PromoProductFixture, PromotionLinesStandBesideOrdinaryLinesOfTheSameItem)
{
    const SalesOrderDetails plain = line("ACME.2001", "A100", 5);
    delegate.setTotalpurchaseListArray({{"A100", plain}});
    auto spring = open("P100", "Spring Deal description", kSpring);
    // The plain line does not make a badge here.
    ASSERT_EQ(shownRows(*spring), QStringList({"B200 -", "A100 -"}));

    answerRow(*spring, dialogs, 1, "6", true);
    const PurchaseItemList lines = spring->getPurchaseItemList();
    ASSERT_EQ(lines.keys(), QStringList({"A100", "A100_promoP100"}));
    const SalesOrderDetails promo = lines.value("A100_promoP100");
    EXPECT_EQ(u"%1 %2 %3"_s.arg(promo.promocode).arg(promo.quantity).arg(promo.uomCode),
              "P100 6 PC");
    EXPECT_EQ(lines.value("A100"), plain);
    EXPECT_EQ(shownRows(*spring), QStringList({"B200 -", "A100 [6PC]"}));
    // The purchase list sees the lines through the delegate.
    EXPECT_EQ(delegate.totalpurchaseListArray(), lines);
    EXPECT_EQ(spring->getSalesOrderItemArray().size(), 2);

    // The same item in another promotion is another line; removing it
    // reaches the delegate too.
    auto summer =
        open("P200", "Summer Deal description", u"[{\"skuCode\": \"A100\", \"status\": \"20\"}]"_s);
    EXPECT_EQ(shownRows(*summer), QStringList({"A100 -"}));
    answerRow(*summer, dialogs, 0, "2");
    EXPECT_EQ(delegate.totalpurchaseListArray().keys(),
              QStringList({"A100", "A100_promoP100", "A100_promoP200"}));
    EXPECT_EQ(delegate.totalpurchaseListArray().value("A100_promoP200").uomCode, "CS");
    answerRow(*summer, dialogs, 0, "0");
    EXPECT_EQ(delegate.totalpurchaseListArray().keys(), QStringList({"A100", "A100_promoP100"}));

    // setSalesItem takes the delegate's lines, not its argument.
    summer->setSalesItem({line("X", "Z1", 1)});
    EXPECT_EQ(summer->getPurchaseItemList(), delegate.totalpurchaseListArray());
}
