#include "workflow/PurchaseListViewController.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/Dialogs.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"

#include <QPointer>

const QString PurchaseListViewController::kItem = QStringLiteral("Item");
const QString PurchaseListViewController::kPromo = QStringLiteral("Promo");

PurchaseListViewController::PurchaseListViewController(QObject* parent) : PurchaseListBase(parent)
{
    // Whoever comes here is no longer inside a promotion.
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setPromoClick(QStringLiteral("N"));
    for (int n = 1; n <= CatalogueFilter::kCategories; ++n)
        _cateTitles[n - 1] = idleTitle(n);
    _catalogue.setItems(AppManager::getItemList());
    _showtype = kItem;
    showItems(_catalogue.all());
    rebuildCategoryArrays();
    _cateSelect = QStringLiteral("1");
}

void PurchaseListViewController::setSalesItem(const QList<SalesOrderDetails>& items)
{
    _purchaseListArray = items;
    _purchaseItemList.clear();
    for (const SalesOrderDetails& line : items)
        _purchaseItemList.insert(line.skuCode, line);
    _model.refreshBadges();
}

// ---- state

QString PurchaseListViewController::idleTitle(int n)
{
    return QStringLiteral("Category%1").arg(n);
}

QStringList PurchaseListViewController::categoryTitles() const
{
    return QStringList(_cateTitles.begin(), _cateTitles.end());
}

QStringList PurchaseListViewController::cateArray(int n) const
{
    if (n < 1 || n > CatalogueFilter::kCategories)
        return {};
    return _cateArrays[n - 1];
}

QList<Material> PurchaseListViewController::itemListArray() const
{
    QList<Material> items;
    if (_showtype != kItem)
        return items;
    items.reserve(_itemListArray.size());
    for (qsizetype row : _itemListArray)
        items.append(_catalogue.at(row));
    return items;
}

void PurchaseListViewController::setShowtype(const QString& type)
{
    if (_showtype == type)
        return;
    _showtype = type;
    Q_EMIT showtypeChanged();
}

void PurchaseListViewController::setCategoryTitle(int index, const QString& title)
{
    if (_cateTitles[index] == title)
        return;
    _cateTitles[index] = title;
    Q_EMIT categoryTitlesChanged();
}

CatalogueFilter::Categories PurchaseListViewController::chosenCategories() const
{
    CatalogueFilter::Categories chosen;
    for (int n = 1; n <= CatalogueFilter::kCategories; ++n) {
        const QString& title = _cateTitles[n - 1];
        if (title != idleTitle(n))
            chosen[n - 1] = title;
    }
    return chosen;
}

void PurchaseListViewController::showItems(const CatalogueFilter::Rows& rows)
{
    _itemListArray = rows;
    _promoListArray.clear();
    _model.reload();
    Q_EMIT listChanged();
}

QString PurchaseListViewController::emptyText() const
{
    if (!keyword().isEmpty())
        return noMatchText(_showtype == kPromo ? "PURCHASELIST_NO_PROMOTION_MATCH"
                                               : "PURCHASELIST_NO_PRODUCT_MATCH");
    if (_showtype == kPromo)
        return Strings::localized("PURCHASELIST_NO_PROMOTION");
    return Strings::localized(_catalogue.size() == 0 ? "PURCHASELIST_NO_ITEMS"
                                                     : "PURCHASELIST_EMPTY");
}

void PurchaseListViewController::showPromotions(const QList<QVariantMap>& promotions)
{
    _promoListArray = promotions;
    _itemListArray.clear();
    _model.reload();
    Q_EMIT listChanged();
}

void PurchaseListViewController::rebuildCategoryArrays()
{
    _cateArrays = _catalogue.categoryValues(_itemListArray);
}

// ---- modes

void PurchaseListViewController::ItemFunction()
{
    setKeyword(QString());
    setSearchBarActive(false);
    setShowtype(kItem);
    // The category buttons keep their titles; the list is the whole
    // catalogue until the next category choice.
    showItems(_catalogue.all());
}

void PurchaseListViewController::PromoFunction()
{
    setKeyword(QString());
    setSearchBarActive(false);
    setShowtype(kPromo);
    _promoListForSearchArray = AppManager::getPromoList();
    showPromotions(_promoListForSearchArray);
}

// ---- categories

void PurchaseListViewController::cateFunction(int tag)
{
    if (tag < 1 || tag > CatalogueFilter::kCategories || _showtype != kItem)
        return;
    _cateSelect = QString::number(tag);
    if (!dialogs())
        return;
    const QStringList values = _cateArrays[tag - 1];
    const qsizetype count = values.size();
    QPointer<PurchaseListViewController> self(this);
    // The sheet lists the values and then "Cancel". Its own cancel entry
    // ("test1", index = number of values) is not drawn, as on a tablet: a
    // touch outside the sheet answers it.
    dialogs()->showActionSheet(QStringLiteral("Categroy%1").arg(tag), QStringLiteral("Cancel"),
                               values, [self, count](int index, const QString&) {
                                   if (!self)
                                       return;
                                   if (index < 0)
                                       self->actionSheet(int(count));
                                   else if (index >= count)
                                       self->actionSheet(int(count) + 1);
                                   else
                                       self->actionSheet(index);
                               });
}

