#include "ui/Screenshots.h"

#include "ui/QmlInterface.h"
#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "core/CrashHelper.h"
#include "platform/BarcodeScanner.h"
#include "platform/PhotoSource.h"
#include "http/HttpTransport.h"
#include "platform/NotificationCenter.h"
#include "ui/DemoData.h"
#include "workflow/ItemListViewController.h"
#include "workflow/LoginViewController.h"
#include "workflow/OrderDetailViewController.h"
#include "workflow/OrderListViewController.h"
#include "workflow/PromoProductViewController.h"
#include "workflow/PurchaseListViewController.h"
#include "workflow/ViewController.h"

#include <QQuickItem>

#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>

namespace {
// QML errors while a scene renders make the scene fail: a screen that renders
// with a broken binding is not a screen anyone looked at.
int g_qmlProblems = 0;
QtMessageHandler g_previousHandler = nullptr;

void countQmlProblems(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains(QLatin1String("qrc:/qml/")))
        ++g_qmlProblems;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void postTag(int tag)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("headerViewbuttonClicked"),
                                             {{QStringLiteral("headerViewButtonTag"), tag}});
}

// Logged in with the demo orders: the header bar and the order list.
OrderListViewController* orderList(QmlInterface& interface)
{
    // An earlier scene may have typed another user name at the login.
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setUserName(DemoData::userName());
    DemoData::seed();
    NotificationCenter::defaultCenter().post(QStringLiteral("loginSuccess"));
    settle(400);
    return qobject_cast<OrderListViewController*>(interface.rootController()->currentScreen());
}

// A draft order's items in the purchase list, reached as the salesman does:
// the order from the list, then the editor's add-item command.
PurchaseListViewController* purchaseList(QmlInterface& interface)
{
    if (OrderListViewController* list = orderList(interface))
        list->rowClicked(0);
    settle(400);
    postTag(33);
    settle(400);
    return qobject_cast<PurchaseListViewController*>(interface.rootController()->currentScreen());
}

// Chooses an entry of the open action sheet, as a touch on it would.
void chooseInSheet(QmlInterface& interface, int index)
{
    settle(300);
    QObject* sheet = interface.window()->findChild<QObject*>(QStringLiteral("actionSheet"));
    if (!sheet)
        return;
    const QStringList buttons = sheet->property("buttons").toStringList();
    if (index < 0 || index >= buttons.size())
        return;
    QMetaObject::invokeMethod(sheet, "choose", Q_ARG(QVariant, index), Q_ARG(QVariant, buttons.at(index)));
    settle(300);
}

// The promotion products of the purchase list's first promotion, with one
// line ordered inside it.
PromoProductViewController* promotionProducts(QmlInterface& interface)
{
    PurchaseListViewController* purchase = purchaseList(interface);
    if (!purchase)
        return nullptr;
    purchase->PromoFunction();
    purchase->rowClicked(0);
    settle(400);
    auto* products = qobject_cast<PromoProductViewController*>(interface.rootController()->currentScreen());
    if (products && products->cellCount() > 0)
        products->updateSalesOrderDetails(
            PromoProductViewController::markedCode(products->cellForRow(0).skuCodeLabel, products->promoCode()),
            QStringLiteral("10CS"), QStringLiteral("CS"));
    return products;
}

