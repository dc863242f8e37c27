#include "workflow/OrderDetailViewController.h"
#include "workflow/StoreNotice.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/Clock.h"
#include "platform/DeviceIdiom.h"
#include "platform/Dialogs.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "support/RQFile.h"
#include "workflow/OrderDetailSoldToPopoverViewController.h"
#include "workflow/OrderDetailViewPopoverViewController.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

Q_LOGGING_CATEGORY(lcOrderDetail, "fieldbook.orderdetail")

namespace {
const QString kPlaceholderNumber = QStringLiteral(".");
const QString kUnsetDay = QStringLiteral("0000-00-00");
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");
const QString kMidnight = QStringLiteral(" 00:00:00");
const QSizeF kPickerSize(500, 600);
const QSizeF kQuantitySize(320, 300);

QDate today()
{
    return Clock::now().toLocalTime().date();
}

// The day of a stored time: its first ten characters once it is longer than
// a day alone.
QString dayOf(const QString& time)
{
    return time.size() >= 11 ? time.left(10) : kUnsetDay;
}

// A time the store has never stamped: the order was never saved.
bool isUnsetTime(const QString& time)
{
    return time.isEmpty() || time == SalesOrder::unsetTime();
}

std::function<quint32()>& randomSource()
{
    static std::function<quint32()> source;
    return source;
}

void setSelectSoldTo(const QString& customerCode)
{
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setSelectSoldTo(customerCode);
}
} // namespace

OrderDetailViewController::OrderDetailViewController(QObject* parent) : ScreenController(parent)
{
    _model.setParent(this);
}

OrderDetailViewController::~OrderDetailViewController()
{
    // A picker or quantity entry still open goes with the editor.
    if (_popOverController && dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
}

// ---- the order

void OrderDetailViewController::setSalesOrder(const SalesOrder& order)
{
    setHaveChanged(false);
    _salesOrder = order;
    setLines(sortSaleOrderItemArray(AppManager::getSalesOrderDetail(order.purchaseOrderNo)));
    loadScreen();
}

void OrderDetailViewController::setPurchaseItemList(const PurchaseItemList& items,
                                                    const SalesOrder& order)
{
    _salesOrder = order;
    setLines(sortSaleOrderItemArray(items.values()));
    loadScreen();
}

void OrderDetailViewController::setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo)
{
    _customerShipTo = shipTo;
    if (shipTo) {
        _deliveryToCode = shipTo->shipToCode;
        _deliveryToDescription = shipTo->description;
        Q_EMIT fieldsChanged();
    }
}

void OrderDetailViewController::setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo)
{
    _customerSoldTo = soldTo;
    if (soldTo) {
        showSoldTo(*soldTo);
        Q_EMIT fieldsChanged();
    }
}

void OrderDetailViewController::setHaveChanged(bool changed)
{
    if (_haveChanged == changed)
        return;
    _haveChanged = changed;
    Q_EMIT haveChangedChanged();
}

void OrderDetailViewController::changed()
{
    setHaveChanged(true);
}

void OrderDetailViewController::setLines(const QList<SalesOrderDetails>& lines)
{
    _model.setLines(lines);
    if (!readOnly())
        checkphotoneed();
}

QList<SalesOrderDetails>
OrderDetailViewController::sortSaleOrderItemArray(const QList<SalesOrderDetails>& lines)
{
    QList<SalesOrderDetails> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const SalesOrderDetails& a, const SalesOrderDetails& b) {
                         return a.lastupdate < b.lastupdate;
                     });
    return sorted;
}

