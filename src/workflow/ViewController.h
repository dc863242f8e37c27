#pragma once

#include <QObject>
#include <QString>

// The root screen: owns the header bar and the one current screen below it,
// and decides what comes next when a screen posts a notification. Screens never
// open one another.
class ViewController : public QObject
{
    Q_OBJECT
    // The screen shown below the header bar, by view name ("LoginPlaceholder").
    Q_PROPERTY(QString currentScreen READ currentScreen NOTIFY currentScreenChanged)
    Q_PROPERTY(bool headerVisible READ headerVisible NOTIFY headerVisibleChanged)

public:
    explicit ViewController(QObject* parent = nullptr);

    QString currentScreen() const { return _currentScreen; }
    bool headerVisible() const { return _headerVisible; }

    // Called once the view has loaded: shows the login screen.
    Q_INVOKABLE void viewDidLoad();

Q_SIGNALS:
    void currentScreenChanged();
    void headerVisibleChanged();

private:
    void show(const QString& screen);

    QString _currentScreen;
    bool _headerVisible = false;
};