QQuickItem* findItem(QQuickItem* item, const QString& name)
{
    if (!item || item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// The catalogue, opened from the order list.
ItemListViewController* catalogue(QmlInterface& interface)
{
    orderList(interface);
    postTag(11);
    settle(400);
    return qobject_cast<ItemListViewController*>(interface.rootController()->currentScreen());
}

// A camera that reads one code as soon as it starts, for the scan result.
class SceneScanner : public BarcodeScanner
{
public:
    explicit SceneScanner(const ScannedCode& code) : _code(code) {}
    bool hasCamera() const override { return true; }
    void start(const QList<Symbology>&, Delivered delivered, Cancelled) override
    {
        QTimer::singleShot(0, [delivered, code = _code]() { delivered({code}); });
    }
    void stop() override {}
    bool isScanning() const override { return false; }
    void scanImageFile(const QList<Symbology>&, Delivered, Cancelled) override {}

private:
    ScannedCode _code;
};

// A device with a camera, for the photo choice.
class SceneCamera : public PhotoSource
{
public:
    bool hasCamera() const override { return true; }
    void captureFromCamera(Delivered, Cancelled) override {}
    void pickFromLibrary(const QSize&, Delivered, Cancelled) override {}
    void dismiss() override {}
};

// Opens a demo order from the list, as a touch on its row.
OrderDetailViewController* openOrder(QmlInterface& interface, const char* number)
{
    OrderListViewController* list = orderList(interface);
    if (!list)
        return nullptr;
    const QList<SalesOrder> rows = list->salesOrderArray();
    for (int row = 0; row < rows.size(); ++row) {
        if (rows[row].purchaseOrderNo == QString::fromUtf8(number)) {
            list->rowClicked(row);
            settle(400);
            break;
        }
    }
    return qobject_cast<OrderDetailViewController*>(interface.rootController()->currentScreen());
}

const char* const kDraft = "Harbour.1718000101";
const char* const kUploaded = "Sunrise.1718000303";

// Scrolls the list to its very top, where the sort and filter bar waits.
void showSortBar(QmlInterface& interface)
{
    if (QQuickItem* list = findItem(interface.window()->contentItem(), QStringLiteral("orderList")))
        list->setProperty("contentY", list->property("originY"));
    settle(100);
}
} // namespace

namespace {
// A server that never answers: a refresh stays under way for its picture.
class SilentTransport : public HttpTransport
{
public:
    void postForm(const QString&, const QVariantMap&, JsonHandler, FailureHandler) override {}
    void postMultipart(const QString&, const QVariantMap&, PartsBuilder, JsonHandler, FailureHandler) override {}
    void download(const QString&, const QString&, DownloadHandler, FailureHandler) override {}
};

void postSyncProgress(const QVariantMap& info)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("syncProgress"), info);
}
} // namespace

