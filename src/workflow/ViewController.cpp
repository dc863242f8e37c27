#include "workflow/ViewController.h"

#include "platform/DeviceIdiom.h"
#include "platform/Dialogs.h"
#include "platform/AppInfo.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "workflow/LoginViewController.h"
#include "support/RQImage.h"
#include "workflow/PlaceholderController.h"
#include "workflow/ScreenController.h"
#include "workflow/StoreNotice.h"

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

void ViewController::prepare(ScreenController* screen)
{
    screen->setParent(this);
    if (_dialogs)
        screen->setDialogs(_dialogs);
}

void ViewController::viewDidLoad()
{
    performTransition(adopt(new LoginViewController()));
    // A database that was replaced, or that cannot be written, is told before
    // the salesman types anything.
    StoreNotice::showPending(dialogs());
}

void ViewController::handleNotification(const QString& name, const QVariantMap& userInfo)
{
    if (name == QLatin1String("loginSuccess"))
        loginSucceeded();
    else if (name == QLatin1String("loginFailed"))
        loginFailed(userInfo);
}

void ViewController::loginSucceeded()
{
    showHeader(HeaderViewController::OrderList);
    performTransition(adopt(new PlaceholderController(
        Strings::localized("ORDERLISTVIEW_HEADER"), QStringLiteral("Order list placeholder: the order list comes next."))));
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

void ViewController::dropHeader()
{
    if (!_headerViewController)
        return;
    _headerViewController->deleteLater();
    _headerViewController = nullptr;
    Q_EMIT headerChanged();
}

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