void OrderDetailViewController::loadScreen()
{
    _needPhoto = QStringLiteral("N");
    _popType = QStringLiteral("ship");
    _customerShipTo = AppManager::getCustomerShipTo(_salesOrder.soldToCode, _salesOrder.shipToCode);
    _customerSoldTo = AppManager::getCustomerSoldTo(_salesOrder.soldToCode);

    _purchaseOrderNo = _salesOrder.purchaseOrderNo;
    // A customer or address no longer offered still shows the order's code.
    _soldToCode = _salesOrder.soldToCode;
    _soldToName.clear();
    _address.clear();
    if (_customerSoldTo)
        showSoldTo(*_customerSoldTo);
    else
        setSelectSoldTo(QString());
    _deliveryToCode = _customerShipTo ? _customerShipTo->shipToCode : _salesOrder.shipToCode;
    _deliveryToDescription = _customerShipTo ? _customerShipTo->description : QString();
    _deliverAddress = _salesOrder.deliverAddress;
    _deliveryDate = dayOf(_salesOrder.deliverDate);
    const QString created = dayOf(_salesOrder.creationDate);
    _orderDate = created != kUnsetDay ? created : today().toString(kDayFormat);
    _remark = _salesOrder.remark;

    // The store stamps an order's creation time at its first save.
    const bool stored = !isUnsetTime(_salesOrder.creationDate);
    _storedNumber = stored ? _salesOrder.purchaseOrderNo : QString();
    // The choices are the order's own once an editor has copied its header
    // in (which stamps the order date): a stored order, or a new one coming
    // back from the purchase list or the photo list with what the salesman
    // chose. A fresh record has made no choice, whatever it holds: it is
    // stored with 0 until the salesman picks a row.
    const bool headerKept = stored || !isUnsetTime(_salesOrder.orderDate);
    _nowType = headerKept ? _salesOrder.type : 0;
    _VDType = headerKept ? _salesOrder.vdtype : 0;
    _PaymentType = headerKept ? _salesOrder.paymenttype : 0;

    // The customer of an order that has one is not changed here.
    _soldToPickerEnabled = _salesOrder.soldToCode.isEmpty();
    _photoCount = static_cast<int>(AppManager::getOrderImg(_purchaseOrderNo).size());
    if (!readOnly())
        checkphotoneed();

    Q_EMIT fieldsChanged();
    Q_EMIT choicesChanged();
    Q_EMIT photoCountChanged();
}

void OrderDetailViewController::showSoldTo(const CustomerSoldTo& customer)
{
    setSelectSoldTo(customer.customerCode);
    _soldToCode = customer.customerCode;
    _soldToName = customer.customerName;
    _address = customer.salesGroup;
}

void OrderDetailViewController::checkphotoneed()
{
    for (const SalesOrderDetails& line : _model.lines()) {
        const std::optional<Material> item =
            AppManager::getMaterial(OrderDetailLinesModel::cleanItemCode(line));
        if (item && item->phototype == QLatin1String("1"))
            _needPhoto = QStringLiteral("Y");
    }
}

QString OrderDetailViewController::deliveryPickerDay() const
{
    const QDate shown = QDate::fromString(_deliveryDate, kDayFormat);
    const QDate first = today();
    return (shown.isValid() && shown >= first ? shown : first).toString(kDayFormat);
}

QStringList OrderDetailViewController::orderTypes()
{
    return {QStringLiteral("Standard Order"), QStringLiteral("Good Return")};
}

QStringList OrderDetailViewController::vdTypes()
{
    return {QStringLiteral("YES"), QStringLiteral("NO")};
}

QStringList OrderDetailViewController::paymentTypes()
{
    return {QStringLiteral("COD"), QStringLiteral("M30"), QStringLiteral("COD-CA"),
            QStringLiteral("COD-CH")};
}

// ---- the purchase order number

QString OrderDetailViewController::firstWord(const QString& text)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}

QString OrderDetailViewController::rebuildPurchaseOrderNo(const QString& current,
                                                          const QString& customerText,
                                                          qint64 msecsSinceEpoch, quint32 random)
{
    const QString word = firstWord(customerText);
    if (current.split(QLatin1Char('.')).size() < 2)
        return word + current;
    // Whole seconds, halves away from zero; three digits from 100 to 999,
    // worked out in single precision and rounded when printed.
    const long long seconds = std::llround(static_cast<double>(msecsSinceEpoch) / 1000.0);
    const float tail = static_cast<float>(random) / 4294967296.0f * 899.0f + 100.0f;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.0f", static_cast<double>(tail));
    // One pass: a customer name holding "%2" must not be filled in itself.
    return QStringLiteral("%1.%2%3").arg(word, QString::number(seconds),
                                         QString::fromLatin1(digits));
}

