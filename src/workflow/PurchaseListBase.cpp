#include "workflow/PurchaseListBase.h"

#include "platform/Dialogs.h"
#include "platform/Strings.h"

#include <algorithm>
#include <limits>

PurchaseListBase::PurchaseListBase(QObject* parent) : ScreenController(parent), _model(this, this)
{}

PurchaseListBase::~PurchaseListBase()
{
    // A popover of this screen must not outlive it on screen.
    if (_popOverController && dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
}

QList<SalesOrderDetails> PurchaseListBase::getSalesOrderItemArray() const
{
    QList<SalesOrderDetails> lines = _purchaseItemList.values();
    std::stable_sort(lines.begin(), lines.end(),
                     [](const SalesOrderDetails& a, const SalesOrderDetails& b) {
                         return a.lastupdate < b.lastupdate;
                     });
    return lines;
}

int PurchaseListBase::leadingInteger(const QString& text)
{
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return std::numeric_limits<int>::max();
    }
    return int(value);
}

QString PurchaseListBase::cellName(int row)
{
    return QStringLiteral("purchaseCell%1").arg(row);
}

const SalesOrderDetails* PurchaseListBase::lineFor(const QString& code) const
{
    const auto it = _purchaseItemList.constFind(code);
    return it == _purchaseItemList.constEnd() ? nullptr : &it.value();
}

QString PurchaseListBase::noMatchText(const char* key) const
{
    return Strings::localized(key).arg(_keyword);
}

// ---- search

void PurchaseListBase::setKeyword(const QString& keyword)
{
    if (_keyword == keyword)
        return;
    _keyword = keyword;
    Q_EMIT searchChanged();
}

void PurchaseListBase::setSearchBarActive(bool active)
{
    if (_searchBarActive == active)
        return;
    _searchBarActive = active;
    Q_EMIT searchChanged();
}

void PurchaseListBase::searchBarTextDidBeginEditing()
{
    setSearchBarActive(true);
    resetSearchBase();
}

void PurchaseListBase::searchBar(const QString& textDidChange)
{
    // Text that arrives without the field having started editing (pasted,
    // or set by the program) still searches the whole base.
    if (!_searchBarActive)
        searchBarTextDidBeginEditing();
    setKeyword(textDidChange);
    searchWithKeyword();
}

void PurchaseListBase::searchBarSearchButtonClicked()
{
    searchWithKeyword();
}

void PurchaseListBase::searchBarCancelButtonClicked()
{
    setKeyword(QString());
    setSearchBarActive(false);
    showSearchBase();
}

// ---- quantity

void PurchaseListBase::touchItem(int row)
{
    const auto [unit1, unit2] = unitsOfRow(row);
    _selectedUnit1 = unit1;
    _selectedUnit2 = unit2;
    _cell = row;
    _cellCode = lineCode(row);
    showPopover(cellName(row));
}

void PurchaseListBase::closePopover()
{
    if (!_popOverController)
        return;
    if (dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
    // The popover may be the caller (its confirm button answered): it goes
    // once its own call has returned.
    _popOverController->deleteLater();
    _popOverController = nullptr;
}

void PurchaseListBase::showPopover(const QString& anchor)
{
    closePopover();
    auto* popover = new QuantityInputPopoverViewController(this);
    popover->setDialogs(dialogs());
    popover->setDelegate(this);
    // The field starts with what is ordered already: the badge's digits.
    if (_cell >= 0 && _cell < cellCount()) {
        const PurchaseListCell cell = cellForRow(_cell);
        if (!cell.badgeHidden)
            popover->setQuantityString(cell.badge);
    }
    popover->setUnit1String(_selectedUnit1);
    popover->setUnit2String(_selectedUnit2);
    _popOverController = popover;
    if (!dialogs())
        return;
    QPointer<PurchaseListBase> self(this);
    QPointer<QuantityInputPopoverViewController> guard(popover);
    dialogs()->presentPopover(popover, popover->viewName(), QSizeF(kPopoverWidth, kPopoverHeight),
                              anchor, [self, guard]() {
                                  // Closed by a touch outside: no answer.
                                  if (guard)
                                      guard->deleteLater();
                                  if (self && self->_popOverController == guard) {
                                      self->_popOverController = nullptr;
                                      self->_cell = -1;
                                      self->_cellCode.clear();
                                  }
                              });
}

void PurchaseListBase::dismissPopover(const QVariantMap& answer)
{
    closePopover();
    if (_cell < 0)
        return;
    const QString capacity = answer.value(QStringLiteral("capacity")).toString();
    const QString joined = answer.value(QStringLiteral("quantity")).toString() + capacity;
    updateSalesOrderDetails(_cellCode, joined, capacity);
    _cell = -1;
    _cellCode.clear();
}

void PurchaseListBase::updateSalesOrderDetails(const QString& code, const QString& quantity,
                                               const QString& capacity)
{
    if (code.isEmpty())
        return;
    SalesOrderDetails line;
    if (const SalesOrderDetails* existing = lineFor(code)) {
        line = *existing;
    } else {
        // A new line is stamped now, created and updated (the record's own
        // default), and filed under the order until the editor saves it.
        line.skuCode = code;
        line.uomCode = capacity;
        line.promocode = newLinePromocode();
        line.orderNo = _salesOrder.purchaseOrderNo;
    }
    const int value = leadingInteger(quantity);
    // The same quantity again keeps the line's time, and so its place in the
    // order editor.
    if (value != line.quantity)
        line.lastupdate = SalesOrderDetails::getNow();
    line.quantity = value;
    if (value == 0)
        _purchaseItemList.remove(code);
    else
        _purchaseItemList.insert(code, line);
    linesChanged();
    // The badges follow the lines (a promotion's badge follows any of its lines).
    _model.refreshBadges();
}
