#include "core/AppDelegate.h"

#include "core/CrashHelper.h"
#include "core/InterfaceBuilder.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"

#include <QDate>
#include <QLoggingCategory>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcLifecycle, "fieldbook.lifecycle")

namespace {
AppDelegate* g_delegate = nullptr;
}

AppDelegate::AppDelegate(InterfaceBuilder* builder, QObject* parent) : QObject(parent), _builder(builder)
{
    g_delegate = this;
    DataManager::setDelegate(this);
}

AppDelegate::~AppDelegate()
{
    if (g_delegate == this)
        g_delegate = nullptr;
    if (DataManager::delegate() == this)
        DataManager::setDelegate(nullptr);
}

AppDelegate* AppDelegate::sharedDelegate()
{
    return g_delegate;
}

bool AppDelegate::didFinishLaunchingWithOptions()
{
    std::srand(unsigned(Clock::now().toSecsSinceEpoch()));
    // The crash check runs before the root screen exists, so that the root
    // screen finds the pending-report flag already set when it loads.
    CrashHelper::sharedCrashHelper()->checkForCrashes();
    if (_builder)
        _builder->buildInterface();
    return true;
}

void AppDelegate::applicationDidBecomeActive()
{
    if (_active)
        return;
    _active = true;
    // A rebuilt window taking the focus is an activation too: without this the
    // login screen of a day without a login would be rebuilt again and again.
    if (_rebuiltOn.isValid() && _rebuiltOn == Clock::now().toLocalTime().date())
        return;
    checkLoginDay();
}

void AppDelegate::applicationWillResignActive()
{
    _active = false;
}

void AppDelegate::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        applicationDidBecomeActive();
    else
        applicationWillResignActive();
}

bool AppDelegate::checkLoginDay()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    const QString stored = defaults.stringForKey(QStringLiteral("logintime"));
    const QDate loginDay = QDate::fromString(stored, QStringLiteral("yyyy-MM-dd"));
    const QDate today = Clock::now().toLocalTime().date();
    // A stored day later than today (the clock was moved back) keeps the session.
    if (loginDay.isValid() && loginDay >= today)
        return false;
    qCInfo(lcLifecycle) << "New day since the last login: back to the login screen";
    _rebuiltOn = today;
    if (_builder)
        _builder->buildInterface();
    return true;
}

void AppDelegate::setUserName(const QString& value)
{
    _userName = value;
    Q_EMIT sharedValuesChanged();
}

void AppDelegate::setSelectSoldTo(const QString& value)
{
    _selectSoldTo = value;
    Q_EMIT sharedValuesChanged();
}

void AppDelegate::setPromoClick(const QString& value)
{
    _promoClick = value;
    Q_EMIT sharedValuesChanged();
}

void AppDelegate::setPromoCode(const QString& value)
{
    _promoCode = value;
    Q_EMIT sharedValuesChanged();
}

void AppDelegate::setPromoName(const QString& value)
{
    _promoName = value;
    Q_EMIT sharedValuesChanged();
}

void AppDelegate::setPromoProductList(const QString& value)
{
    _promoProductList = value;
    Q_EMIT sharedValuesChanged();
}