void OrderDetailViewController::setRandomSource(std::function<quint32()> source)
{
    randomSource() = std::move(source);
}

void OrderDetailViewController::rebuildPurchaseOrderNo(const QString& customerText)
{
    const quint32 random =
        randomSource() ? randomSource()() : QRandomGenerator::global()->generate();
    setPurchaseOrderNoText(rebuildPurchaseOrderNo(_purchaseOrderNo, customerText,
                                                  Clock::now().toMSecsSinceEpoch(), random));
}

void OrderDetailViewController::setPurchaseOrderNoText(const QString& number)
{
    _purchaseOrderNo = number;
    Q_EMIT fieldsChanged();
}

// ---- validating and saving

bool OrderDetailViewController::verifyNewOrderNumber()
{
    const QString number = _purchaseOrderNo.trimmed();
    const QString previous = _salesOrder.purchaseOrderNo;
    if (number.isEmpty()) {
        alert(Strings::localized("ALERT"), Strings::localized("ORDER_NO_EMPTY"),
              Strings::localized("BUTTON_OK"));
        return false;
    }
    const QStringList parts = number.split(QLatin1Char('.'));
    if (parts.size() >= 2 && parts.last().isEmpty()) {
        alert(Strings::localized("ALERT"), Strings::localized("ORDER_NO_SECOND_PART_EMPTY"),
              Strings::localized("BUTTON_OK"));
        return false;
    }
    for (const SalesOrder& other : std::as_const(_salesOrderArray)) {
        if (other.purchaseOrderNo == number && other.purchaseOrderNo != previous) {
            Q_EMIT purchaseOrderNoTaken();
            return false;
        }
    }
    const SalesOrder before = _salesOrder;
    copyHeader();
    return storeOrder(before);
}

void OrderDetailViewController::saveOrder(bool persist)
{
    const SalesOrder before = _salesOrder;
    copyHeader();
    if (persist) {
        storeOrder(before);
        return;
    }
    // The header travels on with the order to the next screen; the photos
    // taken here travel under its number.
    refilePhotos(_salesOrder.purchaseOrderNo);
}

void OrderDetailViewController::copyHeader()
{
    _salesOrder.orderNo = _purchaseOrderNo;
    _salesOrder.purchaseOrderNo = _purchaseOrderNo;
    // Without the record (a customer or address no longer offered) the code
    // shown is kept: a save never wipes the order's customer.
    _salesOrder.shipToCode = _customerShipTo ? _customerShipTo->shipToCode : _deliveryToCode;
    _salesOrder.soldToCode = _customerSoldTo ? _customerSoldTo->customerCode : _soldToCode;
    _salesOrder.remark = _remark;
    _salesOrder.deliverDate = _deliveryDate + kMidnight;
    _salesOrder.orderDate = _orderDate + kMidnight;
    _salesOrder.deliverAddress = _deliverAddress.isEmpty() ? _address : _deliverAddress;
    _salesOrder.type = _nowType;
    _salesOrder.vdtype = _VDType;
    _salesOrder.paymenttype = _PaymentType;
    _salesOrder.uploadStatus = 10;
}

bool OrderDetailViewController::storeOrder(const SalesOrder& before)
{
    if (!writeOrder()) {
        qCWarning(lcOrderDetail) << "The order" << _salesOrder.purchaseOrderNo << "was not stored";
        // The order keeps the number it came with, so that the next try
        // still finds what is stored.
        _salesOrder.purchaseOrderNo = before.purchaseOrderNo;
        _salesOrder.orderNo = before.orderNo;
        // A full or unwritable disk says so; otherwise the order itself was
        // refused (its number is taken).
        const QString storage = StoreNotice::saveFailureMessage();
        alert(Strings::localized("ALERT"), storage.isNull() ? Strings::localized("ORDER_SAVE_FAILED") : storage,
              Strings::localized("BUTTON_OK"));
        return false;
    }
    refilePhotos(_salesOrder.purchaseOrderNo);
    return true;
}