std::vector<Screenshots::Scene> Screenshots::scenes()
{
    auto login = [](QmlInterface& interface) {
        return qobject_cast<LoginViewController*>(interface.rootController()->currentScreen());
    };
    return {
        {QStringLiteral("login"), [](QmlInterface&) {}},
        {QStringLiteral("login-refused"),
         [login](QmlInterface& interface) {
             if (auto* screen = login(interface)) {
                 screen->setUsername(QStringLiteral("ab"));
                 screen->setPassword(QStringLiteral("secret"));
                 screen->buttonClicked(1);
             }
         }},
        {QStringLiteral("login-loading"),
         [login](QmlInterface& interface) {
             if (auto* screen = login(interface)) {
                 screen->setUsername(QStringLiteral("demo"));
                 screen->setPassword(QStringLiteral("demo1234"));
                 screen->showLoading();
             }
         }},
        {QStringLiteral("login-progress"),
         [login](QmlInterface& interface) {
             if (auto* screen = login(interface)) {
                 screen->setUsername(QStringLiteral("demo"));
                 screen->setPassword(QStringLiteral("demo1234"));
                 screen->showLoading();
                 postSyncProgress({{QStringLiteral("phase"), QStringLiteral("receiving")},
                                   {QStringLiteral("received"), qint64(12) << 20},
                                   {QStringLiteral("total"), qint64(44) << 20}});
             }
         }},
        {QStringLiteral("orderlist"), [](QmlInterface& interface) { orderList(interface); }},
        {QStringLiteral("orderlist-refresh"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 HttpTransport::setShared(std::make_shared<SilentTransport>());
                 list->refreshAllDataFromServer();
                 // As after a pull: the list rests below the refresh bar.
                 settle(300);
                 if (QQuickItem* rows = findItem(interface.window()->contentItem(), QStringLiteral("orderList")))
                     rows->setProperty("contentY", rows->property("originY").toReal() -
                                                       rows->property("topMargin").toReal());
                 postSyncProgress({{QStringLiteral("phase"), QStringLiteral("storing")},
                                   {QStringLiteral("percent"), 60}});
             }
         }},
        {QStringLiteral("orderlist-uploaded"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(19);
         }},
        {QStringLiteral("orderlist-drafts"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(20);
         }},
        {QStringLiteral("orderlist-sortbar"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 list->buttonClicked(list->customerButtonTag());
                 settle(400);
                 showSortBar(interface);
             }
         }},
        {QStringLiteral("orderlist-search"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 list->searchBegin();
                 list->setSearchText(QStringLiteral("bolt"));
             }
         }},
        {QStringLiteral("orderlist-multiselect"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 postTag(12);
                 for (int row : {0, 2, 3})
                     list->rowClicked(row);
             }
         }},
        {QStringLiteral("orderlist-filter-customer"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 showSortBar(interface);
                 list->buttonClicked(OrderListViewController::FilterCustomer);
             }
         }},
        {QStringLiteral("orderlist-filter-date"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 showSortBar(interface);
                 list->buttonClicked(OrderListViewController::FilterDate);
             }
         }},
        {QStringLiteral("orderlist-filtered"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface))
                 list->soldToNameSeleted(QStringLiteral("C1001"));
         }},
        {QStringLiteral("orderlist-menu"),
         [](QmlInterface& interface) {
             orderList(interface);
             if (HeaderViewController* header = interface.rootController()->header())
                 header->showPopover();
         }},
        {QStringLiteral("orderlist-confirm-delete"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface)) {
                 postTag(12);
                 list->rowClicked(1);
                 list->rowClicked(4);
                 postTag(23);
             }
         }},
        {QStringLiteral("orderlist-confirm-logout"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(18);
         }},
        {QStringLiteral("photo-library"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(11);
             settle(400);
             NotificationCenter::defaultCenter().post(QStringLiteral("itemListClicked"),
                                                      {{QStringLiteral("itemListViewPopupTag"), 2}});
         }},
        {QStringLiteral("catalogue"), [](QmlInterface& interface) { catalogue(interface); }},
        {QStringLiteral("catalogue-search"),
         [](QmlInterface& interface) {
             if (auto* items = catalogue(interface)) {
                 items->searchBegin();
                 items->setSearchText(QStringLiteral("juice"));
             }
         }},
        {QStringLiteral("catalogue-photo-options"),
         [](QmlInterface& interface) {
             static SceneCamera camera;
             if (auto* items = catalogue(interface)) {
                 items->setPhotoSource(&camera);
                 items->itemClicked(4);
             }
         }},
        {QStringLiteral("catalogue-scanner"),
         [](QmlInterface& interface) {
             catalogue(interface);
             // The camera's view as it opens (dark here: no camera renders).
             interface.barcodeScanner()->start(ItemListViewController::acceptedSymbologies(), {}, {});
         }},
        {QStringLiteral("catalogue-scan-file"),
         [](QmlInterface& interface) {
             // Without a camera the barcode button asks for a picture.
             if (auto* items = catalogue(interface))
                 items->startBarcodeScanning();
         }},
        {QStringLiteral("catalogue-barcode"),
         [](QmlInterface& interface) {
             static SceneScanner scanner({Symbology::EAN13, QStringLiteral("B210")});
             if (auto* items = catalogue(interface)) {
                 items->setBarcodeScanner(&scanner);
                 items->startBarcodeScanning();
             }
         }},
        {QStringLiteral("catalogue-barcode-unknown"),
         [](QmlInterface& interface) {
             static SceneScanner scanner({Symbology::EAN13, QStringLiteral("4006381333931")});
             if (auto* items = catalogue(interface)) {
                 items->setBarcodeScanner(&scanner);
                 items->startBarcodeScanning();
             }
         }},
        {QStringLiteral("crash-question"),
         [](QmlInterface& interface) {
             // What the salesman is asked after a crash, over the login screen.
             CrashHelper::sharedCrashHelper()->confirmAndSendCrashReportEmailWithViewController(
                 interface.rootController());
         }},
        {QStringLiteral("orderlist-open-order"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface))
                 list->rowClicked(2);
         }},
        {QStringLiteral("editor-new-customer-picker"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(13);
         }},
        {QStringLiteral("editor-new"),
         [](QmlInterface& interface) {
             orderList(interface);
             postTag(13);
             settle(700);
             if (auto* editor = qobject_cast<OrderDetailViewController*>(
                     interface.rootController()->currentScreen())) {
                 editor->SoldToSeleted(AppManager::getCustomerSoldTo(QStringLiteral("C1003")));
                 editor->DeliveryToSeleted(AppManager::getCustomerShipTo(
                     QStringLiteral("C1003"), QStringLiteral("SH1003")));
             }
         }},
        {QStringLiteral("editor-draft"),
         [](QmlInterface& interface) { openOrder(interface, kDraft); }},
        {QStringLiteral("editor-draft-lines"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->toggleLayout();
         }},
        {QStringLiteral("editor-uploaded"),
         [](QmlInterface& interface) { openOrder(interface, kUploaded); }},
        {QStringLiteral("editor-delivery-picker"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->deliverytopop();
         }},
        {QStringLiteral("editor-quantity"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->rowSelected(1);
         }},
        {QStringLiteral("editor-remark"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->TakeRemark();
         }},
        {QStringLiteral("editor-photo-source"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->TakePhoto();
         }},
        {QStringLiteral("editor-photos"),
         [](QmlInterface& interface) {
             if (auto* editor = openOrder(interface, kDraft))
                 editor->PhotoList();
         }},
        {QStringLiteral("purchase-items"), [](QmlInterface& interface) { purchaseList(interface); }},
        {QStringLiteral("purchase-category-sheet"),
         [](QmlInterface& interface) {
             if (auto* purchase = purchaseList(interface))
                 purchase->cateFunction(2);
         }},
        {QStringLiteral("purchase-filtered"),
         [](QmlInterface& interface) {
             if (auto* purchase = purchaseList(interface)) {
                 purchase->cateFunction(1);
                 chooseInSheet(interface, 0);
                 purchase->cateFunction(2);
                 chooseInSheet(interface, 1);
             }
         }},
        {QStringLiteral("purchase-search"),
         [](QmlInterface& interface) {
             if (auto* purchase = purchaseList(interface)) {
                 purchase->searchBarTextDidBeginEditing();
                 purchase->searchBar(QStringLiteral("juice"));
             }
         }},
        {QStringLiteral("quantity-popover"),
         [](QmlInterface& interface) {
             if (auto* purchase = purchaseList(interface))
                 purchase->rowClicked(0);
         }},
        {QStringLiteral("purchase-promotions"),
         [](QmlInterface& interface) {
             if (promotionProducts(interface)) {
                 postTag(51);
                 settle(400);
                 if (auto* purchase = qobject_cast<PurchaseListViewController*>(
                         interface.rootController()->currentScreen()))
                     purchase->PromoFunction();
             }
         }},
        {QStringLiteral("promo-products"), [](QmlInterface& interface) { promotionProducts(interface); }},
    };
}

