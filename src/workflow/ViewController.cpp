#include "workflow/ViewController.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "core/CrashHelper.h"
#include "platform/AppInfo.h"
#include "platform/DeviceIdiom.h"
#include "platform/Dialogs.h"
#include "platform/Mailer.h"
#include "platform/NotificationCenter.h"
#include "platform/PhotoSource.h"
#include "platform/Strings.h"
#include "support/RQImage.h"
#include "workflow/LoginViewController.h"
#include "workflow/MainMenuController.h"
#include "workflow/OrderListViewController.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenRoles.h"
#include "workflow/StoreNotice.h"

#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcRouter, "fieldbook.router")

namespace {
bool promoClickOn()
{
    AppDelegate* delegate = AppDelegate::sharedDelegate();
    return delegate && delegate->PromoClick() == QLatin1String("Y");
}
} // namespace

ViewController::ViewController(QObject* parent) : QObject(parent)
{
    // Pictures are drawn per screen size; choose the folder once, before any
    // screen asks for a picture.
    RQImage::setResourcePath(RQImage::resourceFolderFor(DeviceIdiom::isTablet(), RQImage::getSystemScaleFactor()));

    // Observed for the whole life of the root screen; the observers go with it.
    static const char* const names[] = {"loginSuccess",     "loginFailed",       "updateSuccess",
                                        "uploadComplete",   "downloadComplete",  "itemListClicked",
                                        "orderdetailClicked", "photolistClicked", "rowclicked",
                                        "orderListUpdateHeader", "headerViewbuttonClicked"};
    for (const char* name : names) {
        const QString n = QString::fromLatin1(name);
        NotificationCenter::defaultCenter().addObserver(
            this, n, [this, n](const QVariantMap& userInfo) { handleNotification(n, userInfo); });
    }
}

ViewController::~ViewController() = default;

Dialogs* ViewController::dialogs() const
{
    return _dialogs ? _dialogs : Dialogs::shared();
}

PhotoSource* ViewController::photoSource() const
{
    return _photoSource ? _photoSource : PhotoSource::shared();
}

void ViewController::prepare(ScreenController* screen)
{
    screen->setParent(this);
    if (_dialogs)
        screen->setDialogs(_dialogs);
    if (_photoSource)
        screen->setPhotoSource(_photoSource);
}

void ViewController::viewDidLoad()
{
    performTransition(adopt(new LoginViewController()));
    // A database that was replaced, or that cannot be written, is told before
    // the salesman types anything.
    StoreNotice::showPending(dialogs());
    if (CrashHelper::hasCrashReportPending())
        CrashHelper::sharedCrashHelper()->confirmAndSendCrashReportEmailWithViewController(this, dialogs());
}

void ViewController::setViewSize(qreal width, qreal height)
{
    if (width > 0 && height > 0)
        _viewSize = QSizeF(width, height);
}

// ---- screens

template <typename Role> std::pair<ScreenController*, Role*> ViewController::make(const ScreenFactory::Make& make)
{
    ScreenController* screen = make ? make() : nullptr;
    if (!screen)
        return {nullptr, nullptr};
    Role* role = dynamic_cast<Role*>(screen);
    if (!role) {
        qCWarning(lcRouter) << "The screen" << screen->viewName() << "does not play the role it is built for";
        delete screen;
        return {nullptr, nullptr};
    }
    prepare(screen);
    return {screen, role};
}

template <typename Role> Role* ViewController::current() const
{
    return dynamic_cast<Role*>(_viewController.data());
}

OrderListViewController* ViewController::currentOrderList() const
{
    return qobject_cast<OrderListViewController*>(_viewController.data());
}

OrderListViewController* ViewController::showOrderList(int mode, const QString& rowTo)
{
    auto* list = adopt(new OrderListViewController());
    list->setType(mode);
    performTransition(list);
    list->rowTo(rowTo);
    return list;
}

void ViewController::openEditor(const SalesOrder& order, bool uploaded, const QList<SalesOrder>& listed)
{
    auto [screen, editor] = make<OrderEditorScreen>(_factory.orderEditor);
    if (!screen)
        return;
    if (_headerViewController)
        _headerViewController->setDetailsUploaded(uploaded);
    showHeader(HeaderViewController::OrderDetail);
    editor->setSalesOrderArray(listed);
    editor->setSalesOrder(order);
    performTransition(screen);
}

