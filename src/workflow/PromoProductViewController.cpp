#include "workflow/PromoProductViewController.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/Strings.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(lcPromotion, "fieldbook.promotion")

namespace {
const QString kSeparator = QStringLiteral("','");
}

PromoProductViewController::PromoProductViewController(QObject* parent) : PurchaseListBase(parent)
{
    QString productList;
    if (AppDelegate* delegate = AppDelegate::sharedDelegate()) {
        _promoCode = delegate->PromoCode();
        _promoName = delegate->PromoName();
        productList = delegate->PromoProductList();
    }
    takeDelegateLines();
    _productString = activeProductCodes(productList).join(kSeparator);
    _itemListForSearchArray = promotionProducts();
    showItems(_itemListForSearchArray);
}

void PromoProductViewController::takeDelegateLines()
{
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        _purchaseItemList = delegate->totalpurchaseListArray();
    else
        _purchaseItemList.clear();
}

void PromoProductViewController::setSalesItem(const QList<SalesOrderDetails>&)
{
    takeDelegateLines();
    _model.refreshBadges();
}

void PromoProductViewController::setProduct_String(const QString& productString)
{
    _productString = productString;
    _itemListForSearchArray = promotionProducts();
    showItems(_itemListForSearchArray);
}

QString PromoProductViewController::markedCode(const QString& skuCode, const QString& promoCode)
{
    return skuCode + QStringLiteral("_promo") + promoCode;
}

QStringList PromoProductViewController::activeProductCodes(const QString& productList)
{
    QString text = productList;
    text.replace(QLatin1Char('('), QLatin1Char('[')).replace(QLatin1Char(')'), QLatin1Char(']'));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (!document.isArray()) {
        if (!productList.trimmed().isEmpty())
            qCWarning(lcPromotion)
                << "Promotion product list is not a JSON array:" << error.errorString();
        return {};
    }
    QStringList codes;
    for (const QJsonValue& value : document.array()) {
        if (!value.isObject())
            continue;
        const QJsonObject product = value.toObject();
        // The status is text from the server, but a number reads the same.
        const QString status = product.value(QStringLiteral("status")).toVariant().toString();
        if (!status.contains(QStringLiteral("20"), Qt::CaseInsensitive))
            continue;
        const QString code = product.value(QStringLiteral("skuCode")).toVariant().toString();
        if (!code.isEmpty())
            codes.append(code);
    }
    return codes;
}

QList<Material> PromoProductViewController::promotionProducts() const
{
    if (_productString.isEmpty())
        return {};
    const QStringList codes = _productString.split(kSeparator);
    QList<Material> products = AppManager::getPromoProductList(_productString);
    // The store answers in no particular order; the promotion's own order
    // is the one the salesman knows from its leaflet.
    QHash<QString, qsizetype> position;
    for (qsizetype i = codes.size() - 1; i >= 0; --i)
        position.insert(codes.at(i), i);
    std::stable_sort(products.begin(), products.end(), [&](const Material& a, const Material& b) {
        return position.value(a.skuCode, codes.size()) < position.value(b.skuCode, codes.size());
    });
    return products;
}

void PromoProductViewController::showItems(const QList<Material>& items)
{
    _itemListArray = items;
    _model.reload();
    Q_EMIT listChanged();
}

QString PromoProductViewController::emptyText() const
{
    if (!keyword().isEmpty())
        return noMatchText("PURCHASELIST_NO_PRODUCT_MATCH");
    return Strings::localized(_productString.isEmpty() ? "PROMOPRODUCT_EMPTY"
                                                       : "PROMOPRODUCT_NOT_IN_CATALOGUE");
}

// ---- search

void PromoProductViewController::resetSearchBase()
{
    _itemListForSearchArray = promotionProducts();
}

void PromoProductViewController::showSearchBase()
{
    showItems(_itemListForSearchArray);
}

void PromoProductViewController::searchWithKeyword()
{
    const QString& word = keyword();
    if (word.isEmpty()) {
        showItems(_itemListForSearchArray);
        return;
    }
    QList<Material> found;
    for (const Material& item : std::as_const(_itemListForSearchArray)) {
        if (item.skuCode.contains(word, Qt::CaseInsensitive) ||
            item.description.contains(word, Qt::CaseInsensitive))
            found.append(item);
    }
    showItems(found);
}

// ---- rows

PurchaseListCell PromoProductViewController::cellForRow(int row) const
{
    if (row < 0 || row >= cellCount())
        return {};
    const Material& item = _itemListArray.at(row);
    const SalesOrderDetails* line = lineFor(markedCode(item.skuCode, _promoCode));
    if (line && line->promocode != _promoCode)
        line = nullptr;
    return PurchaseListCell::withLine(item.skuCode, item.description, line);
}

QString PromoProductViewController::lineCode(int row) const
{
    if (row < 0 || row >= cellCount())
        return QString();
    return markedCode(_itemListArray.at(row).skuCode, _promoCode);
}

std::pair<QString, QString> PromoProductViewController::unitsOfRow(int row) const
{
    if (row < 0 || row >= cellCount())
        return {};
    return {_itemListArray.at(row).unit1, _itemListArray.at(row).unit2};
}

void PromoProductViewController::rowClicked(int row)
{
    if (row < 0 || row >= cellCount())
        return;
    touchItem(row);
}

void PromoProductViewController::linesChanged()
{
    // The purchase list gets the lines back from the delegate: a removal must
    // reach it as surely as a new line.
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setTotalpurchaseListArray(_purchaseItemList);
}
