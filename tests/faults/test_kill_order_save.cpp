// Orders saved while the process is killed at random moments: after every
// kill each order is whole or absent (a header with exactly the lines it was
// saved with, no line without its header), the database passes SQLite's
// integrity check, and every save that had returned is there.
#include "FaultSupport.h"
#include "support/TestSandbox.h"

#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace std::chrono_literals;

namespace {

// What the child reported: the orders whose save returned, with their line
// counts, and the save in flight when it died.
struct Ledger {
    QMap<QString, int> saved;
    QString inFlight;         // number being saved, empty when none
    QString inFlightOriginal; // the number it had before ("-" for a new order)
    int inFlightLines = 0;

    void read(const QStringList& lines)
    {
        inFlight.clear();
        for (const QString& line : lines) {
            const QStringList f = line.split(QLatin1Char(' '));
            if (f.size() != 4)
                continue;
            if (f[0] == QLatin1String("saving")) {
                inFlight = f[1];
                inFlightLines = f[2].toInt();
                inFlightOriginal = f[3];
            } else if (f[0] == QLatin1String("saved")) {
                if (f[3] != QLatin1String("-"))
                    saved.remove(f[3]);
                saved.insert(f[1], f[2].toInt());
                inFlight.clear();
            }
        }
    }
};

} // namespace

TEST(KillDuringOrderSave, EveryOrderIsWholeOrAbsentAndEverySavedOrderStays)
{
    TestSandbox sandbox;
    const int kills = Faults::scaled(50, 1000);
    const QString database = sandbox.documents() + u"/data.sqlite"_s;
    Ledger ledger;
    int landedMidSave = 0;
    int savedTotal = 0;

    for (int run = 0; run < kills; ++run) {
        Faults::Child child;
        ASSERT_TRUE(child.start({u"save-orders"_s, sandbox.root(), QString::number(run)}))
            << qPrintable(child.errors());
        // Saves take a few milliseconds each (every commit is synced); the kill
        // comes after anything from none to a few dozen of them.
        QThread::usleep(Faults::random().bounded(150000));
        ledger.read(child.kill());
        savedTotal += int(child.lines().filter(QRegularExpression(u"^saved "_s)).size());
        ASSERT_FALSE(child.lines().contains(u"failed"_s)) << qPrintable(child.lines().join('\n'));

        Faults::Peek peek(database);
        ASSERT_EQ(peek.integrity(), u"ok"_s) << "after kill " << run << ' ' << qPrintable(Faults::seedNote());
        // Headers whose lines do not match what they were saved with, and
        // lines without a header.
        const QStringList torn = peek.rows(QStringLiteral(
            "SELECT o.purchaseOrderNo, o.remark, (SELECT COUNT(*) FROM salesOrderDetails d WHERE d.orderNo = o.purchaseOrderNo) "
            "FROM salesOrder o WHERE o.remark != 'lines=' || (SELECT COUNT(*) FROM salesOrderDetails d WHERE d.orderNo = o.purchaseOrderNo)"));
        ASSERT_TRUE(torn.isEmpty()) << "after kill " << run << ": " << qPrintable(torn.join(", ")) << ' '
                                    << qPrintable(Faults::seedNote());
        const QStringList orphans = peek.rows(QStringLiteral(
            "SELECT DISTINCT orderNo FROM salesOrderDetails WHERE orderNo NOT IN (SELECT purchaseOrderNo FROM salesOrder)"));
        ASSERT_TRUE(orphans.isEmpty()) << "after kill " << run << ": lines without an order: "
                                       << qPrintable(orphans.join(", ")) << ' ' << qPrintable(Faults::seedNote());

        // The save in flight either happened or did not; the ledger follows
        // what the file says.
        if (!ledger.inFlight.isEmpty()) {
            ++landedMidSave;
            const QString stored = peek.value(u"SELECT remark FROM salesOrder WHERE purchaseOrderNo = ?"_s,
                                              {ledger.inFlight});
            const bool renamed = ledger.inFlightOriginal != QLatin1String("-") && ledger.inFlightOriginal != ledger.inFlight;
            const bool happened = stored == u"lines=%1"_s.arg(ledger.inFlightLines) &&
                                  (!renamed || peek.value(u"SELECT COUNT(*) FROM salesOrder WHERE purchaseOrderNo = ?"_s,
                                                          {ledger.inFlightOriginal}) == QLatin1String("0"));
            if (happened) {
                if (ledger.inFlightOriginal != QLatin1String("-"))
                    ledger.saved.remove(ledger.inFlightOriginal);
                ledger.saved.insert(ledger.inFlight, ledger.inFlightLines);
            }
        }
        // Every save that returned is on disk as it was saved, and nothing else is.
        QMap<QString, int> onDisk;
        for (const QString& row : peek.rows(u"SELECT purchaseOrderNo, substr(remark, 7) FROM salesOrder"_s))
            onDisk.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1).toInt());
        if (onDisk != ledger.saved) {
            for (auto it = ledger.saved.cbegin(); it != ledger.saved.cend(); ++it)
                ASSERT_EQ(onDisk.value(it.key(), -1), it.value())
                    << "order " << qPrintable(it.key()) << " after kill " << run << ' ' << qPrintable(Faults::seedNote());
            FAIL() << "orders nobody saved after kill " << run << ' ' << qPrintable(Faults::seedNote());
        }

        // A tablet holds a few thousand orders, not the hundred thousand a
        // long run saves: the orders of runs before the last are let go, as
        // no later run touches them, so that every start still checks a
        // database of a realistic size.
        if (run % 20 == 19) {
            const QString older = u"CAST(substr(%1, 2, instr(%1, '.') - 2) AS INTEGER) < ?"_s;
            peek.rows(u"DELETE FROM salesOrderDetails WHERE "_s + older.arg(u"orderNo"_s), {run - 1});
            peek.rows(u"DELETE FROM salesOrder WHERE "_s + older.arg(u"purchaseOrderNo"_s), {run - 1});
            for (auto it = ledger.saved.begin(); it != ledger.saved.end();) {
                if (it.key().mid(1, it.key().indexOf(QLatin1Char('.')) - 1).toInt() < run - 1)
                    it = ledger.saved.erase(it);
                else
                    ++it;
            }
            ASSERT_EQ(peek.value(u"SELECT COUNT(*) FROM salesOrder"_s).toInt(), ledger.saved.size());
        }
    }
    // The kills must have struck while orders were being written, not only
    // between runs.
    EXPECT_GT(landedMidSave, kills / 4);
    EXPECT_GT(savedTotal, kills);
    std::printf("[ figures  ] %d kills, %d during a save, %d saves returned before a kill\n", kills, landedMidSave, savedTotal);
}