void ViewController::openPurchaseList(const SalesOrder& order, const std::optional<CustomerShipTo>& shipTo,
                                      const std::optional<CustomerSoldTo>& soldTo,
                                      const QList<SalesOrderDetails>& items)
{
    auto [screen, purchase] = make<PurchaseScreen>(_factory.purchaseList);
    if (!screen)
        return;
    showHeader(HeaderViewController::PurchaseList);
    purchase->setSalesOrder(order);
    purchase->setCustomerShipTo(shipTo);
    purchase->setCustomerSoldTo(soldTo);
    purchase->setSalesItem(items);
    performTransition(screen);
}

// ---- the router

void ViewController::handleNotification(const QString& name, const QVariantMap& userInfo)
{
    if (name == QLatin1String("loginSuccess")) {
        loginSucceeded();
    } else if (name == QLatin1String("loginFailed")) {
        loginFailed(userInfo);
    } else if (name == QLatin1String("updateSuccess")) {
        if (OrderListViewController* list = currentOrderList())
            list->updateSalesOrderArray();
    } else if (name == QLatin1String("uploadComplete")) {
        if (_headerViewController && _headerViewController->getType() == HeaderViewController::OrderList) {
            if (OrderListViewController* list = currentOrderList())
                list->updateSalesOrderArray();
        }
    } else if (name == QLatin1String("downloadComplete")) {
        if (_headerViewController && (_headerViewController->getType() == HeaderViewController::ItemList ||
                                      _headerViewController->getType() == HeaderViewController::PurchaseList)) {
            if (auto* screen = current<CollectionScreen>())
                screen->reloadCollection();
        }
    } else if (name == QLatin1String("itemListClicked")) {
        takePhoto(userInfo.value(QStringLiteral("itemListViewPopupTag")).toInt());
    } else if (name == QLatin1String("orderdetailClicked")) {
        takePhoto(userInfo.value(QStringLiteral("orderdetailViewPopupTag")).toInt());
    } else if (name == QLatin1String("photolistClicked")) {
        auto* holder = current<OrderHolder>();
        if (!holder)
            return;
        auto [screen, photos] = make<OrderPhotoScreen>(_factory.orderPhotoList);
        if (!screen)
            return;
        showHeader(HeaderViewController::OrderImageList);
        photos->setSalesOrder(holder->salesOrder());
        photos->setCustomerShipTo(holder->customerShipTo());
        photos->setCustomerSoldTo(holder->customerSoldTo());
        // The editor's lines and changes wait there for the way back.
        if (auto* editor = current<OrderEditorScreen>()) {
            photos->setSalesOrderItemArray(editor->salesOrderItemArray());
            photos->setHaveChanged(editor->haveChanged());
        }
        performTransition(screen);
    } else if (name == QLatin1String("rowclicked")) {
        rowClicked(userInfo);
    } else if (name == QLatin1String("orderListUpdateHeader")) {
        // Only the selection layout counts; the count of a list that has left
        // multiple selection must not replace another layout's title.
        OrderListViewController* list = currentOrderList();
        if (list && _headerViewController && _headerViewController->getType() == HeaderViewController::MultipleSelect)
            _headerViewController->updateSelectModeHeader(list->selectedRowNo());
    } else if (name == QLatin1String("headerViewbuttonClicked")) {
        headerButtonClicked(userInfo.value(QStringLiteral("headerViewButtonTag")).toInt(), userInfo);
    }
}

void ViewController::rowClicked(const QVariantMap& userInfo)
{
    if (promoClickOn()) {
        // From the purchase list into a running promotion.
        auto* holder = current<OrderHolder>();
        if (!holder)
            return;
        auto [screen, promotion] = make<PurchaseScreen>(_factory.promotionProducts);
        if (!screen)
            return;
        showHeader(HeaderViewController::PurchaseList);
        promotion->setSalesOrder(holder->salesOrder());
        promotion->setCustomerShipTo(holder->customerShipTo());
        promotion->setCustomerSoldTo(holder->customerSoldTo());
        performTransition(screen);
        return;
    }
    const QVariant value = userInfo.value(QStringLiteral("order number"));
    if (!value.canConvert<SalesOrder>())
        return;
    const SalesOrder order = value.value<SalesOrder>();
    const OrderListViewController* list = currentOrderList();
    openEditor(order, order.uploadStatus != 10, list ? list->salesOrderArray() : QList<SalesOrder>());
}