bool OrderDetailViewController::writeOrder()
{
    QList<SalesOrderDetails> lines = _model.lines();
    for (SalesOrderDetails& line : lines)
        line.orderNo = _salesOrder.purchaseOrderNo;
    // The stored row is found by the number it is stored under; an order
    // never stored has none, so a number another order holds is refused
    // instead of rewriting that order.
    if (!AppManager::saveOrder(_salesOrder, _storedNumber, lines))
        return false;
    _storedNumber = _salesOrder.purchaseOrderNo;
    if (const std::optional<SalesOrder> stored = AppManager::getSalesOrder(_storedNumber))
        _salesOrder.creationDate = stored->creationDate;
    _model.setLines(lines);
    return true;
}

bool OrderDetailViewController::saveOrderItemArray()
{
    _salesOrder.orderNo = _purchaseOrderNo;
    return writeOrder();
}

void OrderDetailViewController::refilePhotos(const QString& number)
{
    // "." is every new order's number: nothing filed under it is ever found.
    if (number.isEmpty() || number == kPlaceholderNumber)
        return;
    for (QPair<QString, QString>& photo : _photosFiled) {
        if (photo.first != number && AppManager::moveOrderImage(photo.second, photo.first, number))
            photo.first = number;
    }
}

void OrderDetailViewController::uploadOrder()
{
    const bool stored = verifyNewOrderNumber();
    if (_needPhoto == QLatin1String("Y") && _photoCount == 0) {
        alert(QStringLiteral("Warning"), QStringLiteral("Please take a photo for product"),
              QStringLiteral("OK"));
        return;
    }
    if (!stored)
        return;
    AppManager::uploadSalesOrder(_purchaseOrderNo);
}

void OrderDetailViewController::deleteOrder()
{
    AppManager::deleteSalesOrder(_salesOrder.purchaseOrderNo);
}

void OrderDetailViewController::alert(const QString& title, const QString& message,
                                      const QString& button)
{
    if (dialogs())
        dialogs()->showAlert(title, message, {button});
}

// ---- the customer pickers

void OrderDetailViewController::billtopop()
{
    if (!soldToPickerEnabled())
        return;
    _popType = QStringLiteral("ship");
    QTimer::singleShot(0, this, [this]() { showPopover(); });
}

void OrderDetailViewController::deliverytopop()
{
    if (readOnly())
        return;
    _popType = QStringLiteral("delivery");
    QTimer::singleShot(0, this, [this]() { showPopover2(); });
}

void OrderDetailViewController::showPopover(const QString& anchor)
{
    // The sold-to picker is a popover on a phone too: the phone's overlay
    // panel lists only the chosen customer's addresses, so a new order could
    // never get its customer there.
    auto* picker = new OrderDetailSoldToPopoverViewController(this);
    picker->setDelegate(this);
    picker->setPopType(_popType);
    presentPicker(picker, anchor.isEmpty() ? QStringLiteral("soldToCodeField") : anchor);
}

void OrderDetailViewController::showPopover2(const QString& anchor)
{
    if (!DeviceIdiom::isTablet()) {
        NotificationCenter::defaultCenter().post(QStringLiteral("headerViewbuttonClicked"),
                                                 {{QStringLiteral("headerViewButtonTag"), 35},
                                                  {QStringLiteral("default_shipto"), _soldToCode}});
        return;
    }
    auto* picker = new OrderDetailViewPopoverViewController(this);
    picker->setDelegate(this);
    picker->setPopType(_popType);
    presentPicker(picker, anchor.isEmpty() ? QStringLiteral("deliveryToCodeField") : anchor);
}

