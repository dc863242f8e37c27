// The process the fault tests kill. It does one kind of work in the sandbox
// it is given, the way the application does it, and reports each step on
// standard output as one line, flushed at once, so that the test knows what
// had completed when the kill struck:
//
//   fault_child save-orders HOME RUN          saves and edits orders until killed
//   fault_child sync HOME ANSWER TIMESTAMP    applies a saved update answer
//   fault_child settings HOME FIRST           stores settings until killed
//   fault_child upload HOME BASEURL USER PASSWORD NUMBER
//                                             logs in and uploads a saved draft
//   fault_child crash HOME KIND               starts as the application does
//                                             (crash capture on), saves orders,
//                                             then crashes: segv, abort,
//                                             exception, overflow
//
// Lines: "ready" once the work is about to start; then per mode "saving ...",
// "saved ...", "stored N", "done", "failed <message>".
#include "core/AppManager.h"
#include "core/CrashHelper.h"
#include "platform/CrashCapture.h"
#include "http/HttpTransport.h"
#include "http/ResponseChecks.h"
#include "platform/NotificationCenter.h"
#include "platform/Sandbox.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "store/StoreDelegate.h"
#include "sync/Session.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

void report(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int usage()
{
    std::fputs("usage: fault_child save-orders HOME RUN | sync HOME ANSWER TIMESTAMP | settings HOME FIRST |\n"
               "       upload HOME BASEURL USER PASSWORD NUMBER | crash HOME segv|abort|exception|overflow\n",
               stderr);
    return 2;
}

class Owner : public StoreDelegate
{
public:
    explicit Owner(const QString& name) : _name(name) {}
    QString UserName() const override { return _name; }
    QString SelectSoldTo() const override { return QString(); }

private:
    QString _name;
};

// Orders of every size, new ones and edits of earlier ones (some of which
// change the purchase order number), saved as the order editor saves them.
// An order's remark says how many lines it was saved with.
int saveOrders(const QString& run)
{
    DataManager* store = DataManager::sharedManager();
    if (!store->isOpen()) {
        report(QStringLiteral("failed the database did not open"));
        return 1;
    }
    QRandomGenerator random(run.toUInt() * 7919u + 17u);
    QStringList mine;
    report(QStringLiteral("ready"));
    for (int i = 0;; ++i) {
        QString original;
        QString number = QStringLiteral("K%1.%2").arg(run).arg(i);
        if (!mine.isEmpty() && random.bounded(4) == 0) {
            const int pick = int(random.bounded(qsizetype(mine.size())));
            original = mine.at(pick);
            if (random.bounded(3) == 0)
                number = original + QStringLiteral("r");
            else
                number = original;
            mine.removeAt(pick);
        }
        const int lines = 1 + int(random.bounded(40));
        SalesOrder order;
        order.purchaseOrderNo = number;
        order.orderNo = number;
        order.soldToCode = QStringLiteral("C100");
        order.shipToCode = QStringLiteral("SH101");
        order.uploadStatus = 10;
        order.remark = QStringLiteral("lines=%1").arg(lines);
        QList<SalesOrderDetails> details;
        for (int l = 0; l < lines; ++l) {
            SalesOrderDetails line;
            line.orderNo = number;
            line.skuCode = QStringLiteral("SKU%1").arg(l, 4, 10, QLatin1Char('0'));
            line.uomCode = QStringLiteral("CS");
            line.quantity = 1 + l;
            line.promocode = QStringLiteral(" ");
            details.append(line);
        }
        report(QStringLiteral("saving %1 %2 %3").arg(number).arg(lines).arg(original.isEmpty() ? QStringLiteral("-") : original));
        if (!store->saveOrder(order, original, details)) {
            report(QStringLiteral("failed %1 %2").arg(number, store->lastError()));
            return 1;
        }
        report(QStringLiteral("saved %1 %2 %3").arg(number).arg(lines).arg(original.isEmpty() ? QStringLiteral("-") : original));
        mine.append(number);
    }
}

// Answers every call at once with the canned answer, as the network would.
class InstantTransport : public HttpTransport
{
public:
    explicit InstantTransport(QVariant answer) : _answer(std::move(answer)) {}
    void postForm(const QString&, const QVariantMap&, JsonHandler success, FailureHandler) override
    {
        QTimer::singleShot(0, [this, success] { success(_answer); });
    }
    void postMultipart(const QString&, const QVariantMap&, PartsBuilder, JsonHandler success, FailureHandler) override
    {
        QTimer::singleShot(0, [this, success] { success(_answer); });
    }
    void download(const QString&, const QString&, DownloadHandler, FailureHandler failure) override
    {
        QTimer::singleShot(0, [failure] { failure(HttpError(HttpError::CannotConnectToHost, QStringLiteral("no network"))); });
    }

private:
    QVariant _answer;
};

// The master-data update of the order list's pull-to-refresh, with the answer
// read from a file: parsed first, then handed to the application's own answer
// handler, which applies it and stores its time stamp.
int sync(const QString& answerFile, const QString& timeStamp)
{
    QFile file(answerFile);
    if (!file.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("failed cannot read ") + answerFile);
        return 1;
    }
    QVariant json;
    if (const auto error = ResponseChecks::decodeJson(file.readAll(), json)) {
        report(QStringLiteral("failed ") + error->description());
        return 1;
    }
    QVariantMap answer = json.toMap();
    answer.insert(QStringLiteral("timeStamp"), timeStamp);
    HttpTransport::setShared(std::make_shared<InstantTransport>(answer));
    Session::setAuthToken(QStringLiteral("token"));
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("updateSuccess"), [](const QVariantMap&) {
        report(QStringLiteral("done"));
        QCoreApplication::exit(0);
    });
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("updateFailed"), [](const QVariantMap& info) {
        report(QStringLiteral("failed ") + info.value(QStringLiteral("message")).toString());
        QCoreApplication::exit(1);
    });
    // Open the store before the clock starts: the kill is meant for the update.
    DataManager::sharedManager();
    report(QStringLiteral("ready"));
    AppManager::getUpdateDataFromServer();
    return QCoreApplication::exec();
}