void PurchaseListViewController::actionSheet(int clickedButtonAtIndex)
{
    if (_showtype != kItem)
        return;
    const int n = _cateSelect.toInt();
    if (n < 1 || n > CatalogueFilter::kCategories)
        return;
    const QStringList& values = _cateArrays[n - 1];
    if (clickedButtonAtIndex >= 0 && clickedButtonAtIndex < values.size())
        setCategoryTitle(n - 1, values.at(clickedButtonAtIndex));
    else if (clickedButtonAtIndex == values.size() + 1)
        setCategoryTitle(n - 1, idleTitle(n));
    // The list now follows the categories; a search text left in the field
    // would claim otherwise.
    setKeyword(QString());
    setSearchBarActive(false);
    showItems(_catalogue.filter(chosenCategories()));
    rebuildCategoryArrays();
    _cateSelect = QStringLiteral("1");
}

void PurchaseListViewController::CancelcateFunction()
{
    if (_showtype == kPromo)
        return;
    for (int n = 1; n <= CatalogueFilter::kCategories; ++n)
        setCategoryTitle(n - 1, idleTitle(n));
    setKeyword(QString());
    setSearchBarActive(false);
    showItems(_catalogue.all());
    rebuildCategoryArrays();
    _cateSelect = QStringLiteral("1");
}

// ---- search

void PurchaseListViewController::resetSearchBase()
{
    if (_showtype == kPromo)
        _promoListForSearchArray = AppManager::getPromoList();
}

void PurchaseListViewController::showSearchBase()
{
    if (_showtype == kPromo)
        showPromotions(_promoListForSearchArray);
    else
        showItems(_catalogue.all());
}

void PurchaseListViewController::searchWithKeyword()
{
    const QString& word = keyword();
    if (_showtype != kPromo) {
        showItems(_catalogue.search(word));
        return;
    }
    if (word.isEmpty()) {
        showPromotions(_promoListForSearchArray);
        return;
    }
    QList<QVariantMap> found;
    for (const QVariantMap& promotion : std::as_const(_promoListForSearchArray)) {
        if (promotion.value(QStringLiteral("promotionName"))
                .toString()
                .contains(word, Qt::CaseInsensitive) ||
            promotion.value(QStringLiteral("promotionDesc"))
                .toString()
                .contains(word, Qt::CaseInsensitive))
            found.append(promotion);
    }
    showPromotions(found);
}

// ---- rows

int PurchaseListViewController::cellCount() const
{
    return int(_showtype == kPromo ? _promoListArray.size() : _itemListArray.size());
}

PurchaseListCell PurchaseListViewController::cellForRow(int row) const
{
    if (row < 0 || row >= cellCount())
        return {};
    if (_showtype != kPromo) {
        const Material& item = _catalogue.at(_itemListArray.at(row));
        return PurchaseListCell::withLine(item.skuCode, item.description, lineFor(item.skuCode));
    }
    const QVariantMap& promotion = _promoListArray.at(row);
    PurchaseListCell cell;
    cell.skuCodeLabel = promotion.value(QStringLiteral("promotionName")).toString();
    cell.descriptionLabel = promotion.value(QStringLiteral("promotionDesc")).toString();
    const QString code = promotion.value(QStringLiteral("promotionCode")).toString();
    for (const SalesOrderDetails& line : _purchaseItemList) {
        if (line.promocode == code) {
            cell.badge = QStringLiteral(" ");
            cell.badgeHidden = false;
            break;
        }
    }
    return cell;
}

QString PurchaseListViewController::lineCode(int row) const
{
    if (_showtype == kPromo || row < 0 || row >= cellCount())
        return QString();
    return _catalogue.at(_itemListArray.at(row)).skuCode;
}

std::pair<QString, QString> PurchaseListViewController::unitsOfRow(int row) const
{
    if (_showtype == kPromo || row < 0 || row >= cellCount())
        return {};
    const Material& item = _catalogue.at(_itemListArray.at(row));
    return {item.unit1, item.unit2};
}

void PurchaseListViewController::rowClicked(int row)
{
    if (row < 0 || row >= cellCount())
        return;
    if (_showtype != kPromo) {
        touchItem(row);
        return;
    }
    const QVariantMap promotion = _promoListArray.at(row);
    if (AppDelegate* delegate = AppDelegate::sharedDelegate()) {
        delegate->setPromoClick(QStringLiteral("Y"));
        delegate->setTotalpurchaseListArray(_purchaseItemList);
        delegate->setPromoCode(promotion.value(QStringLiteral("promotionCode")).toString());
        delegate->setPromoProductList(
            promotion.value(QStringLiteral("promotionproduct")).toString());
        delegate->setPromoName(promotion.value(QStringLiteral("promotionDesc")).toString());
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("rowclicked"));
}
