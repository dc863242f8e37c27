#pragma once

#include "workflow/ScreenController.h"

// The login screen: user name and password, the login button, the version
// and footer labels, and the loading overlay while a login is under way. The
// outcome arrives at the root screen as "loginSuccess" or "loginFailed".
class LoginViewController : public ScreenController
{
    Q_OBJECT
    Q_PROPERTY(QString username READ username WRITE setUsername NOTIFY usernameChanged)
    Q_PROPERTY(QString password READ password WRITE setPassword NOTIFY passwordChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    // Under the spinner: how far the master data are ("Storing… 60 %").
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressTextChanged)
    // "username" or "password": the field that has the keyboard focus.
    Q_PROPERTY(QString focusField READ focusField NOTIFY focusFieldChanged)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(QString footerText READ footerText CONSTANT)

public:
    explicit LoginViewController(QObject* parent = nullptr);
    QString viewName() const override { return QStringLiteral("LoginView"); }

    QString username() const { return _username; }
    void setUsername(const QString& text);
    QString password() const { return _password; }
    void setPassword(const QString& text);
    bool loading() const { return _loading; }
    QString progressText() const { return _progressText; }
    QString focusField() const { return _focusField; }
    QString versionText() const;
    QString footerText() const;

    void viewDidLoad() override;
    void viewWillDisappear() override;

    // The login button carries tag 1; other tags are ignored.
    Q_INVOKABLE void buttonClicked(int tag);
    void showLoading();
    Q_INVOKABLE void hideLoading();

Q_SIGNALS:
    void usernameChanged();
    void passwordChanged();
    void loadingChanged();
    void progressTextChanged();
    void focusFieldChanged();

private:
    void setFocusField(const QString& field);
    void setProgressText(const QString& text);

    QString _username;
    QString _password;
    bool _loading = false;
    QString _progressText;
    QString _focusField = QStringLiteral("username");
};
