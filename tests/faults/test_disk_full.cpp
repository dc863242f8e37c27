// A full disk, as SQLite's page limit and as the kernel's file size limit,
// during an order save and an update (the matrix in faults/README.md).
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "http/ResponseChecks.h"
#include "support/FakeTransport.h"
#include "support/ListTexts.h"
#include "workflow/StoreNotice.h"

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace StoreFixtures;

namespace {

DataManager* store()
{
    return DataManager::sharedManager();
}

enum class Limit { Pages, FileSize };

// While it lives, the database cannot grow.
// Pages: SQLite's own limit, the database may not grow by a single page,
// through the store's connection and every connection opened meanwhile (the
// sync thread's).
// FileSize: the kernel's limit, no file of this process may grow past 64 KB,
// so the WAL fills up at the first larger commit. SIGXFSZ is ignored so that
// the write fails with EFBIG instead of ending the process.
class DiskLimit
{
public:
    explicit DiskLimit(Limit kind) : _kind(kind)
    {
        if (kind == Limit::Pages) {
            s_pages =
                Faults::Peek(store()->getDatabasePath()).value(u"PRAGMA page_count"_s).toInt();
            limitConnection(store()->handle(), nullptr, nullptr);
            sqlite3_auto_extension(reinterpret_cast<void (*)()>(&limitConnection));
            return;
        }
        sqlite3_wal_checkpoint_v2(store()->handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                  nullptr);
        _previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &_previous);
        rlimit limit = _previous;
        limit.rlim_cur = 64 * 1024;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0) << "RLIMIT_FSIZE cannot be set here";
    }
    ~DiskLimit()
    {
        if (_kind == Limit::Pages) {
            sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&limitConnection));
            store()->executeUpdate(u"PRAGMA max_page_count = 2147483646"_s);
            return;
        }
        setrlimit(RLIMIT_FSIZE, &_previous);
        std::signal(SIGXFSZ, _previousHandler);
    }

private:
    static int limitConnection(sqlite3* db, const char**, const void*)
    {
        const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(s_pages);
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        return SQLITE_OK;
    }
    static inline int s_pages = 0;
    Limit _kind;
    rlimit _previous{};
    void (*_previousHandler)(int) = nullptr;
};

// A big draft: far more than the limits let through in one commit.
QList<SalesOrderDetails> bigDraft(const QString& number)
{
    QList<SalesOrderDetails> lines;
    for (int i = 0; i < 3000; ++i)
        lines << line(number, u"SKU%1"_s.arg(i, 5, 10, QLatin1Char('0')), 1 + i % 40);
    return lines;
}

// What the store holds, as far as the saves and updates here touch it.
QString describeStore()
{
    const QStringList lines =
        texts(store()->getSalesOrderDetail(u"ACME.1001"_s),
              [](const SalesOrderDetails& l) { return u"%1x%2"_s.arg(l.skuCode).arg(l.quantity); });
    return u"ACME.1001 %1 '%2'; %3 orders, %4 lines, %5 items, %6 customers; %7 %8"_s
        .arg(lines.join(u','), store()->getSalesOrder(u"ACME.1001"_s)->remark)
        .arg(countRows(u"salesOrder"_s))
        .arg(countRows(u"salesOrderDetails"_s))
        .arg(countRows(u"material"_s))
        .arg(countRows(u"customerSoldTo"_s))
        .arg(Session::storedTimeStamp(), Faults::Peek(store()->getDatabasePath()).integrity());
}

struct DiskFull : ::testing::TestWithParam<Limit>
{
    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
    void SetUp() override
    {
        ASSERT_TRUE(seedAll());
        StoreNotice::reset();
        Session::storeTimeStamp(u"00000000000007"_s);
    }
};

} // namespace

TEST_P(DiskFull, AnOrderSaveFailsWholeAndSavesOnceThereIsRoom)
{
    // A purchase order number that another order holds: refused, but the
    // storage is fine, so the editor shows its own message, not the disk's.
    EXPECT_FALSE(
        store()->saveOrder(order(u"ACME.1006"_s), QString(), {line(u"ACME.1006"_s, u"A100"_s, 1)}));
    EXPECT_TRUE(StoreNotice::saveFailureMessage().isNull());

    const QString before = describeStore();
    const QString fresh = u"ACME.2001"_s;
    // An edit of a stored order: its header and its lines are rewritten.
    const QString edited = u"ACME.1001"_s;
    SalesOrder edit = order(edited);
    edit.remark = u"Deliver to the back door before noon"_s;
    {
        DiskLimit limit(GetParam());
        EXPECT_FALSE(store()->saveOrder(order(fresh), QString(), bigDraft(fresh)));
        EXPECT_FALSE(StoreNotice::saveFailureMessage().isNull()) << "the salesman must hear why";
        StoreNotice::reset();
        EXPECT_FALSE(store()->saveOrder(edit, edited, bigDraft(edited)));
        EXPECT_FALSE(StoreNotice::saveFailureMessage().isNull());
    }
    // Nothing of either save is stored; the edited order is as it was.
    EXPECT_EQ(describeStore(), before);

    // With room again, the same drafts save whole.
    ASSERT_TRUE(store()->saveOrder(order(fresh), QString(), bigDraft(fresh)))
        << qPrintable(store()->lastError());
    ASSERT_TRUE(store()->saveOrder(edit, edited, bigDraft(edited)));
    EXPECT_EQ(countRows(u"salesOrderDetails"_s, u"orderNo IN (?, ?)"_s, {fresh, edited}), 6000);
    EXPECT_TRUE(StoreNotice::saveFailureMessage().isNull());
}

TEST_P(DiskFull, AnUpdateKeepsNothingAndTheNextOneBringsEverything)
{
    auto transport = std::make_shared<FakeTransport>();
    HttpTransport::setShared(transport);
    Session::setAuthToken(u"tok"_s);
    Faults::Notifications events{"updateSuccess", "updateFailed"};
    QVariant answer;
    ASSERT_FALSE(ResponseChecks::decodeJson(
        SyncAnswerData::answer(u"00000000000042"_s, QString(), 0.05), answer));
    const QString before = describeStore();
    {
        DiskLimit limit(GetParam());
        AppManager::getUpdateDataFromServer();
        transport->answer(answer);
    }
    ASSERT_EQ(events.names, QStringList{u"updateFailed"_s});
    EXPECT_NE(events.said, QStringList{u"updateFailed:"_s}) << "a message for the salesman";
    EXPECT_EQ(describeStore(), before);

    // The next update stores everything.
    AppManager::getUpdateDataFromServer();
    transport->answer(answer);
    EXPECT_EQ(events.said.value(1), u"updateSuccess:"_s);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000042"_s);
    Faults::releaseNetwork();
}

INSTANTIATE_TEST_SUITE_P(Limits, DiskFull, ::testing::Values(Limit::Pages, Limit::FileSize),
                         [](const auto& info) {
                             return info.param == Limit::Pages ? "DatabaseCannotGrow"
                                                               : "KernelRefusesTheWrite";
                         });
