// A salesman new to the device logs in against the reference order server,
// starts an order, picks items from the catalogue and from a running
// promotion, and takes them back to the order editor: every line arrives
// there, the promotion's lines marked with its code beside the plain ones.
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/DemoSession.h"
#include "support/FakeDialogs.h"
#include "support/QuantityPopover.h"
#include "support/TestSandbox.h"
#include "support/TestServer.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"
#include "workflow/QuantityInputPopoverViewController.h"
#include "workflow/ScreenRoles.h"
#include "workflow/ViewController.h"

#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
void postTag(int tag)
{
    NotificationCenter::defaultCenter().post("headerViewbuttonClicked",
                                             {{"headerViewButtonTag", tag}});
}

int count(const QString& sql)
{
    Statement s = DataManager::sharedManager()->executeQuery(sql);
    return s.step() == Statement::Row ? s.columnInt(0) : -1;
}

// What the server itself holds as the active products of a promotion.
QStringList serverPromotionProducts(const TestServer& server, const QString& promotionCode)
{
    QStringList codes;
    sqlite3* db = nullptr;
    const QByteArray path = (server.dataDirectory() + "/fieldbook.sqlite").toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(
            db,
            "SELECT p.skuCode FROM promotionProduct p JOIN promotion q ON "
            "q.PromotionId = p.PromotionId WHERE q.PromotionCode = ? AND p.status = 20 "
            "ORDER BY p.position",
            -1, &statement, nullptr);
        const QByteArray code = promotionCode.toUtf8();
        sqlite3_bind_text(statement, 1, code.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW)
            codes << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return codes;
}

// Answers the quantity popover the screen has just opened.
void enterQuantity(FakeDialogs& dialogs, const QString& quantity, bool secondUnit = false)
{
    ASSERT_NO_FATAL_FAILURE(answerQuantityPopover(dialogs, quantity, secondUnit));
    dialogs.last("popover")->controller = nullptr; // gone once answered
}

int rowOf(const PurchaseListBase& screen, const QString& label)
{
    for (int row = 0; row < screen.cellCount(); ++row) {
        if (screen.cellForRow(row).skuCodeLabel == label)
            return row;
    }
    return -1;
}
} // namespace

TEST(PurchaseE2E, CatalogueAndPromotionLinesReachTheOrderEditor)
{
    TestSandbox sandbox;
    DemoSession session;
    ASSERT_NO_FATAL_FAILURE(session.start());
    FakeDialogs dialogs;
    ViewController root;
    root.setDialogs(&dialogs);
    ASSERT_NO_FATAL_FAILURE(session.logIn());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return count("SELECT COUNT(*) FROM promote_db") > 0; }, 10000));

    // A new order, then its add-item command.
    postTag(13);
    auto* editor = dynamic_cast<OrderEditorScreen*>(root.currentScreen());
    ASSERT_NE(editor, nullptr);
    const QString number = editor->salesOrder().purchaseOrderNo;
    postTag(33);
    auto* purchase = qobject_cast<PurchaseListViewController*>(root.currentScreen());
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(root.header()->getType(), 3);
    EXPECT_EQ(purchase->cellCount(),
              count("SELECT COUNT(*) FROM material JOIN brand ON brand.brandCode = material.brand "
                    "WHERE material.status = 20"));
    ASSERT_FALSE(purchase->Cate1Array().isEmpty());

    // A category from the server's data narrows the catalogue; the first item
    // left is ordered.
    const QString division = purchase->Cate1Array().value(1);
    purchase->cateFunction(1);
    ASSERT_TRUE(dialogs.choose(division));
    ASSERT_GT(purchase->cellCount(), 0);
    for (const Material& item : purchase->itemListArray())
        ASSERT_TRUE(item.cate1.contains(division, Qt::CaseInsensitive)) << qPrintable(item.skuCode);
    const QString first = purchase->itemListArray().at(0).skuCode;
    purchase->rowClicked(0);
    enterQuantity(dialogs, "6");

    // Into a running promotion.
    purchase->PromoFunction();
    const int promotionRow = rowOf(*purchase, "Juice Week");
    ASSERT_GE(promotionRow, 0);
    const QString promotionCode =
        purchase->promoListArray().at(promotionRow).value("promotionCode").toString();
    purchase->rowClicked(promotionRow);
    auto* products = qobject_cast<PromoProductViewController*>(root.currentScreen());
    ASSERT_NE(products, nullptr);
    EXPECT_EQ(products->promoName(), "Sunny Day juices: 8 percent off every second case");
    // Exactly the products the server holds as active, the switched-off one left out.
    const QStringList active = serverPromotionProducts(*session.server, promotionCode);
    ASSERT_GE(active.size(), 2);
    QStringList shown;
    for (const Material& item : products->itemListArray())
        shown << item.skuCode;
    EXPECT_EQ(shown, active);
    // A product other than the item ordered already.
    const int productRow = shown.at(0) == first ? 1 : 0;
    const QString promoted = shown.at(productRow);
    products->rowClicked(productRow);
    enterQuantity(dialogs, "2");
    EXPECT_EQ(products->cellForRow(productRow).badge, "2CS");

    // Back in the purchase list the promotion shows its mark, and the same
    // item is ordered once more outside the promotion.
    postTag(51);
    purchase = qobject_cast<PurchaseListViewController*>(root.currentScreen());
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(session.delegate->PromoClick(), "N");
    purchase->PromoFunction();
    EXPECT_EQ(purchase->cellForRow(promotionRow).badge, " ");
    purchase->ItemFunction();
    purchase->searchBar(promoted);
    ASSERT_EQ(purchase->cellCount(), 1);
    purchase->rowClicked(0);
    enterQuantity(dialogs, "4", true);

    // Back to the order editor with every line.
    postTag(51);
    editor = dynamic_cast<OrderEditorScreen*>(root.currentScreen());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(root.header()->getType(), 6);
    EXPECT_TRUE(editor->haveChanged());
    EXPECT_EQ(editor->salesOrder().purchaseOrderNo, number);
    QMap<QString, SalesOrderDetails> lines;
    for (const SalesOrderDetails& line : editor->salesOrderItemArray())
        lines.insert(line.skuCode, line);
    const QString marked = promoted + "_promo" + promotionCode;
    QStringList expected{first, promoted, marked};
    expected.sort();
    ASSERT_EQ(lines.keys(), expected);
    EXPECT_EQ(lines.value(first).quantity, 6);
    EXPECT_EQ(lines.value(first).promocode, " ");
    EXPECT_EQ(lines.value(marked).quantity, 2);
    EXPECT_EQ(lines.value(marked).promocode, promotionCode);
    EXPECT_EQ(lines.value(promoted).quantity, 4);
    EXPECT_EQ(lines.value(promoted).promocode, " ");
    const std::optional<Material> promotedItem = AppManager::getMaterial(promoted);
    ASSERT_TRUE(promotedItem);
    EXPECT_EQ(lines.value(promoted).uomCode, promotedItem->unit2);
    EXPECT_EQ(lines.value(marked).uomCode, promotedItem->unit1);

    DownloadManager::releaseManager();
    Session::setAuthToken(QString());
}
