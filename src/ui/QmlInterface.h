#pragma once

#include "core/InterfaceBuilder.h"
#include "ui/QmlDialogs.h"
#include "ui/QmlPhotoSource.h"

#include <QPointer>
#include <QQmlEngine>

class QQuickWindow;
#include "workflow/ViewController.h"

// Builds the window from qrc:/qml/Main.qml with a new root screen controller.
// A rebuild (a new day) releases the old window and everything it showed.
class QmlInterface : public InterfaceBuilder
{
public:
    explicit QmlInterface(bool showWindow = true);
    ~QmlInterface() override;

    void buildInterface() override;

    QQuickWindow* window() const { return _window; }
    ViewController* rootController() const { return _root; }
    QQmlEngine* engine() { return &_engine; }
    QmlDialogs* dialogs() { return &_dialogs; }
    QmlPhotoSource* photoSource() { return &_photoSource; }
    int builds() const { return _builds; }

private:
    QQmlEngine _engine;
    QmlDialogs _dialogs;
    QmlPhotoSource _photoSource;
    QPointer<QQuickWindow> _window;
    QPointer<ViewController> _root;
    bool _showWindow;
    int _builds = 0;
};
