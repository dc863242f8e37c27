// The disk fills up during an order save and during a synchronisation, both
// as SQLite sees a full database (max_page_count) and as the kernel refuses a
// write past the file size limit (RLIMIT_FSIZE): the save answers false with
// the storage message for the salesman, nothing of it is stored, the order
// as stored before stays whole, and the same draft saves once there is room.
// A synchronisation keeps nothing of the answer, reports the failure and
// leaves its time stamp for the next try, which brings everything.
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "core/AppManager.h"
#include "http/ResponseChecks.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/FakeTransport.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"
#include "workflow/StoreNotice.h"

#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

using namespace StoreFixtures;

namespace {

DataManager* store()
{
    return DataManager::sharedManager();
}

// SQLite's own limit: the database may not grow by a single page, through
// the store's connection and every connection opened meanwhile (the sync
// thread's).
class PageLimit
{
public:
    PageLimit()
    {
        Statement count = store()->executeQuery(u"PRAGMA page_count"_s);
        count.step();
        s_pages = count.columnInt(0);
        store()->executeUpdate(u"PRAGMA max_page_count = %1"_s.arg(s_pages));
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&limitConnection));
    }
    ~PageLimit()
    {
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&limitConnection));
        store()->executeUpdate(u"PRAGMA max_page_count = 2147483646"_s);
    }

private:
    static int limitConnection(sqlite3* db, const char**, const void*)
    {
        const QByteArray sql = "PRAGMA max_page_count = " + QByteArray::number(s_pages);
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        return SQLITE_OK;
    }
    static inline int s_pages = 0;
};

// The kernel's limit: no file of this process may grow past 64 KB, so the
// WAL fills up at the first larger commit. SIGXFSZ is ignored so that the
// write fails with EFBIG instead of ending the process.
class FileSizeLimit
{
public:
    FileSizeLimit()
    {
        sqlite3_wal_checkpoint_v2(store()->handle(), nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        _previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &_previous);
        rlimit limit = _previous;
        limit.rlim_cur = 64 * 1024;
        _active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &_previous);
        std::signal(SIGXFSZ, _previousHandler);
    }
    bool active() const { return _active; }

private:
    rlimit _previous{};
    void (*_previousHandler)(int) = nullptr;
    bool _active = false;
};

// A big draft: far more than the limits let through in one commit.
struct Draft {
    SalesOrder order;
    QList<SalesOrderDetails> lines;
};

Draft bigDraft(const QString& number, int lineCount)
{
    Draft draft;
    draft.order = order(number);
    draft.order.remark = u"Deliver to the back door before noon"_s;
    for (int i = 0; i < lineCount; ++i)
        draft.lines << line(number, u"SKU%1"_s.arg(i, 5, 10, QLatin1Char('0')), 1 + i % 40);
    return draft;
}

QStringList lineKeys(const QString& number)
{
    QStringList keys;
    for (const SalesOrderDetails& l : store()->getSalesOrderDetail(number))
        keys << u"%1x%2"_s.arg(l.skuCode).arg(l.quantity);
    return keys;
}

QString integrity()
{
    Statement check = store()->executeQuery(u"PRAGMA integrity_check"_s);
    return check.step() == Statement::Row ? check.columnText(0) : store()->lastError();
}

