// A 100k-record update answer applied while the process is killed at random
// moments: the database holds the old answer or the new one, whole, the
// stored time stamp never claims records that were not committed, and the
// next update brings everything.
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "platform/UserDefaults.h"
#include "support/TestSandbox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// The tables an update answer writes (brands come with a login only).
const char* const kTables[] = {"salesman", "salesOrder", "material", "salesOrderDetails", "customerSoldTo",
                               "customerShipTo", "routing", "routing_shipTo"};

QString mark(int n)
{
    return u"%1"_s.arg(n, 14, 10, QLatin1Char('0'));
}

QString storedTimeStamp()
{
    UserDefaults::standard().synchronize();
    return UserDefaults::standard().stringForKey(u"timeStamp"_s);
}

QString rowCount(Faults::Peek& peek, const char* table)
{
    return peek.value(u"SELECT COUNT(*) FROM `%1`"_s.arg(QLatin1String(table)));
}

// The revision every row of every table carries, or a description of the mix.
QString revisionOfAll(Faults::Peek& peek, QString* detail)
{
    QString revision;
    for (const char* table : kTables) {
        const QStringList groups =
            peek.rows(u"SELECT lastUpdate, COUNT(*) FROM `%1` GROUP BY lastUpdate"_s.arg(QLatin1String(table)));
        if (groups.size() != 1) {
            *detail = u"%1: %2"_s.arg(QLatin1String(table), groups.mid(0, 4).join(u", "_s));
            return QString();
        }
        const QString here = groups.first().section(QLatin1Char('|'), 0, 0);
        if (!revision.isNull() && here != revision) {
            *detail = u"%1 holds %2, others %3"_s.arg(QLatin1String(table), here, revision);
            return QString();
        }
        revision = here;
    }
    return revision;
}

// Applies an answer in a child left alone (and says how long that took).
void applyUndisturbed(const QString& root, const QString& answer, const QString& stamp, qint64* ms = nullptr)
{
    Faults::Child child;
    ASSERT_TRUE(child.start({u"sync"_s, root, answer, stamp}, 120s)) << qPrintable(child.errors());
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(child.waitForLine(u"done"_s, 300s)) << qPrintable(child.lines().join('\n') + child.errors());
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
    const QString answers[2] = {sandbox.root() + u"/answer-A.json"_s, sandbox.root() + u"/answer-B.json"_s};
    const QString revisions[2] = {u"rev-A"_s, u"rev-B"_s};
    QByteArray bytes = SyncAnswerData::answer(mark(1), revisions[0], 1.0, &records);
    ASSERT_GT(records, 99000);
    ASSERT_EQ(bytes.count("\"rev-A\""), records);
    for (int i = 0; i < 2; ++i) {
        QFile file(answers[i]);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(i == 0 ? bytes : bytes.replace("\"rev-A\"", "\"rev-B\""));
    }
    const QString database = sandbox.documents() + u"/data.sqlite"_s;

    // Both answers, undisturbed: the first fills the tables, the second
    // rewrites every row as every later one does, and says how long that takes.
    qint64 applyMs = 0;
    ASSERT_NO_FATAL_FAILURE(applyUndisturbed(sandbox.root(), answers[0], mark(1)));
    ASSERT_NO_FATAL_FAILURE(applyUndisturbed(sandbox.root(), answers[1], mark(2), &applyMs));
    QMap<QString, QString> fullCounts;
    {
        Faults::Peek peek(database);
        for (const char* table : kTables)
            fullCounts.insert(QLatin1String(table), rowCount(peek, table));
    }
    int committed = 1; // index of the answer the database holds
    QString timeStamp = mark(2);

    const int kills = Faults::kSanitized ? 5 : Faults::scaled(20, 200);
    int caughtBeforeCommit = 0;
    int caughtAfterCommit = 0;
    for (int k = 0; k < kills; ++k) {
        const int next = 1 - committed;
        const QString nextMark = mark(100 + k);
        Faults::Child child;
        ASSERT_TRUE(child.start({u"sync"_s, sandbox.root(), answers[next], nextMark}, 120s)) << qPrintable(child.errors());
        // Anywhere in the apply, and a little after it.
        child.poll(std::chrono::milliseconds(qint64(Faults::random().bounded(double(applyMs) * 1.15))));
        const QStringList said = child.kill();
        ASSERT_FALSE(said.filter(u"failed"_s).size()) << qPrintable(said.join('\n'));

        Faults::Peek peek(database);
        ASSERT_EQ(peek.integrity(), u"ok"_s) << "kill " << k << ' ' << qPrintable(Faults::seedNote());
        QString detail;
        const QString revision = revisionOfAll(peek, &detail);
        ASSERT_FALSE(revision.isNull()) << "kill " << k << " left a mix: " << qPrintable(detail) << ' '
                                        << qPrintable(Faults::seedNote());
        ASSERT_TRUE(revision == revisions[committed] || revision == revisions[next]) << qPrintable(revision);
        // Whole: as many rows as the first answer left, no more, no fewer.
        for (const char* table : kTables)
            ASSERT_EQ(rowCount(peek, table), fullCounts.value(QLatin1String(table))) << table << " after kill " << k;

        const QString stamp = storedTimeStamp();
        const bool newRecords = revision == revisions[next];
        if (stamp == nextMark) {
            // The time stamp of the new answer only ever follows its records.
            ASSERT_TRUE(newRecords) << "kill " << k << ": time stamp " << qPrintable(stamp)
                                    << " stored, records still of the old answer " << qPrintable(Faults::seedNote());
        } else {
            ASSERT_EQ(stamp, timeStamp) << "kill " << k;
        }
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
    Faults::Peek peek(database);
    QString detail;
    EXPECT_EQ(revisionOfAll(peek, &detail), revisions[next]) << qPrintable(detail);
    EXPECT_EQ(storedTimeStamp(), mark(999));
    int rows = 0;
    for (const char* table : kTables)
        rows += rowCount(peek, table).toInt();
    // Every record but the brands, which only a login brings, and the route
    // stops that the generator repeats under the same key.
    EXPECT_GT(rows, 90000);
    EXPECT_GT(caughtBeforeCommit, 0) << "no kill struck during an apply " << qPrintable(Faults::seedNote());
    std::printf("[ figures  ] %d kills of a %d-record update (apply %lld ms): %d before the commit, %d between commit "
                "and time stamp\n",
                kills, records, static_cast<long long>(applyMs), caughtBeforeCommit, caughtAfterCommit);
}
