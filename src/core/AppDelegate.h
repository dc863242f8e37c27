#pragma once

#include "store/SalesOrderDetails.h"
#include "store/StoreDelegate.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <QString>

class InterfaceBuilder;

// The first object of the application and the last to go. It builds the window
// and root screen at launch, takes over a crash report left by the previous
// run, sends the salesman back to the login screen when the application is
// activated on a later day than the last login, and holds the few values that
// screens hand to one another. Nothing here is persisted. The store reads the
// user name and the chosen sold-to customer from it.
class AppDelegate : public QObject, public StoreDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString UserName READ UserName WRITE setUserName NOTIFY sharedValuesChanged)
    Q_PROPERTY(QString SelectSoldTo READ SelectSoldTo WRITE setSelectSoldTo NOTIFY sharedValuesChanged)
    Q_PROPERTY(QString PromoClick READ PromoClick WRITE setPromoClick NOTIFY sharedValuesChanged)
    Q_PROPERTY(QString PromoCode READ PromoCode WRITE setPromoCode NOTIFY sharedValuesChanged)
    Q_PROPERTY(QString PromoName READ PromoName WRITE setPromoName NOTIFY sharedValuesChanged)
    Q_PROPERTY(QString PromoProductList READ PromoProductList WRITE setPromoProductList NOTIFY sharedValuesChanged)

public:
    explicit AppDelegate(InterfaceBuilder* builder, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application's delegate, for screens and services that need the
    // shared values; null before one is created.
    static AppDelegate* sharedDelegate();

    // Launch sequence: seeds the random generator, takes over a pending crash
    // report, builds the window and root screen. Always succeeds.
    bool didFinishLaunchingWithOptions();
    // Day check on every activation, the one after launch included. Once the
    // check has put the login screen back on a day, later activations of that
    // day leave it alone: a window taking the focus again must not rebuild the
    // screen the salesman is typing into.
    void applicationDidBecomeActive();
    // Nothing is saved, uploaded or cleared when the application leaves the
    // foreground or ends: the stores are durable as they are.
    void applicationWillResignActive();
    // The platform's application state. A window that gets the focus back is
    // an activation as much as a return from the background: a desktop or a
    // tablet that never leaves the foreground still meets the next day.
    void applicationStateChanged(Qt::ApplicationState state);
    void applicationDidEnterBackground() {}
    void applicationWillEnterForeground() {}
    void applicationWillTerminate() {}

    // True when the interface was rebuilt because the last login day is gone.
    bool checkLoginDay();

    QString UserName() const override { return _userName; }
    void setUserName(const QString& value);
    QString SelectSoldTo() const override { return _selectSoldTo; }
    void setSelectSoldTo(const QString& value);
    QString PromoClick() const { return _promoClick; }
    void setPromoClick(const QString& value);
    QString PromoCode() const { return _promoCode; }
    void setPromoCode(const QString& value);
    QString PromoName() const { return _promoName; }
    void setPromoName(const QString& value);
    QString PromoProductList() const { return _promoProductList; }
    void setPromoProductList(const QString& value);
    // The order's lines picked so far, keyed by item code (a promotion line by
    // its marked code): the purchase list hands them to the promotion
    // products and gets them back from there.
    QMap<QString, SalesOrderDetails> totalpurchaseListArray() const { return _totalpurchaseListArray; }
    void setTotalpurchaseListArray(const QMap<QString, SalesOrderDetails>& value)
    {
        _totalpurchaseListArray = value;
    }

Q_SIGNALS:
    void sharedValuesChanged();

private:
    InterfaceBuilder* _builder;
    bool _active = false;
    // The day on which the day check last rebuilt the interface.
    QDate _rebuiltOn;
    QString _userName;
    QString _selectSoldTo;
    QString _promoClick;
    QString _promoCode;
    QString _promoName;
    QString _promoProductList;
    QMap<QString, SalesOrderDetails> _totalpurchaseListArray;
};
