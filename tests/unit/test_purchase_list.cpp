// The purchase list and the products of a promotion: what they show, their
// filters and searches, and the order lines their quantity answers make.
#include "core/AppDelegate.h"
#include "platform/Strings.h"
#include "support/FakeDialogs.h"
#include "support/ListTexts.h"
#include "support/QuantityPopover.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/CatalogueFilter.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListModel.h"
#include "workflow/PurchaseListViewController.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace StoreFixtures;

namespace {
// A store with the clock at 2025-05-01 10:00, and what the lists need around them.
struct ListFixture : ::testing::Test
{
    TestSandbox sandbox;
    FakeDialogs dialogs;
    AppDelegate delegate{nullptr};

    void SetUp() override { TestSandbox::setNow(u"2025-05-01 10:00:00"_s); }
    void TearDown() override { TestSandbox::restoreClock(); }

    // Every row of a list as shown: "A100 [7CS]", or "A100 -" without a badge.
    static QStringList shownRows(const PurchaseListSource& list)
    {
        QStringList rows;
        for (int row = 0; row < list.cellCount(); ++row) {
            const PurchaseListCell cell = list.cellForRow(row);
            rows << cell.skuCodeLabel +
                        (cell.badgeHidden ? QString(" -") : " [" + cell.badge + ']');
        }
        return rows;
    }
    // Touches a row and answers the quantity popover it opens.
    void answerRow(PurchaseListBase& list, int row, const QString& quantity, bool second = false)
    {
        list.rowClicked(row);
        answerQuantityPopover(dialogs, quantity, second);
    }
};

// A catalogue in which category 1 holds "A" in several spellings; K9 is
// inactive, never offered.
struct PurchaseListFixture : ListFixture
{
    std::unique_ptr<PurchaseListViewController> screen;

