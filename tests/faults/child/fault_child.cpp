// The process the fault tests kill: one kind of work in the sandbox HOME, the
// way the application does it, each step reported on standard output as one
// line flushed at once ("ready", then "saving ...", "saved ...", "stored N",
// "sent", "done" or "failed <message>"), so that the test knows what had
// completed when the kill struck. `fault_child MODE HOME ARGUMENTS`: the
// modes and their arguments are the functions main() names.
#include "core/AppManager.h"
#include "core/CrashHelper.h"
#include "http/HttpTransport.h"
#include "http/ResponseChecks.h"
#include "platform/CrashCapture.h"
#include "platform/NotificationCenter.h"
#include "platform/Sandbox.h"
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
#include <functional>
#include <map>
#include <memory>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

void report(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

struct Owner : StoreDelegate
{
    QString name;
    QString UserName() const override { return name; }
    QString SelectSoldTo() const override { return QString(); }
};

// A draft of `lines` lines as the order editor saves it: its remark says how
// many lines it was saved with.
bool saveOrder(const QString& number, const QString& original, int lines)
{
    SalesOrder order;
    order.purchaseOrderNo = order.orderNo = number;
    order.soldToCode = u"C100"_s;
    order.shipToCode = u"SH101"_s;
    order.uploadStatus = 10;
    order.remark = u"lines=%1"_s.arg(lines);
    QList<SalesOrderDetails> details(lines);
    for (int i = 0; i < lines; ++i) {
        details[i].orderNo = number;
        details[i].skuCode = u"SKU%1"_s.arg(i, 4, 10, QLatin1Char('0'));
        details[i].uomCode = u"CS"_s;
        details[i].quantity = 1 + i;
        details[i].promocode = u" "_s;
    }
    if (DataManager::sharedManager()->saveOrder(order, original, details))
        return true;
    report(u"failed %1 %2"_s.arg(number, DataManager::sharedManager()->lastError()));
    return false;
}

// Orders of every size, new ones and edits of earlier ones (some of which
// change the purchase order number).
int saveOrders(const QString& run)
{
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
        const int lines = 1 + int(random.bounded(40));
        const QString step =
            u"%1 %2 %3"_s.arg(number).arg(lines).arg(original.isEmpty() ? u"-"_s : original);
        report(u"saving "_s + step);
        if (!saveOrder(number, original, lines))
            return 1;
        report(u"saved "_s + step);
        mine.append(number);
    }
}

// Answers every call at once with the canned answer, as the network would.
struct InstantTransport : HttpTransport
{
    QVariantMap answer;
    void postForm(const QString&, const QVariantMap&, JsonHandler success, FailureHandler) override
    {
        QTimer::singleShot(0, [this, success] { success(answer); });
    }
    void postMultipart(const QString&, const QVariantMap&, PartsBuilder, JsonHandler,
                       FailureHandler) override
    {}
    void download(const QString&, const QString&, DownloadHandler, FailureHandler) override {}
};

// When the notification comes: reports the line ("failed <message>" when
// none is given) and ends the event loop with the code.
void endOn(const char* name, int code, const QString& line = QString())
{
    static QObject observer;
    NotificationCenter::defaultCenter().addObserver(
        &observer, QString::fromLatin1(name), [code, line](const QVariantMap& info) {
            report(line.isNull() ? u"failed "_s + info.value(u"message"_s).toString() : line);
            QCoreApplication::exit(code);
        });
}

// The master-data update of the order list's pull-to-refresh, with the answer
// read from a file: parsed first, then handed to the application's own answer
// handler, which applies it and stores its time stamp.
int sync(const QString& answerFile, const QString& timeStamp)
{
    QFile file(answerFile);
    QVariant json;
    if (!file.open(QIODevice::ReadOnly) || ResponseChecks::decodeJson(file.readAll(), json)) {
        report(u"failed cannot read "_s + answerFile);
        return 1;
    }
    auto transport = std::make_shared<InstantTransport>();
    transport->answer = json.toMap();
    transport->answer.insert(u"timeStamp"_s, timeStamp);
    HttpTransport::setShared(transport);
    Session::setAuthToken(u"token"_s);
    endOn("updateSuccess", 0, u"done"_s);
    endOn("updateFailed", 1);
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
int upload(const QString& user, const QString& password, const QString& number)
{
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(&observer, u"loginSuccess"_s,
                                                    [number](const QVariantMap&) {
                                                        AppManager::uploadSalesOrder(number);
                                                        report(u"sent"_s);
                                                    });
    endOn("loginFailed", 1);
    endOn("uploadComplete", 0, u"done"_s);
    report(u"ready"_s);
    AppManager::loginWithUsername(user, password);
    return QCoreApplication::exec();
}

// A launch's crash check (which turns capture on), some orders saved, and a
// crash of the given kind.
int crash(const QString& kind)
{
    // Crashing on purpose leaves no core files behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    CrashHelper::sharedCrashHelper()->checkForCrashes();
    report(u"ready"_s);
    for (int i = 0; i < 5; ++i) {
        const QString number = u"CRASH.%1"_s.arg(i);
        if (!saveOrder(number, QString(), 2))
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
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString mode = args.value(0);
    // Each mode's argument count and work.
    const std::map<QString, std::pair<qsizetype, std::function<int()>>> modes{
        {u"save-orders"_s, {3, [&] { return saveOrders(args[2]); }}},
        {u"sync"_s, {4, [&] { return sync(args[2], args[3]); }}},
        {u"settings"_s, {3, [&] { return settings(args[2].toInt()); }}},
        {u"upload"_s, {5, [&] { return upload(args[2], args[3], args[4]); }}},
        {u"crash"_s, {3, [&] { return crash(args[2]); }}}};
    const auto work = modes.find(mode);
    if (work == modes.end() || work->second.first != args.size() ||
        (mode == u"crash"_s && !CrashCapture::isCrashKind(args[2]))) {
        std::fputs("usage: fault_child MODE HOME ARGUMENTS (see its source)\n", stderr);
        return 2;
    }
    Sandbox::setRoot(args[1]);
    // The upload runs the login as the application does, with a GUI application
    // (on the test's platform, offscreen).
    std::unique_ptr<QCoreApplication> app(mode == u"upload"_s ? new QGuiApplication(argc, argv)
                                                              : new QCoreApplication(argc, argv));
    Owner owner;
    owner.name = mode == u"upload"_s ? args[2] : u"alice"_s;
    DataManager::setDelegate(&owner);
    return work->second.second();
}
