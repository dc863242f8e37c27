// A 100k-record update killed at random moments: one whole answer stored, its
// time stamp never ahead of its records; settings killed after a write: the
// reported value there after the restart (the matrix in faults/README.md).
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "platform/UserDefaults.h"
#include "support/ListTexts.h"
#include "support/RQMaths.h"

#include <QElapsedTimer>

using Faults::seedNote;

namespace {

// The tables an update answer writes (brands come with a login only).
const QStringList kTables{u"salesman"_s,          u"salesOrder"_s,     u"material"_s,
                          u"salesOrderDetails"_s, u"customerSoldTo"_s, u"customerShipTo"_s,
                          u"routing"_s,           u"routing_shipTo"_s};

QString mark(int n)
{
    return u"%1"_s.arg(n, 14, 10, QLatin1Char('0'));
}

QString storedTimeStamp()
{
    UserDefaults::standard().synchronize();
    return UserDefaults::standard().stringForKey(u"timeStamp"_s);
}

QString perTable(const QString& query, const QString& glue)
{
    return texts(kTables, [&query](const QString& table) { return query.arg(table); }).join(glue);
}
// The row count of every table, "|" between them.
QString rowCounts(const QString& database)
{
    return Faults::Peek(database).value(u"SELECT "_s +
                                        perTable(u"(SELECT COUNT(*) FROM `%1`)"_s, u", "_s));
}
// Every revision the rows of every table carry (one, when the database holds
// one whole answer).
QStringList revisions(const QString& database)
{
    return Faults::Peek(database).rows(
        perTable(u"SELECT DISTINCT lastUpdate FROM `%1`"_s, u" UNION "_s));
}

// Applies an answer in a child left alone (and says how long that took).
void applyUndisturbed(const QString& root, const QString& answer, const QString& stamp,
                      qint64* ms = nullptr)
{
    Faults::Child child;
    ASSERT_TRUE(child.start({u"sync"_s, root, answer, stamp}, 120s));
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(child.waitForLine(u"done"_s, 300s)) << qPrintable(child.output());
    if (ms)
        *ms = timer.elapsed();
    ASSERT_TRUE(child.waitForExit(30s));
}

} // namespace

