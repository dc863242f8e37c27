#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class PhotoSource;

// The logic of one screen, independent of how it is drawn. Its view is
// qrc:/qml/<viewName>.qml, which receives the controller as its `controller`
// property; the view shows the controller's properties and calls its
// invokables, and never reaches the store or the network itself.
class ScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString viewName READ viewName CONSTANT)

public:
    explicit ScreenController(QObject* parent = nullptr);

    virtual QString viewName() const = 0;

    // The dialogs this screen shows its alerts and popovers through: the ones
    // handed in (tests), else those of the running interface.
    Dialogs* dialogs() const;
    void setDialogs(Dialogs* dialogs) { _dialogs = dialogs; }
    // Where photos come from, for a screen that asks whether there is a
    // camera: the one handed in (the root's, in tests), else the interface's.
    PhotoSource* photoSource() const;
    void setPhotoSource(PhotoSource* source) { _photoSource = source; }

    // The view calls these when it has come on screen and before it goes.
    Q_INVOKABLE virtual void viewDidLoad() {}
    Q_INVOKABLE virtual void viewWillDisappear() {}

private:
    Dialogs* _dialogs = nullptr;
    PhotoSource* _photoSource = nullptr;
};
