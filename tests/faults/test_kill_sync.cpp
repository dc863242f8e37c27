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
#include <QThread>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The tables an update answer writes (brands come with a login only).
const char* const kTables[] = {"salesman", "salesOrder", "material", "salesOrderDetails", "customerSoldTo",
                               "customerShipTo", "routing", "routing_shipTo"};

QString mark(int n)
{
    return QStringLiteral("%1").arg(n, 14, 10, QLatin1Char('0'));
}

QString storedTimeStamp()
{
    UserDefaults::standard().synchronize();
    return UserDefaults::standard().stringForKey(QStringLiteral("timeStamp"));
}

// The revision every row of every table carries, or a description of the mix.
QString revisionOfAll(Faults::Peek& peek, QString* detail)
{
    QString revision;
    for (const char* table : kTables) {
        const QStringList groups =
            peek.rows(QStringLiteral("SELECT lastUpdate, COUNT(*) FROM `%1` GROUP BY lastUpdate").arg(QLatin1String(table)));
        if (groups.size() != 1) {
            *detail = QStringLiteral("%1: %2").arg(QLatin1String(table), groups.mid(0, 4).join(QLatin1String(", ")));
            return QString();
        }
        const QString here = groups.first().section(QLatin1Char('|'), 0, 0);
        if (!revision.isNull() && here != revision) {
            *detail = QStringLiteral("%1 holds %2, others %3").arg(QLatin1String(table), here, revision);
            return QString();
        }
        revision = here;
    }
    return revision;
}

} // namespace

TEST(KillDuringSync, TheDatabaseHoldsOneWholeAnswerAndTheTimeStampNeverRunsAhead)
{
    TestSandbox sandbox;
    // Two answers over the same 100k keys that differ in every row.
    int records = 0;
    const QString answers[2] = {sandbox.root() + QStringLiteral("/answer-A.json"), sandbox.root() + QStringLiteral("/answer-B.json")};
    const QString revisions[2] = {QStringLiteral("rev-A"), QStringLiteral("rev-B")};
    for (int i = 0; i < 2; ++i) {
        QFile file(answers[i]);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SyncAnswerData::answer(mark(1), revisions[i], 1.0, &records));
    }
    ASSERT_GT(records, 99000);
    const QString database = sandbox.documents() + QStringLiteral("/data.sqlite");

    // Both answers, undisturbed: the first fills the tables, the second
    // rewrites every row as every later one does, and says how long that takes.
    qint64 applyMs = 0;
    for (int i = 0; i < 2; ++i) {
        Faults::Child child;
        ASSERT_TRUE(child.start({QStringLiteral("sync"), sandbox.root(), answers[i], mark(1 + i)}, 120s))
            << qPrintable(child.errors());
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(child.waitForLine(QStringLiteral("done"), 300s)) << qPrintable(child.lines().join('\n') + child.errors());
        applyMs = timer.elapsed();
    }
    QMap<QString, QString> fullCounts;
    {
        Faults::Peek peek(database);
        for (const char* table : kTables)
            fullCounts.insert(QLatin1String(table), peek.value(QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(QLatin1String(table))));
    }
    int committed = 1; // index of the answer the database holds
    QString timeStamp = mark(2);

    const int kills = Faults::scaled(20, 200);
    int caughtBeforeCommit = 0;
    int caughtAfterCommit = 0;
    for (int k = 0; k < kills; ++k) {
        const int next = 1 - committed;
        const QString nextMark = mark(100 + k);
        Faults::Child child;
        ASSERT_TRUE(child.start({QStringLiteral("sync"), sandbox.root(), answers[next], nextMark}, 120s)) << qPrintable(child.errors());
        // Anywhere in the apply, and a little after it.
        const qint64 delay = qint64(Faults::random().bounded(double(applyMs) * 1.15));
        child.poll(std::chrono::milliseconds(delay));
        const QStringList said = child.kill();
        ASSERT_FALSE(said.filter(QStringLiteral("failed")).size()) << qPrintable(said.join('\n'));

        Faults::Peek peek(database);
        ASSERT_EQ(peek.integrity(), QStringLiteral("ok")) << "kill " << k << ' ' << qPrintable(Faults::seedNote());
        QString detail;
        const QString revision = revisionOfAll(peek, &detail);
        ASSERT_FALSE(revision.isNull()) << "kill " << k << " left a mix: " << qPrintable(detail) << ' '
                                        << qPrintable(Faults::seedNote());
        ASSERT_TRUE(revision == revisions[committed] || revision == revisions[next]) << qPrintable(revision);
        for (const char* table : kTables) {
            // Whole: as many rows as the first answer left, no more, no fewer.
            ASSERT_EQ(peek.value(QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(QLatin1String(table))),
                      fullCounts.value(QLatin1String(table)))
                << table << " after kill " << k;
        }

        const QString stamp = storedTimeStamp();
        const bool newRecords = revision == revisions[next];
        if (stamp == nextMark) {
            // The time stamp of the new answer only ever follows its records.
            ASSERT_TRUE(newRecords) << "kill " << k << ": time stamp " << qPrintable(stamp)
                                    << " stored, records still of the old answer " << qPrintable(Faults::seedNote());
        } else {
            ASSERT_EQ(stamp, timeStamp) << "kill " << k;
        }
        if (newRecords && stamp != nextMark)
            ++caughtAfterCommit;
        if (!newRecords)
            ++caughtBeforeCommit;
        committed = newRecords ? next : committed;
        timeStamp = stamp;
        // The machine's pace changes (other work, a sanitizer): kills that
        // came after the whole update narrow the window, kills before the
        // commit widen it again, so that most of them strike an apply.
        if (said.contains(QStringLiteral("done")))
            applyMs = applyMs * 9 / 10;
        else if (!newRecords)
            applyMs = applyMs * 51 / 50;
    }

    // The next update, undisturbed, leaves the new answer and its time stamp.
    const int next = 1 - committed;
    Faults::Child child;
    ASSERT_TRUE(child.start({QStringLiteral("sync"), sandbox.root(), answers[next], mark(999)}, 120s));
    ASSERT_TRUE(child.waitForLine(QStringLiteral("done"), 300s)) << qPrintable(child.lines().join('\n') + child.errors());
    ASSERT_TRUE(child.waitForExit(30s));
    Faults::Peek peek(database);
    QString detail;
    EXPECT_EQ(revisionOfAll(peek, &detail), revisions[next]) << qPrintable(detail);
    EXPECT_EQ(storedTimeStamp(), mark(999));
    int rows = 0;
    for (const char* table : kTables)
        rows += peek.value(QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(QLatin1String(table))).toInt();
    // Every record but the brands, which only a login brings, and the route
    // stops that the generator repeats under the same key.
    EXPECT_GT(rows, 90000);
    EXPECT_GT(caughtBeforeCommit, 0) << "no kill struck during an apply " << qPrintable(Faults::seedNote());
    std::printf("[ figures  ] %d kills of a %d-record update (apply %lld ms): %d before the commit, %d between commit "
                "and time stamp\n",
                kills, records, static_cast<long long>(applyMs), caughtBeforeCommit, caughtAfterCommit);
}
