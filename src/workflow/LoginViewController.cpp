#include "workflow/LoginViewController.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/Strings.h"
#include "sync/DownloadManager.h"

LoginViewController::LoginViewController(QObject* parent) : ScreenController(parent) {}

void LoginViewController::setUsername(const QString& text)
{
    if (_username == text)
        return;
    _username = text;
    Q_EMIT usernameChanged();
}

void LoginViewController::setPassword(const QString& text)
{
    if (_password == text)
        return;
    _password = text;
    Q_EMIT passwordChanged();
}

QString LoginViewController::versionText() const
{
    return Strings::localized("VERSION").arg(AppManager::getAppVersionString());
}

QString LoginViewController::footerText() const
{
    return Strings::localized("COPYRIGHTS");
}

void LoginViewController::setFocusField(const QString& field)
{
    if (_focusField == field)
        return;
    _focusField = field;
    Q_EMIT focusFieldChanged();
}

void LoginViewController::viewDidLoad()
{
    // The last salesman who tried to log in on this device is offered again;
    // he only types his password.
    const QString last = AppManager::getUsername();
    if (!last.isEmpty()) {
        setUsername(last);
        setFocusField(QStringLiteral("password"));
    } else {
        setFocusField(QStringLiteral("username"));
    }
}

void LoginViewController::viewWillDisappear()
{
    // Picture downloads left over from the last run resume once the salesman
    // is in.
    DownloadManager::sharedManager();
}

void LoginViewController::buttonClicked(int tag)
{
    if (tag != 1 || _loading)
        return;
    const QString username = _username;
    const QString password = _password;
    if (AppDelegate* delegate = AppDelegate::sharedDelegate())
        delegate->setUserName(username);
    const QVariantMap verdict = AppManager::verifyUsername(username, password);
    if (verdict.value(QStringLiteral("result")).toString().toInt() < 1) {
        if (dialogs())
            dialogs()->showAlert(AppInfo::displayName(), verdict.value(QStringLiteral("message")).toString(),
                                 {Strings::localized("BUTTON_OK")});
        return;
    }
    setFocusField(QString());
    showLoading();
    AppManager::loginWithUsername(username, password);
}

void LoginViewController::showLoading()
{
    if (_loading)
        return;
    _loading = true;
    Q_EMIT loadingChanged();
}

void LoginViewController::hideLoading()
{
    if (!_loading)
        return;
    _loading = false;
    Q_EMIT loadingChanged();
}
