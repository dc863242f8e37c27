#include "ui/Screenshots.h"

#include "ui/QmlInterface.h"
#include "core/AppDelegate.h"
#include "platform/NotificationCenter.h"
#include "ui/DemoData.h"
#include "workflow/LoginViewController.h"
#include "workflow/OrderListViewController.h"
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

// Scrolls the list to its very top, where the sort and filter bar waits.
void showSortBar(QmlInterface& interface)
{
    if (QQuickItem* list = findItem(interface.window()->contentItem(), QStringLiteral("orderList")))
        list->setProperty("contentY", list->property("originY"));
    settle(100);
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
        {QStringLiteral("orderlist"), [](QmlInterface& interface) { orderList(interface); }},
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
        {QStringLiteral("orderlist-open-order"),
         [](QmlInterface& interface) {
             if (auto* list = orderList(interface))
                 list->rowClicked(2);
         }},
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