bool ViewController::haveSelection()
{
    OrderListViewController* list = currentOrderList();
    if (list && list->selectedRowNo() != 0)
        return true;
    if (dialogs())
        dialogs()->showNotice(Strings::localized("ORDERLISTVIEW_SELECTMODE_NOTSELECTED"));
    return false;
}

void ViewController::headerButtonClicked(int tag, const QVariantMap& userInfo)
{
    OrderListViewController* list = currentOrderList();
    OrderEditorScreen* editor = current<OrderEditorScreen>();
    switch (tag) {
    case 10: // item list: back; menu: all orders
        showHeader(HeaderViewController::OrderList);
        dismissMenu();
        showOrderList(1);
        break;
    case 11: { // order list: item list
        auto [screen, items] = make<ItemCatalogueScreen>(_factory.itemList);
        if (!screen)
            break;
        showHeader(HeaderViewController::ItemList);
        performTransition(screen);
        break;
    }
    case 12: // order list: edit
        if (!list)
            break;
        showHeader(HeaderViewController::MultipleSelect);
        list->startMultiSelectionMode();
        break;
    case 13: { // order list: add order
        auto [screen, newEditor] = make<OrderEditorScreen>(_factory.orderEditor);
        if (!screen)
            break;
        if (_headerViewController)
            _headerViewController->setDetailsUploaded(false);
        showHeader(HeaderViewController::OrderDetail);
        SalesOrder order;
        order.purchaseOrderNo = AppManager::generatePurchaseOrderNo();
        newEditor->setSalesOrder(order);
        performTransition(screen);
        // The customer picker opens by itself once the editor is in place.
        QPointer<ScreenController> guard(screen);
        OrderEditorScreen* opened = newEditor;
        QTimer::singleShot(300, this, [this, guard, opened]() {
            if (guard && guard == _viewController)
                opened->showPopover();
        });
        break;
    }
    case 14: // multiple selection: back
        if (!list)
            break;
        showOrderListHeader(list->type());
        list->stopMultiSelectionMode();
        break;
    case 15: // multiple selection: copy
        if (!haveSelection())
            break;
        showOrderListHeader(list->type());
        list->copySelectedOrder();
        break;
    case 16: // multiple selection: export
        if (!haveSelection())
            break;
        if (!Mailer::shared()->canSendMail()) {
            if (dialogs())
                dialogs()->showNotice(Strings::localized("OREDRLISTVIEW_CANNOT_SEND_MAIL"));
            break;
        }
        showOrderListHeader(list->type());
        list->exportSelectedOrder();
        break;
    case 17: // multiple selection: upload
        if (!haveSelection())
            break;
        showOrderListHeader(list->type());
        list->uploadSelectedOrder();
        break;
    case 18: // order list: logout
        confirm("VIEWCONTROLLER_ACTIONSHEET_LOGOUT", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_LOGOUT", [this]() { logout(); });
        break;
    case 19: // menu: uploaded orders
    case 20: // menu: draft orders
        if (_headerViewController)
            _headerViewController->updateOrderListHeader(tag == 19 ? 2 : 3);
        dismissMenu();
        showOrderList(tag == 19 ? 2 : 3);
        break;
    case 21: // multiple selection: select drafts
        if (list)
            list->selectAllDraft();
        break;
    case 22: // multiple selection: deselect
        if (list)
            list->deSelectAllDraft();
        break;
    case 23: // multiple selection: delete
        if (!haveSelection())
            break;
        confirm("VIEWCONTROLLER_ACTIONSHEET_DELETESELETEDORDER", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE",
                [this]() {
                    if (OrderListViewController* shown = currentOrderList())
                        shown->deleteSelectedOrder();
                });
        break;
    case 30: // order editor: back
        if (!editor)
            break;
        if (editor->haveChanged()) {
            confirm("VIEWCONTROLLER_ACTIONSHEET_EXITORDER", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_EXITORDER", [this]() {
                OrderEditorScreen* shown = current<OrderEditorScreen>();
                if (!shown)
                    return;
                const QString number = shown->salesOrder().purchaseOrderNo;
                showHeader(HeaderViewController::OrderList);
                showOrderList(1, number);
            });
            break;
        }
        showHeader(HeaderViewController::OrderList);
        showOrderList(1, editor->salesOrder().purchaseOrderNo);
        break;
    case 31: // order editor: save
    case 32: // order editor: upload
        if (!editor)
            break;
        if (editor->salesOrderItemArray().isEmpty()) {
            if (dialogs())
                dialogs()->showNotice(Strings::localized("OREDRDETAILVIEW_SAVE_FAIL_NOITEM"));
            break;
        }
        if (!editor->verifyNewOrderNumber())
            break;
        showHeader(HeaderViewController::OrderList);
        if (tag == 32) {
            editor->uploadOrder();
            showOrderList(1);
        } else {
            showOrderList(1, editor->salesOrder().purchaseOrderNo);
        }
        break;
    case 33: { // order editor: add item
        if (!editor)
            break;
        const QList<SalesOrderDetails> items = editor->getSalesOrderItemArray();
        editor->saveOrder(false);
        openPurchaseList(editor->getSalesOrder(), editor->customerShipTo(), editor->customerSoldTo(), items);
        break;
    }
    case 34: // order editor: delete
        if (!editor)
            break;
        confirm("VIEWCONTROLLER_ACTIONSHEET_DELETEORDER", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE", [this]() {
            OrderEditorScreen* shown = current<OrderEditorScreen>();
            if (!shown)
                return;
            shown->deleteOrder();
            showHeader(HeaderViewController::OrderList);
            showOrderList(1);
        });
        break;
    case 35: { // order editor: customer field, on a phone
        auto [panel, picker] = make<ShipToPickerPanel>(_factory.shipToPicker);
        if (!panel)
            break;
        picker->setDelegate(_viewController);
        picker->setShipToName(userInfo.value(QStringLiteral("default_shipto")).toString());
        // The panel closes once it has answered.
        QPointer<ScreenController> shown(panel);
        picker->setOnAnswered([this, shown]() {
            if (shown && shown == _popupViewController)
                dismissOverlay();
        });
        showPopover(panel);
        break;
    }
    case 50: // item list: barcode
        if (auto* items = current<ItemCatalogueScreen>())
            items->startBarcodeScanning();
        break;
    case 51: { // purchase list: back
        auto* purchase = current<PurchaseScreen>();
        if (!purchase)
            break;
        if (promoClickOn()) {
            // From the promotion products back to the purchase list.
            openPurchaseList(purchase->getSalesOrder(), purchase->customerShipTo(), purchase->customerSoldTo(),
                             purchase->getSalesOrderItemArray());
            break;
        }
        auto [screen, back] = make<OrderEditorScreen>(_factory.orderEditor);
        if (!screen)
            break;
        showHeader(HeaderViewController::OrderDetail);
        back->setPurchaseItemList(purchase->getPurchaseItemList(), purchase->salesOrder());
        back->setCustomerShipTo(purchase->customerShipTo());
        back->setCustomerSoldTo(purchase->customerSoldTo());
        back->setHaveChanged(true);
        performTransition(screen);
        break;
    }
    case 53: { // order photo list: back
        // Back to the editor the list was opened from: the same order,
        // customers and lines, changed or not as they were left.
        auto* photos = current<OrderPhotoScreen>();
        if (!photos)
            break;
        auto [screen, back] = make<OrderEditorScreen>(_factory.orderEditor);
        if (!screen)
            break;
        const SalesOrder order = photos->salesOrder();
        if (_headerViewController)
            _headerViewController->setDetailsUploaded(order.uploadStatus != 10);
        showHeader(HeaderViewController::OrderDetail);
        PurchaseItemList lines;
        for (const SalesOrderDetails& line : photos->salesOrderItemArray())
            lines.insert(line.skuCode + QLatin1Char('|') + line.promocode, line);
        back->setPurchaseItemList(lines, order);
        back->setCustomerShipTo(photos->customerShipTo());
        back->setCustomerSoldTo(photos->customerSoldTo());
        back->setHaveChanged(photos->haveChanged());
        performTransition(screen);
        break;
    }
    default:
        break;
    }
}

