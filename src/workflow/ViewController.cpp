#include "workflow/ViewController.h"

#include "platform/DeviceIdiom.h"
#include "platform/Dialogs.h"
#include "support/RQImage.h"
#include "workflow/PlaceholderController.h"
#include "workflow/ScreenController.h"

ViewController::ViewController(QObject* parent) : QObject(parent)
{
    // Pictures are drawn per screen size; choose the folder once, before any
    // screen asks for a picture.
    RQImage::setResourcePath(RQImage::resourceFolderFor(DeviceIdiom::isTablet(), RQImage::getSystemScaleFactor()));
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
    performTransition(adopt(new PlaceholderController(
        QStringLiteral("Login"), QStringLiteral("Login screen placeholder: signing in comes with the login screen."))));
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
