#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include "workflow/HeaderViewController.h"
#include "workflow/ScreenController.h"
class Dialogs;

// The root screen: holds the one current screen (and at most one overlay
// panel) and decides what comes next when a screen posts a notification.
// Screens never open one another. A screen that is replaced stays alive until
// the new one has faded in, then it is released with everything it showed.
class ViewController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* currentScreen READ currentScreen NOTIFY currentScreenChanged)
    Q_PROPERTY(QObject* overlayScreen READ overlayScreen NOTIFY overlayScreenChanged)
    // The header bar; absent before the first login and after logout.
    Q_PROPERTY(QObject* header READ header NOTIFY headerChanged)

public:
    explicit ViewController(QObject* parent = nullptr);
    ~ViewController() override;

    ScreenController* currentScreen() const { return _viewController; }
    ScreenController* overlayScreen() const { return _popupViewController; }
    HeaderViewController* header() const { return _headerViewController; }

    // Called once the window has loaded: shows the login screen.
    Q_INVOKABLE void viewDidLoad();

    // Makes the screen current; the view fades it in over 0.3 s and then calls
    // transitionFinished(), which releases the screen it replaced.
    void performTransition(ScreenController* screen);
    Q_INVOKABLE void transitionFinished();

    // The overlay panel (80 % of the root, centred); one at a time.
    void showPopover(ScreenController* panel);
    Q_INVOKABLE void dismissOverlay();

    // Dialogs handed to every screen this root creates (tests); null: the
    // interface's own.
    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }
    Dialogs* dialogs() const;

Q_SIGNALS:
    void currentScreenChanged();
    void overlayScreenChanged();
    void headerChanged();

protected:
    // Gives a newly created screen its parent and dialogs.
    template <typename T> T* adopt(T* screen)
    {
        prepare(screen);
        return screen;
    }

private:
    // The router: what a notification or a header command leads to.
    void handleNotification(const QString& name, const QVariantMap& userInfo);
    void loginSucceeded();
    void loginFailed(const QVariantMap& userInfo);
    void showHeader(int type);
    void dropHeader();

    void prepare(ScreenController* screen);
    void releaseLastScreen();

    QPointer<ScreenController> _viewController;
    QPointer<ScreenController> _lastViewController;
    QPointer<ScreenController> _popupViewController;
    QPointer<HeaderViewController> _headerViewController;
    Dialogs* _dialogs = nullptr;
};