void OrderDetailViewController::presentPicker(ScreenController* picker, const QString& anchor)
{
    closePopover();
    if (!dialogs()) {
        delete picker;
        return;
    }
    picker->setDialogs(dialogs());
    _popOverController = picker;
    QPointer<ScreenController> guard(picker);
    const QSizeF size =
        qobject_cast<QuantityInputPopoverViewController*>(picker) ? kQuantitySize : kPickerSize;
    dialogs()->presentPopover(picker, picker->viewName(), size, anchor, [guard]() {
        if (guard)
            guard->deleteLater();
    });
}

void OrderDetailViewController::closePopover()
{
    if (!_popOverController)
        return;
    if (dialogs() && dialogs()->isPopoverOpen())
        dialogs()->dismissPopover();
    _popOverController->deleteLater();
    _popOverController = nullptr;
}

void OrderDetailViewController::SoldToSeleted(const std::optional<CustomerSoldTo>& customer)
{
    if (customer) {
        // An address of another customer cannot stay the delivery address.
        if (_customerShipTo && _customerShipTo->customerCode != customer->customerCode) {
            if (_deliverAddress == _customerShipTo->address)
                _deliverAddress.clear();
            _customerShipTo.reset();
            _deliveryToCode.clear();
            _deliveryToDescription.clear();
        }
        _customerSoldTo = customer;
        showSoldTo(*customer);
        rebuildPurchaseOrderNo(customer->customerName);
        Q_EMIT fieldsChanged();
    }
    closePopover();
}

void OrderDetailViewController::shipToSeleted(const std::optional<CustomerShipTo>& address)
{
    if (address) {
        _customerShipTo = address;
        _soldToCode = address->customerCode;
        _deliveryToDescription = address->description;
        _address = address->address;
        rebuildPurchaseOrderNo(address->description);
        Q_EMIT fieldsChanged();
    }
    closePopover();
}

void OrderDetailViewController::DeliveryToSeleted(const std::optional<CustomerShipTo>& address)
{
    if (address) {
        _customerShipTo = address;
        _deliveryToCode = address->shipToCode;
        _deliveryToDescription = address->description;
        _deliverAddress = address->address;
        Q_EMIT fieldsChanged();
    }
    closePopover();
}

// ---- pickers, remark, date, layout

void OrderDetailViewController::didSelectRow(int picker, int row)
{
    if (readOnly() || row < 0)
        return;
    switch (picker) {
    case OrderTypePicker:
        if (!orderTypeEnabled() || row >= orderTypes().size())
            return;
        if (row != 0 && _nowType == 1)
            alert(Strings::localized("ALERT"), Strings::localized("ORDER_TYPE_CHANGED"),
                  Strings::localized("BUTTON_OK"));
        _nowType = row + 1;
        break;
    case VDTypePicker:
        if (row >= vdTypes().size())
            return;
        if (row != 0 && _VDType == 1)
            alert(Strings::localized("ALERT"), QStringLiteral("VD Changed"),
                  Strings::localized("BUTTON_OK"));
        _VDType = row + 1;
        break;
    case PaymentTypePicker:
        if (row >= paymentTypes().size())
            return;
        _PaymentType = row + 1;
        break;
    default:
        return;
    }
    Q_EMIT choicesChanged();
    changed();
}

void OrderDetailViewController::TakeRemark()
{
    if (!dialogs())
        return;
    QPointer<OrderDetailViewController> self(this);
    dialogs()->showTextEntry(QStringLiteral("Remark"), QStringLiteral("Please in put remark."),
                             {QString(), _remark}, {QStringLiteral("OK"), QStringLiteral("Cancel")},
                             [self](int, const QString& title, const QStringList& texts) {
                                 if (!self || title != QLatin1String("OK"))
                                     return;
                                 self->_remark =
                                     texts.value(0) + QStringLiteral("/n") + texts.value(1);
                                 Q_EMIT self->fieldsChanged();
                             });
}

