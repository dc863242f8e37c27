#include "workflow/LoginViewController.h"

#include "core/AppDelegate.h"
#include "core/AppManager.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/NotificationCenter.h"
#include "platform/Strings.h"
#include "sync/DownloadManager.h"
#include "workflow/SyncProgress.h"

LoginViewController::LoginViewController(QObject* parent) : ScreenController(parent)
{
    // The first login of a day brings every record: the overlay says how far.
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("syncProgress"), [this](const QVariantMap& info) {
        if (_loading)
            setProgressText(syncProgressText(info));
    });
}

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
    setProgressText(QString());
    Q_EMIT loadingChanged();
}

void LoginViewController::hideLoading()
{
    if (!_loading)
        return;
    _loading = false;
    setProgressText(QString());
    Q_EMIT loadingChanged();
}

void LoginViewController::setProgressText(const QString& text)
{
    if (_progressText == text)
        return;
    _progressText = text;
    Q_EMIT progressTextChanged();
}
