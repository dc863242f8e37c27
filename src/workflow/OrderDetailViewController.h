#pragma once

#include "workflow/CustomerPickerDelegate.h"
#include "workflow/OrderDetailLinesModel.h"
#include "workflow/QuantityInputPopoverViewController.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <functional>

// The order editor: one order's header in the upper pane, its lines in the
// lower pane. The header bar's commands (back, save, upload, add item,
// delete) reach it through the root screen; customers come from the two
// pickers, quantities from the shared quantity popover, photos from the root
// screen's photo pickers.
//
// An order is editable while it is a draft (upload status 10). Every save
// validates the purchase order number and stores header and lines together;
// until then the header fields live here and the order is untouched.
class OrderDetailViewController : public ScreenController,
                                  public OrderEditorScreen,
                                  public CustomerPickerDelegate,
                                  public QuantityInputDelegate
{
    Q_OBJECT
    // The header fields as shown.
    Q_PROPERTY(QString purchaseOrderNo READ purchaseOrderNoText NOTIFY fieldsChanged)
    Q_PROPERTY(QString soldToCode READ soldToCodeText NOTIFY fieldsChanged)
    Q_PROPERTY(QString soldToName READ soldToNameText NOTIFY fieldsChanged)
    Q_PROPERTY(QString deliveryToCode READ deliveryToCodeText NOTIFY fieldsChanged)
    Q_PROPERTY(QString deliveryToDescription READ deliveryToDescriptionText NOTIFY fieldsChanged)
    // The address label: the customer's sales group, or an address taken as
    // the customer; empty shows the label's placeholder.
    Q_PROPERTY(QString address READ addressText NOTIFY fieldsChanged)
    Q_PROPERTY(QString deliverAddress READ deliverAddressText NOTIFY fieldsChanged)
    // "yyyy-MM-dd"; the delivery date may be "0000-00-00" (not set).
    Q_PROPERTY(QString deliveryDate READ deliveryDateText NOTIFY fieldsChanged)
    Q_PROPERTY(QString orderDate READ orderDateText NOTIFY fieldsChanged)
    // The day the delivery-date picker starts at: the field's day, or today
    // when the field holds none or an earlier one.
    Q_PROPERTY(QString deliveryPickerDay READ deliveryPickerDay NOTIFY fieldsChanged)
    Q_PROPERTY(QString remark READ RemarkString NOTIFY fieldsChanged)
    // The rows the three pickers show (a choice never made shows row 0).
    Q_PROPERTY(QStringList orderTypes READ orderTypes CONSTANT)
    Q_PROPERTY(QStringList vdTypes READ vdTypes CONSTANT)
    Q_PROPERTY(QStringList paymentTypes READ paymentTypes CONSTANT)
    Q_PROPERTY(int orderTypeRow READ orderTypeRow NOTIFY choicesChanged)
    Q_PROPERTY(int vdTypeRow READ vdTypeRow NOTIFY choicesChanged)
    Q_PROPERTY(int paymentTypeRow READ paymentTypeRow NOTIFY choicesChanged)
    // What takes touches.
    Q_PROPERTY(bool readOnly READ readOnly NOTIFY fieldsChanged)
    Q_PROPERTY(bool orderTypeEnabled READ orderTypeEnabled NOTIFY fieldsChanged)
    Q_PROPERTY(bool soldToPickerEnabled READ soldToPickerEnabled NOTIFY fieldsChanged)
    // The photo counter's title.
    Q_PROPERTY(QString photoCount READ photoCountText NOTIFY photoCountChanged)
    Q_PROPERTY(QObject* model READ model CONSTANT)
    // The layout toggle: header pane large (true) or lines pane large, and the
    // turn of the toggle's arrow in degrees.
    Q_PROPERTY(bool headerExpanded READ headerExpanded NOTIFY layoutChanged)
    Q_PROPERTY(qreal toggleRotation READ toggleRotation NOTIFY layoutChanged)
    Q_PROPERTY(bool haveChanged READ haveChanged NOTIFY haveChangedChanged)

public:
    enum Picker { OrderTypePicker = 1, VDTypePicker = 2, PaymentTypePicker = 3 };
    Q_ENUM(Picker)

    explicit OrderDetailViewController(QObject* parent = nullptr);
    ~OrderDetailViewController() override;
    QString viewName() const override { return QStringLiteral("OrderDetailView"); }

    // ---- the order and its customers (OrderHolder)
    SalesOrder salesOrder() const override { return _salesOrder; }
    // Takes the order as stored: clears haveChanged, looks up its customers,
    // loads and sorts its lines and fills the header fields.
    void setSalesOrder(const SalesOrder& order) override;
    std::optional<CustomerShipTo> customerShipTo() const override { return _customerShipTo; }
    void setCustomerShipTo(const std::optional<CustomerShipTo>& shipTo) override;
    std::optional<CustomerSoldTo> customerSoldTo() const override { return _customerSoldTo; }
    void setCustomerSoldTo(const std::optional<CustomerSoldTo>& soldTo) override;

    // ---- what the root screen asks (OrderEditorScreen)
    void setSalesOrderArray(const QList<SalesOrder>& orders) override { _salesOrderArray = orders; }
    QList<SalesOrder> salesOrderArray() const { return _salesOrderArray; }
    bool haveChanged() const override { return _haveChanged; }
    void setHaveChanged(bool changed) override;
    QList<SalesOrderDetails> salesOrderItemArray() const override { return _model.lines(); }
    bool verifyNewOrderNumber() override;
    void uploadOrder() override;
    void saveOrder(bool persist) override;
    // Stores the lines as they are edited under the number shown, with the
    // header as last copied in; false when the store refused.
    bool saveOrderItemArray();
    void deleteOrder() override;
    void setPurchaseItemList(const PurchaseItemList& items, const SalesOrder& order) override;
    void showPopover(const QString& anchor = QString()) override;
    // The delivery-address picker at the named item (empty: the
    // delivery-to field).
    void showPopover2(const QString& anchor = QString());

    // ---- header fields
    QString purchaseOrderNoText() const { return _purchaseOrderNo; }
    QString soldToCodeText() const { return _soldToCode; }
    QString soldToNameText() const { return _soldToName; }
    QString deliveryToCodeText() const { return _deliveryToCode; }
    QString deliveryToDescriptionText() const { return _deliveryToDescription; }
    QString addressText() const { return _address; }
    QString deliverAddressText() const { return _deliverAddress; }
    QString deliveryDateText() const { return _deliveryDate; }
    QString orderDateText() const { return _orderDate; }
    QString deliveryPickerDay() const;
    QString RemarkString() const { return _remark; }
    QString NeedPhoto() const { return _needPhoto; }
    void setNeedPhoto(const QString& needPhoto) { _needPhoto = needPhoto; }
    QString PopType() const { return _popType; }
    void setPopType(const QString& popType) { _popType = popType; }

    static QStringList orderTypes();
    static QStringList vdTypes();
    static QStringList paymentTypes();
    // The stored codes of the three choices (0: never chosen).
    int nowType() const { return _nowType; }
    int VDType() const { return _VDType; }
    int PaymentType() const { return _PaymentType; }
    int orderTypeRow() const { return rowOf(_nowType); }
    int vdTypeRow() const { return rowOf(_VDType); }
    int paymentTypeRow() const { return rowOf(_PaymentType); }

    bool readOnly() const { return _salesOrder.uploadStatus != 10; }
    bool orderTypeEnabled() const { return !readOnly() && _model.count() == 0; }
    bool soldToPickerEnabled() const { return !readOnly() && _soldToPickerEnabled; }
    int photoCount() const { return _photoCount; }
    QString photoCountText() const { return QString::number(_photoCount); }
    OrderDetailLinesModel* model() { return &_model; }
    bool headerExpanded() const { return _headerExpanded; }
    qreal toggleRotation() const { return _headerExpanded ? 0 : 180; }

    // ---- commands of the view
    // The sold-to / delivery-to fields were touched: the picker opens on the
    // next turn of the event loop, once the touch has ended.
    Q_INVOKABLE void billtopop();
    Q_INVOKABLE void deliverytopop();
    // A row was picked in one of the three pickers.
    Q_INVOKABLE void didSelectRow(int picker, int row);
    // The remark entry.
    Q_INVOKABLE void TakeRemark();
    // The delivery-date picker turned to a day (month 1 to 12). A day before
    // today is not taken: the field keeps today.
    Q_INVOKABLE void setDeliveryDay(int year, int month, int day);
    // "Take Photo": the choice between camera and library.
    Q_INVOKABLE void TakePhoto();
    // Opens the list of the order's photos.
    Q_INVOKABLE void PhotoList();
    // The layout toggle above the lines.
    Q_INVOKABLE void toggleLayout();
    // A line was touched: its quantity popover opens at the row.
    Q_INVOKABLE void rowSelected(int row);

    // ---- answers
    void SoldToSeleted(const std::optional<CustomerSoldTo>& customer) override;
    void shipToSeleted(const std::optional<CustomerShipTo>& address) override;
    void DeliveryToSeleted(const std::optional<CustomerShipTo>& address) override;
    // The quantity popover: a quantity of 0 removes the line.
    void dismissPopover(const QVariantMap& answer) override;
    // A photo from the root screen's pickers, filed under the number shown.
    void processCapturedImage(const QImage& image) override;

    // The popover now open (a customer picker or the quantity entry).
    ScreenController* popOverController() const { return _popOverController; }

    // ---- the purchase order number
    // The number rebuilt for a newly chosen customer: the first word of the
    // customer text in front of a number without "."; otherwise the word, ".",
    // the seconds since 1970 (rounded) and three random digits from 100 to 999.
    static QString rebuildPurchaseOrderNo(const QString& current, const QString& customerText,
                                          qint64 msecsSinceEpoch, quint32 random);
    // Where the random digits of a rebuilt number come from (tests); an
    // empty function restores the system's generator.
    static void setRandomSource(std::function<quint32()> source);
    // The first word of a text: up to the first blank, or the whole text.
    static QString firstWord(const QString& text);
    // The lines sorted by their last update, compared as text.
    static QList<SalesOrderDetails> sortSaleOrderItemArray(const QList<SalesOrderDetails>& lines);

Q_SIGNALS:
    void fieldsChanged();
    void choicesChanged();
    void photoCountChanged();
    void layoutChanged();
    void haveChangedChanged();
    // The number is another order's: the view focuses the number field and
    // flashes the area behind it red.
    void purchaseOrderNoTaken();

private:
    // Fills every field from the order, its customers and its lines.
    void loadScreen();
    void showSoldTo(const CustomerSoldTo& customer);
    void showShipTo(const CustomerShipTo& address);
    void setLines(const QList<SalesOrderDetails>& lines);
    void checkphotoneed();
    void setPurchaseOrderNoText(const QString& number);
    void rebuildPurchaseOrderNo(const QString& customerText);
    void changed();
    void closePopover();
    void presentPicker(ScreenController* picker, const QString& anchor);
    // Copies the header fields into the order (saveOrder's first part).
    void copyHeader();
    // Stores the order with its lines in one go; tells the salesman and
    // answers false when the store refused (the order is put back to
    // `before`'s number).
    bool storeOrder(const SalesOrder& before);
    bool writeOrder();
    // Files the photos taken during this visit under the number given.
    void refilePhotos(const QString& number);
    void alert(const QString& title, const QString& message, const QString& button);
    static int rowOf(int code) { return code >= 1 ? code - 1 : 0; }

    QList<SalesOrder> _salesOrderArray;
    SalesOrder _salesOrder;
    // The number the order is stored under; empty while it was never saved.
    QString _storedNumber;
    std::optional<CustomerShipTo> _customerShipTo;
    std::optional<CustomerSoldTo> _customerSoldTo;
    OrderDetailLinesModel _model;

    QString _purchaseOrderNo;
    QString _soldToCode;
    QString _soldToName;
    QString _deliveryToCode;
    QString _deliveryToDescription;
    QString _address;
    QString _deliverAddress;
    QString _deliveryDate;
    QString _orderDate;
    QString _remark;
    QString _needPhoto = QStringLiteral("N");
    QString _popType = QStringLiteral("ship");
    int _nowType = 0;
    int _VDType = 0;
    int _PaymentType = 0;
    int _photoCount = 0;
    bool _soldToPickerEnabled = false;
    bool _haveChanged = false;
    bool _headerExpanded = true;
    int _selectedIndexPath = -1;
    QPointer<ScreenController> _popOverController;
    // Photos filed during this visit: the number each is filed under now,
    // and its file name.
    QList<QPair<QString, QString>> _photosFiled;
};