void OrderDetailViewController::setDeliveryDay(int year, int month, int day)
{
    if (readOnly())
        return;
    QDate picked(year, month, day);
    if (!picked.isValid())
        return;
    // The earliest delivery is today.
    picked = std::max(picked, today());
    const QString text = picked.toString(kDayFormat);
    if (text == _deliveryDate)
        return;
    _deliveryDate = text;
    Q_EMIT fieldsChanged();
}

void OrderDetailViewController::toggleLayout()
{
    _headerExpanded = !_headerExpanded;
    Q_EMIT layoutChanged();
}

// ---- quantities

void OrderDetailViewController::rowSelected(int row)
{
    if (readOnly() || row < 0 || row >= _model.count())
        return;
    const SalesOrderDetails& line = _model.lines().at(row);
    auto* popover = new QuantityInputPopoverViewController(this);
    popover->setDelegate(this);
    popover->setQuantityString(QString::number(line.quantity));
    // The unit is shown, not changed: a correction changes the quantity only.
    popover->setUnit1String(line.uomCode);
    popover->setUnit2String(line.uomCode);
    presentPicker(popover, QStringLiteral("lineRow%1").arg(row));
    _selectedIndexPath = row;
}

void OrderDetailViewController::dismissPopover(const QVariantMap& answer)
{
    closePopover();
    const int row = _selectedIndexPath;
    _selectedIndexPath = -1;
    if (row < 0 || row >= _model.count())
        return;
    const int quantity = answer.value(QStringLiteral("quantity")).toString().toInt();
    if (quantity != 0) {
        SalesOrderDetails line = _model.lines().at(row);
        line.quantity = quantity;
        _model.setLine(row, line);
    } else {
        _model.removeLine(row);
    }
    Q_EMIT fieldsChanged();
}

// ---- photos

void OrderDetailViewController::TakePhoto()
{
    if (readOnly() || !dialogs())
        return;
    QPointer<OrderDetailViewController> self(this);
    dialogs()->showActionSheet(
        QStringLiteral("Select option:"), QStringLiteral("Cancel"),
        {QStringLiteral("Camera"), QStringLiteral("Library")}, [self](int index, const QString&) {
            if (!self || (index != 0 && index != 1))
                return;
            NotificationCenter::defaultCenter().post(
                QStringLiteral("orderdetailClicked"),
                {{QStringLiteral("orderdetailViewPopupTag"), index == 0 ? 3 : 4}});
        });
}

void OrderDetailViewController::PhotoList()
{
    // The list and the way back carry the header as it stands.
    if (!readOnly())
        saveOrder(false);
    NotificationCenter::defaultCenter().post(QStringLiteral("photolistClicked"));
}

void OrderDetailViewController::processCapturedImage(const QImage& image)
{
    if (image.isNull())
        return;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    // Named by the capture time. A photo never replaces another one: a name
    // already taken moves on to the next free second.
    const QString documents = RQFile::getDocumentsDirectory();
    QDir().mkpath(documents);
    QDateTime taken = Clock::now().toLocalTime();
    QString name;
    for (int tries = 0; tries < 3600; ++tries) {
        name = taken.toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".png");
        if (!QFileInfo::exists(RQFile::makeFilePathInDocument(name)))
            break;
        taken = taken.addSecs(1);
    }
    QSaveFile file(RQFile::makeFilePathInDocument(name));
    const bool written = !png.isEmpty() && file.open(QIODevice::WriteOnly) &&
                         file.write(png) == png.size() && file.commit();
    // A photo that is not on disk or not filed is not counted: the order
    // must not pass as photographed without it.
    if (!written || !AppManager::insertorderimage(_purchaseOrderNo, name)) {
        qCWarning(lcOrderDetail) << "The photo" << name << "could not be stored";
        alert(Strings::localized("ALERT"), Strings::localized("ORDER_PHOTO_SAVE_FAILED"),
              Strings::localized("BUTTON_OK"));
        return;
    }
    _photosFiled.append({_purchaseOrderNo, name});
    ++_photoCount;
    Q_EMIT photoCountChanged();
}