    void SetUp() override
    {
        ListFixture::SetUp();
        ASSERT_TRUE(addBrand("1", "Alpha") && addBrand("2", "Beta"));
        // sku, priority, category 1 and 2, brand (1 Alpha, 2 Beta)
        const char* rows[][5] = {{"K0", "1", "A", "Dry", "1"},  {"K1", "2", "a", "Dry", "1"},
                                 {"K2", "3", "AB", "Wet", "2"}, {"K3", "4", "XA", "Dry", "2"},
                                 {"K4", "5", "B", "Dry", "1"},  {"K5", "6", "", "Wet", "1"},
                                 {"K9", "7", "A", "Dry", "1"}};
        for (const auto& row : rows) {
            Material m = item(row[0], row[4], row[1]);
            m.cate1 = row[2];
            m.cate2 = row[3];
            m.unit1 = u"BOX"_s;
            m.unit2 = u"PCS"_s;
            if (m.skuCode == "K9")
                m.status = 10;
            ASSERT_TRUE(addMaterial(m));
        }
        ASSERT_TRUE(seedPromotions());
        screen = std::make_unique<PurchaseListViewController>();
        screen->setDialogs(&dialogs);
    }
    QStringList shown() const { return skuCodes(screen->itemListArray()); }
    // The list, the first two category titles and the first category's
    // choices: "K2 K5 | Category1 Wet | AB".
    QString state() const
    {
        return shown().join(' ') + " | " + screen->categoryTitles().mid(0, 2).join(' ') + " | " +
               screen->Cate1Array().join(' ');
    }
    // Opens the sheet of category n and answers it with the entry of that
    // title ("Cancel" drops the filter).
    void choose(int n, const QString& title)
    {
        screen->cateFunction(n);
        ASSERT_EQ(dialogs.last()->kind, "actionSheet");
        ASSERT_TRUE(dialogs.choose(title)) << qPrintable(title);
    }
    // An item's line: "12 BOX [ ] ACME.2001 10:00:00 10:05:00" (quantity, unit,
    // promotion, order, times created and changed).
    QString lineOf(const QString& sku) const
    {
        const SalesOrderDetails l = screen->getPurchaseItemList().value(sku);
        return u"%1 %2 [%3] %4 %5 %6"_s.arg(l.quantity)
            .arg(l.uomCode, l.promocode, l.orderNo, l.creationDate.mid(11), l.lastupdate.mid(11));
    }
};

struct PromoProductFixture : ListFixture
{
    void SetUp() override
    {
        ListFixture::SetUp();
        ASSERT_TRUE(seedCatalogue() && seedPromotions());
    }

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

TEST_F(PurchaseListFixture, CategoryChoicesFilterBySubstringIgnoringCaseAndCombine)
{
    // In the order first met; equal texts once; an empty value is no choice.
    EXPECT_EQ(state(), "K0 K1 K2 K3 K4 K5 | Category1 Category2 | A a AB XA B");
    screen->cateFunction(2);
    EXPECT_EQ(dialogs.last()->title + ": " + dialogs.last()->buttons.join(' '),
              "Categroy2: Dry Wet Cancel");
    // Tags outside 1 to 6 open nothing.
    dialogs.clear();
    screen->cateFunction(0);
    screen->cateFunction(7);
    EXPECT_EQ(dialogs.count("actionSheet"), 0);

    // Every sheet then offers only what is left.
    choose(1, "A");
    EXPECT_EQ(state(), "K0 K1 K2 K3 | A Category2 | A a AB XA");
    choose(2, "Wet");
    EXPECT_EQ(state(), "K2 | A Wet | AB");
    // "Cancel" in the first sheet drops that filter and keeps the other.
    choose(1, "Cancel");
    EXPECT_EQ(state(), "K2 K5 | Category1 Wet | AB");
    // The sheet's own cancel entry (a touch outside it) changes nothing.
    screen->cateFunction(2);
    dialogs.last("actionSheet")->answer(-1, QString());
    EXPECT_EQ(state(), "K2 K5 | Category1 Wet | AB");
    // Clearing every filter shows the whole catalogue with every value again.
    screen->CancelcateFunction();
    EXPECT_EQ(state(), "K0 K1 K2 K3 K4 K5 | Category1 Category2 | A a AB XA B");
}

TEST_F(PurchaseListFixture, PromoModeListsRunningPromotionsAndDisablesCategories)
{
    choose(1, "XA");
    screen->PromoFunction();
    EXPECT_FALSE(screen->categoriesEnabled());
    // Categories neither open nor clear in "Promo" mode. P050 has expired.
    dialogs.clear();
    screen->cateFunction(1);
    EXPECT_EQ(dialogs.count("actionSheet"), 0);
    screen->CancelcateFunction();
    EXPECT_EQ(shownRows(*screen), QStringList({"Spring Deal -", "Summer Deal -"}));

    // The search looks at names and descriptions; an empty list says why.
    screen->searchBarTextDidBeginEditing();
    screen->searchBar("SUMMER");
    EXPECT_EQ(shownRows(*screen), QStringList({"Summer Deal -"}));
    screen->searchBar("deal description");
    EXPECT_EQ(screen->cellCount(), 2);
    screen->searchBar("xyz");
    EXPECT_EQ(screen->cellCount(), 0);
    EXPECT_EQ(screen->emptyText(), "No promotion matches “xyz”");

    // Back to the items: the search is cleared, the titles stay, the list is
    // the whole catalogue.
    screen->ItemFunction();
    EXPECT_TRUE(screen->keyword().isEmpty() && screen->categoriesEnabled());
    EXPECT_EQ(state(), "K0 K1 K2 K3 K4 K5 | XA Category2 | XA");
}

TEST_F(PurchaseListFixture, QuantityAnswersCreateChangeAndRemoveLines)
{
    // (What the model's rows hold is drawn, and checked, by the screen test.)
    QAbstractItemModelTester tester(screen->collectionView(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    screen->setSalesOrder(StoreFixtures::order("ACME.2001"));

    answerRow(*screen, 2, "12");
    EXPECT_EQ(lineOf("K2"), "12 BOX [ ] ACME.2001 10:00:00 10:00:00");

    // Another quantity changes the line and its time; the same again keeps them.
    TestSandbox::setNow(u"2025-05-01 10:05:00"_s);
    answerRow(*screen, 2, "3");
    EXPECT_EQ(lineOf("K2"), "3 BOX [ ] ACME.2001 10:00:00 10:05:00");
    TestSandbox::setNow(u"2025-05-01 10:09:00"_s);
    answerRow(*screen, 2, "3");
    EXPECT_EQ(lineOf("K2"), "3 BOX [ ] ACME.2001 10:00:00 10:05:00");

    // 0 removes the line and its badge; 0 for an item without a line adds none.
    answerRow(*screen, 2, "0");
    answerRow(*screen, 3, "0");
    EXPECT_TRUE(screen->getPurchaseItemList().isEmpty());
    EXPECT_TRUE(screen->cellForRow(2).badgeHidden);
}

TEST(PurchaseListLines, LeadingIntegerReadsTheDigitsItStartsWith)
{
    // Too many digits: the largest int, no wrap.
    const std::pair<const char*, int> cases[] = {
        {"5PCS", 5}, {"0012BOX", 12}, {"BOX", 0}, {"", 0}, {"99999999999999CS", INT_MAX}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(PurchaseListBase::leadingInteger(text), value) << text;
}

// The filter against a plain reading: search and category filters.
TEST(CatalogueFilter, FastSearchAgreesWithAPlainCaseInsensitiveScan)
{
    const QStringList texts = u"Müller Bäckerei|MÜLLER|straße|STRASSE|Ωmega|ωMEGA|İstanbul|"
                              u"istanbul|Crunchos Kid's Mix||café|CAFÉ|50% off|A_B|x"_s.split('|');
    QList<Material> items;
    for (int i = 0; i < 40; ++i) {
        Material m;
        m.skuCode = u"S%1"_s.arg(i);
        m.description = texts.at(i % texts.size());
        m.cate1 = texts.at((i * 3) % texts.size());
        m.cate4 = texts.at((i * 7) % texts.size());
        m.cate6 = texts.at((i * 5 + 1) % texts.size());
        m.brandname = texts.at((i * 11 + 2) % texts.size());
        items << m;
    }
    CatalogueFilter filter;
    filter.setItems(items);
    const auto has = [](const QString& value, const QString& part) {
        return !value.isEmpty() && value.contains(part, Qt::CaseInsensitive);
    };
    // The rows a plain scan finds.
    const auto plain = [&](const auto& matches) {
        CatalogueFilter::Rows rows;
        for (qsizetype i = 0; i < items.size(); ++i)
            if (matches(items.at(i)))
                rows << i;
        return rows;
    };
    QStringList keywords = u"müller|ÄCK|ss|ß|OMEGA|ω|stan|kid's|é|%|_|s1|X|ller b"_s.split('|');
    keywords << QString(QChar(0)) + "x";
    for (const QString& keyword : keywords)
        EXPECT_EQ(filter.search(keyword), plain([&](const Material& m) {
                      return std::ranges::any_of(
                          std::initializer_list<QString>{m.skuCode, m.description, m.cate1, m.cate2,
                                                         m.cate3, m.cate4, m.cate5, m.cate6,
                                                         m.brandname},
                          [&](const QString& field) { return has(field, keyword); });
                  }))
            << qPrintable(keyword);
    const QStringList chosen = {"", "MÜLLER", "ss", "ω", "é", "x", "kid"};
    for (const QString& first : chosen) {
        for (const QString& fourth : chosen) {
            const CatalogueFilter::Rows expected = plain([&](const Material& m) {
                return (first.isEmpty() || has(m.cate1, first)) &&
                       (fourth.isEmpty() || has(m.cate4, fourth));
            });
            EXPECT_EQ(filter.filter({first, {}, {}, fourth}), expected)
                << qPrintable(first + " / " + fourth);
        }
    }
    // Two fields side by side never make one match.
    Material joined;
    joined.skuCode = "AB";
    joined.description = "CD";
    filter.setItems({joined});
    EXPECT_TRUE(filter.search("bc").isEmpty());
}

// ---- the products of a promotion

TEST(PromotionProductList, ReadsActiveCodesAndSkipsTheRest)
{
    // A status holding "20", as text or number, is active; anything else is skipped.
    const QString brackets =
        u"[{\"skuCode\":\"A1\",\"status\":\"20\"},{\"skuCode\":\"A2\",\"status\":\"10\"},"
        u"{\"skuCode\":\"A3\",\"status\":\"120\"},{\"skuCode\":\"A4\",\"status\":20},"
        u"{\"skuCode\":\"A5\"},{\"skuCode\":\"A6\",\"status\":\"2 0\"},\"A7\",42,"
        u"{\"status\":\"20\"}]"_s;
    EXPECT_EQ(PromoProductViewController::activeProductCodes(brackets),
              QStringList({"A1", "A3", "A4"}));
    for (const char* broken : {"", "(", "not json", "{\"skuCode\":\"A1\",\"status\":\"20\"}",
                               "[{\"skuCode\":\"A1\",\"status\":\"20\"}", "null", "\"A1\""})
        EXPECT_TRUE(
            PromoProductViewController::activeProductCodes(QString::fromUtf8(broken)).isEmpty())
            << broken;
}

TEST_F(PromoProductFixture, ShowsTheActiveProductsTheCatalogueKnowsOrSaysWhyNone)
{
    auto screen = open("P100", "Spring Deal description", kSpring);
    EXPECT_EQ(screen->promoName(), "Spring Deal description");
    // X999's brand is not stored, so the catalogue does not list it.
    EXPECT_EQ(shownRows(*screen), QStringList({"B200 -", "A100 -"}));
    // The search looks through the promotion's products only.
    screen->searchBarTextDidBeginEditing();
    screen->searchBar("ITEM B");
    EXPECT_EQ(shownRows(*screen), QStringList({"B200 -"}));
    screen->searchBarCancelButtonClicked();
    EXPECT_EQ(screen->cellCount(), 2);

    // Without products to show the list says why.
    const std::pair<const char*, QString> cases[] = {
        {"[{\"skuCode\": \"A100\", \"status\": \"10\"}]",
         u"This promotion has no active products."_s},
        // Active, but not in the catalogue on this tablet.
        {"[{\"skuCode\": \"X999\", \"status\": \"20\"}]",
         u"None of this promotion's products is in the catalogue on this tablet."_s}};
    for (const auto& [text, why] : cases) {
        screen = open("P100", "Spring", QString::fromUtf8(text));
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
    // The plain line makes no badge here; the promotion's line goes beside it,
    // and the purchase list sees both through the delegate.
    answerRow(*spring, 1, "6", true);
    EXPECT_EQ(shownRows(*spring), QStringList({"B200 -", "A100 [6PC]"}));
    EXPECT_EQ(delegate.totalpurchaseListArray().value("A100_promoP100").promocode, "P100");
    EXPECT_EQ(delegate.totalpurchaseListArray().value("A100"), plain);

    // setSalesItem takes the delegate's lines, not its argument.
    delegate.setTotalpurchaseListArray({{"A100", plain}});
    spring->setSalesItem({line("X", "Z1", 1)});
    EXPECT_EQ(shownRows(*spring), QStringList({"B200 -", "A100 -"}));
}
