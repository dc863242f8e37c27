// Orders saved while the process is killed at random moments: each order
// whole or absent, every returned save there (the matrix in faults/README.md).
#include "FaultSupport.h"

#include <QMap>
#include <QThread>

using Faults::seedNote;

TEST(KillDuringOrderSave, EveryOrderIsWholeOrAbsentAndEverySavedOrderStays)
{
    TestSandbox sandbox;
    const int kills = Faults::scaled(50, 1000);
    // The orders whose save returned, with their line counts.
    QMap<QString, int> saved;
    int landedMidSave = 0;
    int savedTotal = 0;

    for (int run = 0; run < kills; ++run) {
        SCOPED_TRACE(u"after kill %1 %2"_s.arg(run).arg(seedNote()).toStdString());
        Faults::Child child;
        ASSERT_TRUE(child.start({u"save-orders"_s, sandbox.root(), QString::number(run)}))
            << qPrintable(child.output());
        // Saves take a few milliseconds each (every commit is synced); the kill
        // comes after anything from none to a few dozen of them.
        QThread::usleep(Faults::random().bounded(150000));
        // Each line "saving|saved NUMBER LINES ORIGINAL" ("-": a new order).
        QStringList inFlight;
        for (const QString& line : child.kill()) {
            const QStringList f = line.split(u' ');
            ASSERT_NE(f[0], u"failed"_s) << qPrintable(line);
            inFlight = f[0] == u"saving"_s ? f : QStringList();
            if (f[0] == u"saved"_s) {
                saved.remove(f[3]);
                saved.insert(f[1], f[2].toInt());
                ++savedTotal;
            }
        }

        Faults::Peek peek(sandbox.documents() + u"/data.sqlite"_s);
        ASSERT_EQ(peek.integrity(), u"ok"_s);
        // Headers whose lines do not match what they were saved with, and
        // lines without a header.
        const QString lines =
            u"(SELECT COUNT(*) FROM salesOrderDetails d WHERE d.orderNo = o.purchaseOrderNo)"_s;
        EXPECT_EQ(
            peek.rows(u"SELECT purchaseOrderNo, remark, %1 FROM salesOrder o "
                      "WHERE remark != 'lines=' || %1 UNION "
                      "SELECT DISTINCT orderNo, 'no header', 0 FROM salesOrderDetails "
                      "WHERE orderNo NOT IN (SELECT purchaseOrderNo FROM salesOrder)"_s.arg(lines)),
            QStringList());

        // The save in flight either happened or did not; what is saved
        // follows what the file says.
        if (!inFlight.isEmpty()) {
            ++landedMidSave;
            const QString& original = inFlight[3];
            const bool renamed = original != u"-"_s && original != inFlight[1];
            auto count = [&](const QString& number) {
                return peek.value(u"SELECT COUNT(*) FROM salesOrder WHERE purchaseOrderNo = ?"_s,
                                  {number});
            };
            if (peek.value(u"SELECT remark FROM salesOrder WHERE purchaseOrderNo = ?"_s,
                           {inFlight[1]}) == u"lines="_s + inFlight[2] &&
                (!renamed || count(original) == u"0"_s)) {
                saved.remove(original);
                saved.insert(inFlight[1], inFlight[2].toInt());
            }
        }
        // Every save that returned is on disk as it was saved, and nothing else is.
        QStringList expected;
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            expected << it.key() + u'|' + QString::number(it.value());
        ASSERT_EQ(peek.rows(u"SELECT purchaseOrderNo, substr(remark, 7) FROM salesOrder "
                            "ORDER BY purchaseOrderNo"_s),
                  expected);

        // A tablet holds a few thousand orders, not the hundred thousand a
        // long run saves: the orders of runs before the last are let go, as
        // no later run touches them, so that every start still checks a
        // database of a realistic size.
        if (run % 20 == 19) {
            const QString older = u"CAST(substr(%1, 2, instr(%1, '.') - 2) AS INTEGER) < ?"_s;
            peek.rows(u"DELETE FROM salesOrderDetails WHERE "_s + older.arg(u"orderNo"_s),
                      {run - 1});
            peek.rows(u"DELETE FROM salesOrder WHERE "_s + older.arg(u"purchaseOrderNo"_s),
                      {run - 1});
            saved.removeIf([run](const auto& it) {
                return it.key().section(u'.', 0, 0).mid(1).toInt() < run - 1;
            });
        }
    }
    // The kills must have struck while orders were being written, not only
    // between runs.
    EXPECT_GT(landedMidSave, kills / 4);
    EXPECT_GT(savedTotal, kills);
    std::printf("[ figures  ] %d kills, %d during a save, %d saves returned before a kill\n", kills,
                landedMidSave, savedTotal);
}
