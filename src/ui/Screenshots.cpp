#include "ui/Screenshots.h"

#include "ui/QmlInterface.h"
#include "platform/NotificationCenter.h"
#include "workflow/LoginViewController.h"
#include "workflow/ViewController.h"

#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>

namespace {
// QML errors while a scene renders make the scene fail: a screen that renders
// with a broken binding is not a screen anyone looked at.
int g_qmlProblems = 0;
QtMessageHandler g_previousHandler = nullptr;

void countQmlProblems(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains(QLatin1String("qrc:/qml/")))
        ++g_qmlProblems;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

std::vector<Screenshots::Scene> Screenshots::scenes()
{
    auto login = [](QmlInterface& interface) {
        return qobject_cast<LoginViewController*>(interface.rootController()->currentScreen());
    };
    return {
        {QStringLiteral("login"), [](QmlInterface&) {}},
        {QStringLiteral("login-refused"),
         [login](QmlInterface& interface) {
             if (auto* screen = login(interface)) {
                 screen->setUsername(QStringLiteral("ab"));
                 screen->setPassword(QStringLiteral("secret"));
                 screen->buttonClicked(1);
             }
         }},
        {QStringLiteral("login-loading"),
         [login](QmlInterface& interface) {
             if (auto* screen = login(interface)) {
                 screen->setUsername(QStringLiteral("demo"));
                 screen->setPassword(QStringLiteral("demo1234"));
                 screen->showLoading();
             }
         }},
        {QStringLiteral("header-orderlist"),
         [](QmlInterface&) { NotificationCenter::defaultCenter().post(QStringLiteral("loginSuccess")); }},
    };
}

int Screenshots::render(const QString& directory, const QStringList& only)
{
    QDir().mkpath(directory);
    int failures = 0;
    g_previousHandler = qInstallMessageHandler(countQmlProblems);
    for (const Scene& scene : scenes()) {
        if (!only.isEmpty() && !only.contains(scene.name))
            continue;
        g_qmlProblems = 0;
        QmlInterface interface(true);
        interface.buildInterface();
        if (!interface.window()) {
            std::fprintf(stderr, "screenshots: %s: the window could not be built\n", qPrintable(scene.name));
            ++failures;
            continue;
        }
        settle(100);
        scene.prepare(interface);
        settle(700); // let fades and loaders finish
        if (g_qmlProblems > 0) {
            std::fprintf(stderr, "screenshots: %s: %d QML problems\n", qPrintable(scene.name), g_qmlProblems);
            ++failures;
        }
        const QImage image = interface.window()->grabWindow();
        const QString path = QDir(directory).filePath(scene.name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "screenshots: %s: could not write %s\n", qPrintable(scene.name), qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(QDir(path).absolutePath()));
    }
    qInstallMessageHandler(g_previousHandler);
    return failures;
}
