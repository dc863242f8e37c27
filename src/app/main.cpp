// Field Book: order taking for field salesmen, on line or off.
//
//   fieldbook                       start the application
//   fieldbook --set KEY=VALUE ...   store settings ("host", "host_dev",
//                                   "developmentSetting", "exportMailRecipient",
//                                   "serverCA") and exit
//   fieldbook --unset KEY ...       remove settings and exit
//   fieldbook --settings            print the bundle folder and the stored
//                                   settings and exit
//   fieldbook --screenshots DIR     render every screen to DIR/<screen>.png
//   fieldbook --phone               lay the application out as on a phone
//   fieldbook --home DIR            keep every file of the application in DIR
//
// Not listed by --help: "--crash-now KIND" starts as usual and then crashes on
// purpose (segv, abort, exception, exception-bytes, overflow), to try the crash
// report at the next start.
#include "core/AppDelegate.h"
#include "platform/CrashCapture.h"
#include "platform/DeviceIdiom.h"
#include "platform/Sandbox.h"
#include "platform/Strings.h"
#include "platform/UserDefaults.h"
#include "ui/QmlInterface.h"
#include "ui/Screenshots.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
struct Options {
    QStringList set;
    QStringList unset;
    bool printSettings = false;
    QString screenshots;
    QStringList screenshotScenes;
    bool phone = false;
    QString home;
    QString crashNow;
    bool help = false;
    QString error;
};

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        auto next = [&]() -> QString {
            if (i + 1 >= argc) {
                o.error = arg + QStringLiteral(" needs a value");
                return QString();
            }
            return QString::fromLocal8Bit(argv[++i]);
        };
        if (arg == QLatin1String("--set"))
            o.set << next();
        else if (arg == QLatin1String("--unset"))
            o.unset << next();
        else if (arg == QLatin1String("--settings"))
            o.printSettings = true;
        else if (arg == QLatin1String("--screenshots"))
            o.screenshots = next();
        else if (arg == QLatin1String("--scene"))
            o.screenshotScenes << next();
        else if (arg == QLatin1String("--phone"))
            o.phone = true;
        else if (arg == QLatin1String("--home"))
            o.home = next();
        else if (arg == QLatin1String("--crash-now")) {
            o.crashNow = next();
            if (!o.crashNow.isNull() && !CrashCapture::isCrashKind(o.crashNow))
                o.error = QStringLiteral("--crash-now takes segv, abort, exception, exception-bytes or overflow");
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            o.help = true;
        else if (!arg.startsWith(QLatin1String("-platform")) && !arg.startsWith(QLatin1String("-style")) &&
                 !(i > 1 && (QString::fromLocal8Bit(argv[i - 1]) == QLatin1String("-platform"))))
            o.error = QStringLiteral("unknown option ") + arg;
    }
    return o;
}

void usage()
{
    std::printf("usage: fieldbook [--home DIR] [--phone]\n"
                "       fieldbook --set KEY=VALUE [--set KEY=VALUE ...]   (host, host_dev, developmentSetting, exportMailRecipient, serverCA)\n"
                "       fieldbook --unset KEY\n"
                "       fieldbook --settings\n"
                "       fieldbook --screenshots DIR [--scene NAME ...]\n");
}

int editSettings(const Options& o)
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    for (const QString& assignment : o.set) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            std::fprintf(stderr, "fieldbook: --set takes KEY=VALUE, not \"%s\"\n", qPrintable(assignment));
            return 2;
        }
        const QString key = assignment.left(eq);
        const QString value = assignment.mid(eq + 1);
        if (key == QLatin1String("developmentSetting"))
            defaults.setObject(UserDefaults::parseBool(value), key);
        else
            defaults.setObject(value, key);
    }
    for (const QString& key : o.unset)
        defaults.removeObjectForKey(key);
    defaults.synchronize();
    if (o.printSettings || !o.set.isEmpty() || !o.unset.isEmpty()) {
        std::printf("bundle: %s\n", qPrintable(Sandbox::applicationDirectory()));
        std::printf("settings: %s\n", qPrintable(Sandbox::settingsFilePath()));
        for (const QString& key : defaults.allKeys())
            std::printf("  %s=%s\n", qPrintable(key), qPrintable(defaults.objectForKey(key).toString()));
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    if (options.help) {
        usage();
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "fieldbook: %s\n", qPrintable(options.error));
        usage();
        return 2;
    }
    if (!options.home.isEmpty())
        Sandbox::setRoot(options.home);
    if (options.phone)
        DeviceIdiom::setTablet(false);

    if (!options.set.isEmpty() || !options.unset.isEmpty() || options.printSettings) {
        QCoreApplication app(argc, argv);
        return editSettings(options);
    }

    if (!options.screenshots.isEmpty()) {
        // Rendering needs no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
            qputenv("QT_QUICK_BACKEND", "software");
    }

    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Field Book"));
    QGuiApplication::setOrganizationName(QStringLiteral("Field Book"));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    Strings::install();

    if (!options.screenshots.isEmpty())
        return Screenshots::render(options.screenshots, options.screenshotScenes) == 0 ? 0 : 1;

    QmlInterface interface;
    AppDelegate delegate(&interface);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &delegate,
                     &AppDelegate::applicationStateChanged);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    delegate.didFinishLaunchingWithOptions();
    // The activation that follows launch: platforms without window focus
    // (offscreen, VNC) never report one of their own.
    delegate.applicationDidBecomeActive();
    if (!interface.window())
        return 1;
    // The interface has loaded its plugins by now: their build-ids go into a
    // crash report too.
    CrashCapture::noteLoadedImages();
    if (!options.crashNow.isEmpty()) {
        // From the event loop, as a real fault would come: capture is enabled
        // by now (the launch sequence did it).
        QTimer::singleShot(0, [kind = options.crashNow]() { CrashCapture::crashNow(kind); });
    }
    return app.exec();
}