TEST(KillDuringSync, TheDatabaseHoldsOneWholeAnswerAndTheTimeStampNeverRunsAhead)
{
    TestSandbox sandbox;
    // Two answers over the same 100k keys that differ in every row: only a
    // record's "lastUpdate" carries the revision, so the second is the first
    // with its revision replaced (generating 100k records twice is what takes
    // longest under AddressSanitizer).
    int records = 0;
    const QString answers[2] = {sandbox.root() + u"/answer-A.json"_s,
                                sandbox.root() + u"/answer-B.json"_s};
    const QString revision[2] = {u"rev-A"_s, u"rev-B"_s};
    QByteArray bytes = SyncAnswerData::answer(mark(1), revision[0], 1.0, &records);
    ASSERT_GT(records, 99000);
    sandbox.writeFile(u"answer-A.json"_s, bytes);
    sandbox.writeFile(u"answer-B.json"_s, bytes.replace("\"rev-A\"", "\"rev-B\""));
    const QString database = sandbox.documents() + u"/data.sqlite"_s;

    // Both answers, undisturbed: the first fills the tables, the second
    // rewrites every row as every later one does, and says how long that takes.
    qint64 applyMs = 0;
    ASSERT_NO_FATAL_FAILURE(applyUndisturbed(sandbox.root(), answers[0], mark(1)));
    ASSERT_NO_FATAL_FAILURE(applyUndisturbed(sandbox.root(), answers[1], mark(2), &applyMs));
    const QString fullCounts = rowCounts(database); // every table holds rows
    ASSERT_FALSE((u'|' + fullCounts + u'|').contains(u"|0|"_s)) << qPrintable(fullCounts);
    int committed = 1; // index of the answer the database holds
    QString timeStamp = mark(2);

    const int kills = Faults::kSanitized ? 5 : Faults::scaled(20, 200);
    int caughtBeforeCommit = 0;
    int caughtAfterCommit = 0;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE(u"kill %1 %2"_s.arg(k).arg(seedNote()).toStdString());
        const int next = 1 - committed;
        const QString nextMark = mark(100 + k);
        Faults::Child child;
        ASSERT_TRUE(child.start({u"sync"_s, sandbox.root(), answers[next], nextMark}, 120s));
        // Anywhere in the apply, and a little after it.
        child.poll(
            std::chrono::milliseconds(qint64(Faults::random().bounded(double(applyMs) * 1.15))));
        const QStringList said = child.kill();
        ASSERT_TRUE(said.filter(u"failed"_s).isEmpty()) << qPrintable(said.join('\n'));

        // One whole answer: one revision in every row, as many rows as the
        // first answer left, no more, no fewer.
        ASSERT_EQ(Faults::Peek(database).integrity(), u"ok"_s);
        const QStringList held = revisions(database);
        ASSERT_TRUE(held == QStringList{revision[committed]} || held == QStringList{revision[next]})
            << qPrintable(held.join(u", "_s));
        ASSERT_EQ(rowCounts(database), fullCounts);

        // The time stamp of the new answer only ever follows its records.
        const QString stamp = storedTimeStamp();
        const bool newRecords = held.first() == revision[next];
        ASSERT_TRUE(stamp == timeStamp || (stamp == nextMark && newRecords))
            << "time stamp " << qPrintable(stamp) << " stored, records of the other answer";
        caughtAfterCommit += newRecords && stamp != nextMark ? 1 : 0;
        caughtBeforeCommit += newRecords ? 0 : 1;
        committed = newRecords ? next : committed;
        timeStamp = stamp;
        // The machine's pace changes (other work, a sanitizer): kills that
        // came after the whole update narrow the window, kills before the
        // commit widen it again, so that most of them strike an apply.
        if (said.contains(u"done"_s))
            applyMs = applyMs * 9 / 10;
        else if (!newRecords)
            applyMs = applyMs * 51 / 50;
    }

    // The next update, undisturbed, leaves the new answer and its time stamp.
    const int next = 1 - committed;
    ASSERT_NO_FATAL_FAILURE(applyUndisturbed(sandbox.root(), answers[next], mark(999)));
    EXPECT_EQ(revisions(database), QStringList{revision[next]});
    EXPECT_EQ(storedTimeStamp(), mark(999));
    EXPECT_EQ(rowCounts(database), fullCounts);
    EXPECT_GT(caughtBeforeCommit, 0) << "no kill struck during an apply " << qPrintable(seedNote());
    std::printf(
        "[ figures  ] %d kills of a %d-record update (apply %lld ms): %d before the commit, "
        "%d between commit and time stamp\n",
        kills, records, static_cast<long long>(applyMs), caughtBeforeCommit, caughtAfterCommit);
}

TEST(KillAfterSettingsWrite, TheSynchronisedValueIsThereAfterRestart)
{
    TestSandbox sandbox;
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setObject(true, u"keepme"_s);
    Faults::pointAt(u"http://192.0.2.1/api/"_s); // and synchronised

    const int kills = Faults::scaled(30, 300);
    int first = 1;
    int afterAWrite = 0;
    for (int k = 0; k < kills; ++k) {
        SCOPED_TRACE(u"kill %1 %2"_s.arg(k).arg(Faults::seedNote()).toStdString());
        Faults::Child child;
        ASSERT_TRUE(child.start({u"settings"_s, sandbox.root(), QString::number(first)}));
        // Half of the kills come the moment a write is reported, the others
        // at random while the child keeps writing.
        if (k % 2 == 0)
            ASSERT_TRUE(child.waitForLine(u"stored"_s, 10s));
        else
            child.poll(std::chrono::milliseconds(Faults::random().bounded(40)));
        const QStringList stored = child.kill().filter(u"stored "_s);
        const int reported = stored.isEmpty() ? first - 1 : stored.last().mid(7).toInt();
        afterAWrite += reported >= first ? 1 : 0;

        // A fresh read, as after a restart: the user name and the time stamp
        // reported (or later ones), the other settings as they were.
        defaults.synchronize();
        const int timeStamp = Session::storedTimeStamp().toInt();
        const QString user =
            RQMaths::decodeString2(defaults.stringForKey(u"username"_s), RQMaths::keyText());
        ASSERT_TRUE(user.startsWith(u"user"_s) && user.mid(4).toInt() >= reported &&
                    timeStamp >= reported)
            << qPrintable(user) << ' ' << timeStamp << ", reported " << reported;
        ASSERT_EQ(defaults.stringForKey(u"host"_s), u"http://192.0.2.1/api/"_s);
        ASSERT_TRUE(defaults.boolForKey(u"keepme"_s));
        first = std::max(reported, timeStamp) + 1;
    }
    // Every other kill follows a reported write; the rest may strike first.
    EXPECT_GE(afterAWrite, kills / 2);
}