// Settings written as the application writes them: the user name of a login
// attempt and the synchronisation time stamp, each synchronised.
int settings(int first)
{
    report(QStringLiteral("ready"));
    for (int i = first;; ++i) {
        AppManager::saveUsername(QStringLiteral("user%1").arg(i));
        Session::storeTimeStamp(QStringLiteral("%1").arg(i, 14, 10, QLatin1Char('0')));
        report(QStringLiteral("stored %1").arg(i));
        QThread::usleep(QRandomGenerator::global()->bounded(2000));
    }
}

// A login against the server, then the upload of a stored draft; the test
// kills the process while the server holds the request.
int upload(const QString& baseUrl, const QString& user, const QString& password, const QString& number)
{
    UserDefaults::standard().setObject(baseUrl, QStringLiteral("host"));
    UserDefaults::standard().synchronize();
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("loginFailed"), [](const QVariantMap& info) {
        report(QStringLiteral("failed ") + info.value(QStringLiteral("message")).toString());
        QCoreApplication::exit(1);
    });
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("loginSuccess"), [number](const QVariantMap&) {
        report(QStringLiteral("logged-in"));
        AppManager::uploadSalesOrder(number);
        report(QStringLiteral("sent"));
    });
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("uploadComplete"), [](const QVariantMap&) {
        report(QStringLiteral("done"));
        QCoreApplication::exit(0);
    });
    report(QStringLiteral("ready"));
    AppManager::loginWithUsername(user, password);
    return QCoreApplication::exec();
}

// A launch's crash check (which turns capture on), some orders saved, and a
// crash of the given kind.
int crash(const QString& kind)
{
    if (!CrashCapture::isCrashKind(kind))
        return usage();
    // Crashing on purpose leaves no core files behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    CrashHelper::sharedCrashHelper()->checkForCrashes();
    DataManager* store = DataManager::sharedManager();
    report(QStringLiteral("ready"));
    for (int i = 0; i < 5; ++i) {
        const QString number = QStringLiteral("CRASH.%1").arg(i);
        SalesOrder order;
        order.purchaseOrderNo = number;
        order.orderNo = number;
        order.uploadStatus = 10;
        order.remark = QStringLiteral("lines=2");
        SalesOrderDetails first;
        first.orderNo = number;
        first.skuCode = QStringLiteral("A100");
        first.quantity = 1;
        first.promocode = QStringLiteral(" ");
        SalesOrderDetails second = first;
        second.skuCode = QStringLiteral("B200");
        if (!store->saveOrder(order, QString(), {first, second})) {
            report(QStringLiteral("failed ") + store->lastError());
            return 1;
        }
        report(QStringLiteral("saved ") + number);
    }
    report(QStringLiteral("crashing"));
    CrashCapture::crashNow(kind);
    report(QStringLiteral("failed still alive"));
    return 4;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const QString mode = QString::fromLocal8Bit(argv[1]);
    Sandbox::setRoot(QString::fromLocal8Bit(argv[2]));
    const QStringList args = [&] {
        QStringList list;
        for (int i = 3; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();

    if (mode == QLatin1String("upload")) {
        if (args.size() != 4)
            return usage();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        Owner owner(args.at(1));
        DataManager::setDelegate(&owner);
        return upload(args.at(0), args.at(1), args.at(2), args.at(3));
    }

    QCoreApplication app(argc, argv);
    Owner owner(QStringLiteral("alice"));
    DataManager::setDelegate(&owner);
    if (mode == QLatin1String("save-orders") && args.size() == 1)
        return saveOrders(args.at(0));
    if (mode == QLatin1String("sync") && args.size() == 2)
        return sync(args.at(0), args.at(1));
    if (mode == QLatin1String("settings") && args.size() == 1)
        return settings(args.at(0).toInt());
    if (mode == QLatin1String("crash") && args.size() == 1)
        return crash(args.at(0));
    return usage();
}