void ViewController::confirm(const char* titleKey, const char* confirmKey, std::function<void()> confirmed)
{
    if (!dialogs())
        return;
    const QString cancel = Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    const QString confirmText = Strings::localized(confirmKey);
    QPointer<ViewController> self(this);
    dialogs()->showActionSheet(Strings::localized(titleKey), cancel, {confirmText, cancel},
                               [self, confirmText, confirmed](int, const QString& title) {
                                   if (self && title == confirmText)
                                       confirmed();
                               });
}

void ViewController::logout()
{
    auto* login = adopt(new LoginViewController());
    dropHeader();
    AppManager::setAuthToken(QString());
    performTransition(login);
}

void ViewController::loginSucceeded()
{
    showHeader(HeaderViewController::OrderList);
    showOrderList(1);
}

void ViewController::loginFailed(const QVariantMap& userInfo)
{
    auto* login = qobject_cast<LoginViewController*>(_viewController.data());
    if (!login)
        return;
    login->hideLoading();
    if (dialogs())
        dialogs()->showAlert(AppInfo::displayName(), userInfo.value(QStringLiteral("message")).toString(),
                             {Strings::localized("BUTTON_OK")});
}

// ---- header bar

void ViewController::showHeader(int type)
{
    if (!_headerViewController) {
        _headerViewController = new HeaderViewController(type, this);
        if (_dialogs)
            _headerViewController->setDialogs(_dialogs);
        Q_EMIT headerChanged();
        return;
    }
    _headerViewController->setType(type);
}

