#pragma once

#include "store/Material.h"
#include "workflow/PurchaseListBase.h"

#include <QStringList>

// The products of one running promotion, ordered as promotion lines: a line
// is filed under the item code marked with "_promo" and the promotion code
// (ABC in P1 is ABC_promoP1) and carries the promotion code, so the same item
// can be ordered plainly and in any number of promotions side by side.
//
// The promotion comes from the purchase list through the application
// delegate (its code, description, product list text and the order's lines
// so far); every change of the lines goes back there, and leaving builds a
// new purchase list with them.
class PromoProductViewController : public PurchaseListBase
{
    Q_OBJECT
    // The promotion's description, shown as the title.
    Q_PROPERTY(QString promoName READ promoName CONSTANT)

public:
    explicit PromoProductViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("PromoProductView"); }

    // Takes the application delegate's lines again, whatever it is given.
    void setSalesItem(const QList<SalesOrderDetails>& items) override;

    QString promoName() const { return _promoName; }
    QString promoCode() const { return _promoCode; }
    // The codes of the promotion's active products, joined with "','".
    QString Product_String() const { return _productString; }
    void setProduct_String(const QString& productString);
    // Always "Item" here.
    QString Showtype() const { return QStringLiteral("Item"); }
    QList<Material> itemListArray() const { return _itemListArray; }

    // The item codes of the active products in a promotion's product list
    // text: a JSON array of objects with "skuCode" and "status", where "("
    // and ")" stand for "[" and "]". A product is active when its status
    // contains 20 ("20", "120"). Text that is not such an array gives none.
    static QStringList activeProductCodes(const QString& productList);
    // The key and item code of an item's line inside a promotion.
    static QString markedCode(const QString& skuCode, const QString& promoCode);

    void searchWithKeyword() override;
    Q_INVOKABLE void rowClicked(int row) override;

    int cellCount() const override { return int(_itemListArray.size()); }
    PurchaseListCell cellForRow(int row) const override;
    // A search that found nothing says so; otherwise the promotion has no
    // active product, or none of them is in the catalogue on this tablet.
    QString emptyText() const override;

protected:
    QString lineCode(int row) const override;
    QString newLinePromocode() const override { return _promoCode; }
    std::pair<QString, QString> unitsOfRow(int row) const override;
    void linesChanged() override;
    void resetSearchBase() override;
    void showSearchBase() override;

private:
    void takeDelegateLines();
    // The promotion's products, in the order of its product list.
    QList<Material> promotionProducts() const;
    void showItems(const QList<Material>& items);

    QString _promoCode;
    QString _promoName;
    QString _productString;
    QList<Material> _itemListArray;
    QList<Material> _itemListForSearchArray;
};
