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

using namespace Qt::StringLiterals;

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

// A draft as the order editor saves it: its remark says how many lines it
// was saved with.
bool saveOrder(const QString& number, const QString& original, const QStringList& skus)
{
    SalesOrder order;
    order.purchaseOrderNo = order.orderNo = number;
    order.soldToCode = u"C100"_s;
    order.shipToCode = u"SH101"_s;
    order.uploadStatus = 10;
    order.remark = u"lines=%1"_s.arg(skus.size());
    QList<SalesOrderDetails> details;
    for (const QString& sku : skus) {
        SalesOrderDetails line;
        line.orderNo = number;
        line.skuCode = sku;
        line.uomCode = u"CS"_s;
        line.quantity = 1 + int(details.size());
        line.promocode = u" "_s;
        details.append(line);
    }
    DataManager* store = DataManager::sharedManager();
    if (store->saveOrder(order, original, details))
        return true;
    report(u"failed %1 %2"_s.arg(number, store->lastError()));
    return false;
}

// Orders of every size, new ones and edits of earlier ones (some of which
// change the purchase order number).
int saveOrders(const QString& run)
{
    if (!DataManager::sharedManager()->isOpen()) {
        report(u"failed the database did not open"_s);
        return 1;
    }
    QRandomGenerator random(run.toUInt() * 7919u + 17u);
    QStringList mine;
    report(u"ready"_s);
    for (int i = 0;; ++i) {
        QString original;
        QString number = u"K%1.%2"_s.arg(run).arg(i);
        if (!mine.isEmpty() && random.bounded(4) == 0) {
            original = mine.takeAt(int(random.bounded(qsizetype(mine.size()))));
            number = random.bounded(3) == 0 ? original + u"r"_s : original;
        }
        QStringList skus;
        for (int l = 0, lines = 1 + int(random.bounded(40)); l < lines; ++l)
            skus << u"SKU%1"_s.arg(l, 4, 10, QLatin1Char('0'));
        const QString step = u"%1 %2 %3"_s.arg(number).arg(skus.size()).arg(original.isEmpty() ? u"-"_s : original);
        report(u"saving "_s + step);
        if (!saveOrder(number, original, skus))
            return 1;
        report(u"saved "_s + step);
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
        QTimer::singleShot(0, [failure] { failure(HttpError(HttpError::CannotConnectToHost, u"no network"_s)); });
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
        report(u"failed cannot read "_s + answerFile);
        return 1;
    }
    QVariant json;
    if (const auto error = ResponseChecks::decodeJson(file.readAll(), json)) {
        report(u"failed "_s + error->description());
        return 1;
    }
    QVariantMap answer = json.toMap();
    answer.insert(u"timeStamp"_s, timeStamp);
    HttpTransport::setShared(std::make_shared<InstantTransport>(answer));
    Session::setAuthToken(u"token"_s);
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, u"updateSuccess"_s, [](const QVariantMap&) {
        report(u"done"_s);
        QCoreApplication::exit(0);
    });
    NotificationCenter::defaultCenter().addObserver(&observer, u"updateFailed"_s, [](const QVariantMap& info) {
        report(u"failed "_s + info.value(u"message"_s).toString());
        QCoreApplication::exit(1);
    });
    // Open the store before the clock starts: the kill is meant for the update.
    DataManager::sharedManager();
    report(u"ready"_s);
    AppManager::getUpdateDataFromServer();
    return QCoreApplication::exec();
}

// Settings written as the application writes them: the user name of a login
// attempt and the synchronisation time stamp, each synchronised.
int settings(int first)
{
    report(u"ready"_s);
    for (int i = first;; ++i) {
        AppManager::saveUsername(u"user%1"_s.arg(i));
        Session::storeTimeStamp(u"%1"_s.arg(i, 14, 10, QLatin1Char('0')));
        report(u"stored %1"_s.arg(i));
        QThread::usleep(QRandomGenerator::global()->bounded(2000));
    }
}

// A login against the server, then the upload of a stored draft; the test
// kills the process while the server holds the request.
int upload(const QString& baseUrl, const QString& user, const QString& password, const QString& number)
{
    UserDefaults::standard().setObject(baseUrl, u"host"_s);
    UserDefaults::standard().synchronize();
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, u"loginFailed"_s, [](const QVariantMap& info) {
        report(u"failed "_s + info.value(u"message"_s).toString());
        QCoreApplication::exit(1);
    });
    NotificationCenter::defaultCenter().addObserver(&observer, u"loginSuccess"_s, [number](const QVariantMap&) {
        report(u"logged-in"_s);
        AppManager::uploadSalesOrder(number);
        report(u"sent"_s);
    });
    NotificationCenter::defaultCenter().addObserver(&observer, u"uploadComplete"_s, [](const QVariantMap&) {
        report(u"done"_s);
        QCoreApplication::exit(0);
    });
    report(u"ready"_s);
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
    DataManager::sharedManager();
    report(u"ready"_s);
    for (int i = 0; i < 5; ++i) {
        const QString number = u"CRASH.%1"_s.arg(i);
        if (!saveOrder(number, QString(), {u"A100"_s, u"B200"_s}))
            return 1;
        report(u"saved "_s + number);
    }
    report(u"crashing"_s);
    CrashCapture::crashNow(kind);
    report(u"failed still alive"_s);
    return 4;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const QString mode = QString::fromLocal8Bit(argv[1]);
    Sandbox::setRoot(QString::fromLocal8Bit(argv[2]));
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

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
    Owner owner(u"alice"_s);
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
