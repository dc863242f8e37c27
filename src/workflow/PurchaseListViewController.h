#pragma once

#include "workflow/CatalogueFilter.h"
#include "workflow/PurchaseListBase.h"

#include <QStringList>
#include <QVariantMap>
#include <array>

// The screen on which the salesman picks an order's lines. It shows either
// the item catalogue ("Item"), narrowed by six category filters and a text
// search, or the running promotions ("Promo"). Touching an item asks for a
// quantity and a unit; touching a promotion opens its products, which share
// this screen's lines through the application delegate. Going back hands the
// lines to a new order editor, which stores them when the order is saved.
//
// The catalogue is read once per visit; searches and filters work on that
// copy. A category choice filters the whole catalogue by every chosen
// category and offers, in each category's sheet, only the values left; a
// search looks through the whole catalogue whatever the categories say.
class PurchaseListViewController : public PurchaseListBase
{
    Q_OBJECT
    Q_PROPERTY(QString showtype READ Showtype NOTIFY showtypeChanged)
    // The six category buttons: each its idle title ("Category1" ...) or the
    // value chosen as its filter. They take touches in "Item" mode only.
    Q_PROPERTY(QStringList categoryTitles READ categoryTitles NOTIFY categoryTitlesChanged)
    Q_PROPERTY(bool categoriesEnabled READ categoriesEnabled NOTIFY showtypeChanged)

public:
    static const QString kItem;  // "Item"
    static const QString kPromo; // "Promo"

    explicit PurchaseListViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("PurchaseListView"); }

    // The order's lines as the editor had them: one per item code, a later
    // line replacing an earlier one of the same code.
    void setSalesItem(const QList<SalesOrderDetails>& items) override;
    QList<SalesOrderDetails> purchaseListArray() const { return _purchaseListArray; }

    QString Showtype() const { return _showtype; }
    bool categoriesEnabled() const { return _showtype == kItem; }
    QStringList categoryTitles() const;
    // The idle title of category button n (1 to 6).
    static QString idleTitle(int n);
    // The values category n (1 to 6) offers now.
    QStringList cateArray(int n) const;
    QStringList Cate1Array() const { return cateArray(1); }
    QStringList Cate2Array() const { return cateArray(2); }
    QStringList Cate3Array() const { return cateArray(3); }
    QStringList Cate4Array() const { return cateArray(4); }
    QStringList Cate5Array() const { return cateArray(5); }
    QStringList Cate6Array() const { return cateArray(6); }
    // The category whose sheet was opened last, "1" to "6".
    QString CateSelect() const { return _cateSelect; }

    // What the list shows now: items in "Item" mode, promotions in "Promo".
    QList<Material> itemListArray() const;
    QList<QVariantMap> promoListArray() const { return _promoListArray; }

    // The buttons.
    Q_INVOKABLE void ItemFunction();
    Q_INVOKABLE void PromoFunction();
    // Opens the value sheet of category button `tag` (1 to 6).
    Q_INVOKABLE void cateFunction(int tag);
    // Every category back to its idle title: the whole catalogue.
    Q_INVOKABLE void CancelcateFunction();
    // The answer of a category sheet: an index below the number of values
    // chooses that value; the number of values ("test1", the sheet's cancel
    // entry) changes no title; one more ("Cancel") drops this category's
    // filter. Every answer filters the whole catalogue anew.
    void actionSheet(int clickedButtonAtIndex);

    void searchWithKeyword() override;
    Q_INVOKABLE void rowClicked(int row) override;

    int cellCount() const override;
    PurchaseListCell cellForRow(int row) const override;
    // A search that found nothing says so; otherwise no promotion is running,
    // no item is left by the categories, or the catalogue is empty.
    QString emptyText() const override;

Q_SIGNALS:
    void showtypeChanged();
    void categoryTitlesChanged();

protected:
    QString lineCode(int row) const override;
    QString newLinePromocode() const override { return QStringLiteral(" "); }
    std::pair<QString, QString> unitsOfRow(int row) const override;
    void resetSearchBase() override;
    void showSearchBase() override;

private:
    void setShowtype(const QString& type);
    void setCategoryTitle(int index, const QString& title);
    void showItems(const CatalogueFilter::Rows& rows);
    void showPromotions(const QList<QVariantMap>& promotions);
    void rebuildCategoryArrays();
    // The chosen filters: each button's title, empty where it is idle.
    CatalogueFilter::Categories chosenCategories() const;

    QList<SalesOrderDetails> _purchaseListArray;
    QString _showtype;
    CatalogueFilter _catalogue;
    // "Item" mode: positions in the catalogue. "Promo" mode: the promotions.
    CatalogueFilter::Rows _itemListArray;
    QList<QVariantMap> _promoListArray;
    // The promotions a search in "Promo" mode starts from; in "Item" mode a
    // search always starts from the whole catalogue.
    QList<QVariantMap> _promoListForSearchArray;
    std::array<QStringList, CatalogueFilter::kCategories> _cateArrays;
    std::array<QString, CatalogueFilter::kCategories> _cateTitles;
    QString _cateSelect = QStringLiteral("1");
};