struct DiskFull : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
    void SetUp() override
    {
        ASSERT_TRUE(seedAll());
        StoreNotice::reset();
    }

    // A save that fails under the limit, then succeeds without it.
    template <typename Limit> void saveUnder()
    {
        if constexpr (std::is_same_v<Limit, FileSizeLimit>) {
            FileSizeLimit probe;
            ASSERT_TRUE(probe.active()) << "RLIMIT_FSIZE cannot be set here";
        }
        const QStringList before = lineKeys(u"ACME.1001"_s);
        const int ordersBefore = countRows(u"salesOrder"_s);
        const int linesBefore = countRows(u"salesOrderDetails"_s);
        ASSERT_EQ(before.size(), 3);

        Draft fresh = bigDraft(u"ACME.2001"_s, 3000);
        // An edit of a stored order: its header and its lines are rewritten.
        Draft edit = bigDraft(u"ACME.1001"_s, 3000);
        edit.order.creationDate = u"2025-03-01 09:00:00"_s;
        {
            Limit limit;
            EXPECT_FALSE(store()->saveOrder(fresh.order, QString(), fresh.lines));
            EXPECT_FALSE(StoreNotice::saveFailureMessage().isNull()) << "the salesman must hear why";
            EXPECT_FALSE(store()->saveOrder(edit.order, u"ACME.1001"_s, edit.lines));
            EXPECT_FALSE(StoreNotice::saveFailureMessage().isNull());
            EXPECT_EQ(integrity(), u"ok"_s);
        }
        // Nothing of either save is stored; the edited order is as it was.
        EXPECT_FALSE(store()->getSalesOrder(u"ACME.2001"_s));
        EXPECT_EQ(countRows(u"salesOrderDetails"_s, u"orderNo = 'ACME.2001'"_s), 0);
        EXPECT_EQ(lineKeys(u"ACME.1001"_s), before);
        EXPECT_EQ(store()->getSalesOrder(u"ACME.1001"_s)->remark, QString());
        EXPECT_EQ(countRows(u"salesOrder"_s), ordersBefore);
        EXPECT_EQ(countRows(u"salesOrderDetails"_s), linesBefore);

        // With room again, the same drafts save whole.
        ASSERT_TRUE(store()->saveOrder(fresh.order, QString(), fresh.lines)) << qPrintable(store()->lastError());
        ASSERT_TRUE(store()->saveOrder(edit.order, u"ACME.1001"_s, edit.lines));
        EXPECT_EQ(lineKeys(u"ACME.2001"_s).size(), 3000);
        EXPECT_EQ(lineKeys(u"ACME.1001"_s).size(), 3000);
        EXPECT_TRUE(StoreNotice::saveFailureMessage().isNull());
    }

    // An update under the limit: refused whole, then applied whole.
    template <typename Limit> void syncUnder()
    {
        auto transport = std::make_shared<FakeTransport>();
        HttpTransport::setShared(transport);
        Session::setAuthToken(u"tok"_s);
        Session::storeTimeStamp(u"00000000000007"_s);
        Faults::Notifications events{"updateSuccess", "updateFailed"};
        QVariant answer;
        ASSERT_FALSE(ResponseChecks::decodeJson(SyncAnswerData::answer(u"00000000000042"_s, QString(), 0.05), answer));
        const int materials = countRows(u"material"_s);
        const int customers = countRows(u"customerSoldTo"_s);
        const int orders = countRows(u"salesOrder"_s);
        {
            Limit limit;
            AppManager::getUpdateDataFromServer();
            transport->answer(answer);
        }
        ASSERT_EQ(events.names, QStringList{u"updateFailed"_s});
        EXPECT_FALSE(events.message().isEmpty()) << "a message for the salesman";
        EXPECT_EQ(countRows(u"material"_s), materials);
        EXPECT_EQ(countRows(u"customerSoldTo"_s), customers);
        EXPECT_EQ(countRows(u"salesOrder"_s), orders);
        EXPECT_EQ(Session::storedTimeStamp(), u"00000000000007"_s);
        EXPECT_EQ(integrity(), u"ok"_s);

        // The next update asks from the old time stamp and stores everything.
        events.clear();
        AppManager::getUpdateDataFromServer();
        EXPECT_EQ(transport->pending().parameters.value(u"timeStamp"_s).toString(), u"00000000000007"_s);
        transport->answer(answer);
        EXPECT_EQ(events.said(), QStringList{u"updateSuccess:"_s});
        EXPECT_EQ(countRows(u"material"_s), materials + 2000);
        EXPECT_EQ(Session::storedTimeStamp(), u"00000000000042"_s);
        HttpTransport::setShared(nullptr);
        DownloadManager::releaseManager();
        Session::setAuthToken(QString());
    }
};

} // namespace

TEST_F(DiskFull, OrderSaveWhenTheDatabaseCannotGrow)
{
    saveUnder<PageLimit>();
}

TEST_F(DiskFull, OrderSaveWhenTheKernelRefusesTheWrite)
{
    saveUnder<FileSizeLimit>();
}

TEST_F(DiskFull, SynchronisationWhenTheDatabaseCannotGrow)
{
    syncUnder<PageLimit>();
}

TEST_F(DiskFull, SynchronisationWhenTheKernelRefusesTheWrite)
{
    syncUnder<FileSizeLimit>();
}

TEST_F(DiskFull, ARefusedOrderIsNotTakenForAFullDisk)
{
    // A purchase order number that another order holds: refused, but the
    // storage is fine, so the editor shows its own message, not the disk's.
    SalesOrder taken = order(u"ACME.1006"_s);
    EXPECT_FALSE(store()->saveOrder(taken, QString(), {line(u"ACME.1006"_s, u"A100"_s, 1)}));
    EXPECT_TRUE(StoreNotice::saveFailureMessage().isNull());
}