int Screenshots::render(const QString& directory, const QStringList& only)
{
    QDir().mkpath(directory);
    int failures = 0;
    // The demo salesman, whose orders the scenes show.
    AppDelegate delegate(nullptr);
    delegate.setUserName(DemoData::userName());
    g_previousHandler = qInstallMessageHandler(countQmlProblems);
    for (const Scene& scene : scenes()) {
        if (!only.isEmpty() && !only.contains(scene.name))
            continue;
        g_qmlProblems = 0;
        QmlInterface interface(true);
        interface.buildInterface();
        if (!interface.window()) {
            std::fprintf(stderr, "screenshots: %s: the window could not be built\n", qPrintable(scene.name));
            ++failures;
            continue;
        }
        settle(100);
        scene.prepare(interface);
        settle(700); // let fades and loaders finish
        if (g_qmlProblems > 0) {
            std::fprintf(stderr, "screenshots: %s: %d QML problems\n", qPrintable(scene.name), g_qmlProblems);
            ++failures;
        }
        const QImage image = interface.window()->grabWindow();
        const QString path = QDir(directory).filePath(scene.name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "screenshots: %s: could not write %s\n", qPrintable(scene.name), qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(QDir(path).absolutePath()));
    }
    qInstallMessageHandler(g_previousHandler);
    return failures;
}
