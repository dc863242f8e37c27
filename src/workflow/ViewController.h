#pragma once

#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include "workflow/HeaderViewController.h"
#include "workflow/ScreenController.h"
#include "workflow/ScreenFactory.h"
#include "workflow/ScreenRoles.h"

#include <functional>
#include <utility>

class Dialogs;
class OrderListViewController;
class PhotoSource;

// The root screen: holds the one current screen (and at most one overlay
// panel) and decides what comes next when a screen posts a notification.
// Screens never open one another. A screen that is replaced stays alive until
// the new one has faded in, then it is released with everything it showed.
//
// The whole navigation is the router (handleNotification): the notifications
// screens post, and the tags of the header bar's buttons. It builds the next
// screen through its ScreenFactory and talks to screens only through the
// roles of ScreenRoles.h, the order list and the login screen excepted.
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

    // Opens the picker of a photo source: 1 camera and 2 library with a
    // square crop (item catalogue), 3 camera and 4 library (order editor).
    // The photo goes to the current screen's processCapturedImage(); other
    // numbers do nothing.
    void takePhoto(int source);

    // The size of the root's view, which the square crop follows.
    Q_INVOKABLE void setViewSize(qreal width, qreal height);
    QSizeF viewSize() const { return _viewSize; }

    // Dialogs handed to every screen this root creates (tests); null: the
    // interface's own.
    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }
    Dialogs* dialogs() const;
    // The photo pickers (tests); null: the interface's own.
    void setPhotoSource(PhotoSource* source) { _photoSource = source; }
    PhotoSource* photoSource() const;
    // How the screens are built (tests hand in their own).
    void setScreenFactory(const ScreenFactory& factory) { _factory = factory; }

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
    void headerButtonClicked(int tag, const QVariantMap& userInfo);
    void loginSucceeded();
    void loginFailed(const QVariantMap& userInfo);
    void rowClicked(const QVariantMap& userInfo);
    void showHeader(int type);
    // The order list layout with the title of the list's mode.
    void showOrderListHeader(int mode);
    void dropHeader();
    void dismissMenu();

    // A new order list in a mode, made current; rowTo() once it is built.
    OrderListViewController* showOrderList(int mode, const QString& rowTo = QString());
    // A new screen from the factory, when it plays the role.
    template <typename Role> std::pair<ScreenController*, Role*> make(const ScreenFactory::Make& make);
    // The current screen in a role, or null.
    template <typename Role> Role* current() const;
    OrderListViewController* currentOrderList() const;
    // False (and the notice) when the current list has no selected row.
    bool haveSelection();

    void openEditor(const SalesOrder& order, bool uploaded, const QList<SalesOrder>& listed);
    void openPurchaseList(const SalesOrder& order, const std::optional<CustomerShipTo>& shipTo,
                          const std::optional<CustomerSoldTo>& soldTo,
                          const QList<SalesOrderDetails>& items);
    // The confirmation sheets: a title, the confirm button and a cancel
    // button; `confirmed` runs when the chosen title is the confirm text.
    void confirm(const char* titleKey, const char* confirmKey, std::function<void()> confirmed);
    void logout();
    void deliverPhoto(const QImage& image);

    void prepare(ScreenController* screen);
    void releaseLastScreen();

    QPointer<ScreenController> _viewController;
    QPointer<ScreenController> _lastViewController;
    QPointer<ScreenController> _popupViewController;
    QPointer<HeaderViewController> _headerViewController;
    Dialogs* _dialogs = nullptr;
    PhotoSource* _photoSource = nullptr;
    ScreenFactory _factory = ScreenFactory::standard();
    QSizeF _viewSize{1024, 768};
};
