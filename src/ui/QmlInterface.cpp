#include "ui/QmlInterface.h"

#include "ui/RQImageProvider.h"
#include "ui/UiBridge.h"
#include "workflow/ViewController.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickWindow>

Q_LOGGING_CATEGORY(lcUi, "fieldbook.ui")

QmlInterface::QmlInterface(bool showWindow) : _showWindow(showWindow)
{
    _engine.addImageProvider(QStringLiteral("rq"), new RQImageProvider());
    _engine.rootContext()->setContextProperty(QStringLiteral("App"), new UiBridge(&_engine));
    _engine.rootContext()->setContextProperty(QStringLiteral("Dialogs"), &_dialogs);
    Dialogs::setShared(&_dialogs);
    _engine.addImageProvider(QStringLiteral("photoreview"), _photoSource.createReviewProvider());
    _engine.rootContext()->setContextProperty(QStringLiteral("Photos"), &_photoSource);
    PhotoSource::setShared(&_photoSource);
    _engine.rootContext()->setContextProperty(QStringLiteral("Scanner"), &_scanner);
    BarcodeScanner::setShared(&_scanner);
    QObject::connect(&_engine, &QQmlEngine::quit, QCoreApplication::instance(), &QCoreApplication::quit);
}

QmlInterface::~QmlInterface()
{
    delete _window;
    delete _root;
    if (Dialogs::shared() == &_dialogs)
        Dialogs::setShared(nullptr);
}

void QmlInterface::buildInterface()
{
    QQuickWindow* oldWindow = _window;
    ViewController* oldRoot = _root;

    auto* root = new ViewController();
    QQmlComponent component(&_engine, QUrl(QStringLiteral("qrc:/qml/Main.qml")));
    QObject* object = component.createWithInitialProperties({{QStringLiteral("root"), QVariant::fromValue(root)}});
    auto* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
        qCCritical(lcUi) << "Cannot build the main window:" << component.errorString();
        delete object;
        delete root;
        return;
    }
    _window = window;
    _root = root;
    ++_builds;
    if (_showWindow)
        window->show();
    if (oldWindow) {
        oldWindow->hide();
        oldWindow->deleteLater();
    }
    if (oldRoot)
        oldRoot->deleteLater();
}