void ViewController::showOrderListHeader(int mode)
{
    showHeader(HeaderViewController::OrderList);
    // Leaving multiple selection in the uploaded or draft orders keeps the
    // title of what the list shows.
    if (mode != 1 && _headerViewController)
        _headerViewController->updateOrderListHeader(mode);
}

void ViewController::dropHeader()
{
    if (!_headerViewController)
        return;
    dismissMenu();
    _headerViewController->deleteLater();
    _headerViewController = nullptr;
    Q_EMIT headerChanged();
}

void ViewController::dismissMenu()
{
    if (_headerViewController)
        _headerViewController->dismissPopover();
}

// ---- photos

void ViewController::takePhoto(int source)
{
    PhotoSource* photos = photoSource();
    if (!photos || source < 1 || source > 4)
        return;
    QPointer<ViewController> self(this);
    auto delivered = [self](const QImage& image) {
        if (self)
            self->deliverPhoto(image);
    };
    // An item's picture is a square as wide as the screen, whether it comes
    // from the camera or from the files, so that the catalogue shows them
    // alike. Order photos are kept as taken.
    const int side = qRound(_viewSize.width());
    const QSize crop = source <= 2 ? QSize(side, side) : QSize();
    if (source == 2) {
        photos->pickFromLibrary(crop, delivered);
        return;
    }
    // The other pickers open on the next turn of the event loop, after the
    // sheet that asked for them has gone.
    QTimer::singleShot(0, this, [this, source, crop, delivered]() {
        PhotoSource* picker = photoSource();
        if (!picker)
            return;
        // Without a camera the picture comes from the salesman's files.
        if ((source == 1 || source == 3) && picker->hasCamera())
            picker->captureFromCamera(crop, delivered);
        else
            picker->pickFromLibrary(crop, delivered);
    });
}

void ViewController::deliverPhoto(const QImage& image)
{
    if (image.isNull())
        return;
    if (auto* receiver = current<PhotoReceiver>())
        receiver->processCapturedImage(image);
}

// ---- transitions

void ViewController::performTransition(ScreenController* screen)
{
    if (!screen)
        return;
    prepare(screen);
    // A transition that starts before the last one finished: the screen that
    // was fading out goes at once.
    releaseLastScreen();
    _lastViewController = _viewController;
    _viewController = screen;
    Q_EMIT currentScreenChanged();
}

void ViewController::transitionFinished()
{
    releaseLastScreen();
}

void ViewController::releaseLastScreen()
{
    if (_lastViewController) {
        ScreenController* last = _lastViewController;
        _lastViewController = nullptr;
        last->deleteLater();
    }
}

void ViewController::showPopover(ScreenController* panel)
{
    if (!panel)
        return;
    prepare(panel);
    if (_popupViewController)
        _popupViewController->deleteLater();
    _popupViewController = panel;
    Q_EMIT overlayScreenChanged();
}

void ViewController::dismissOverlay()
{
    if (!_popupViewController)
        return;
    _popupViewController->deleteLater();
    _popupViewController = nullptr;
    Q_EMIT overlayScreenChanged();
}
