// Orders saved while the process is killed at random moments: after every
// kill each order is whole or absent (a header with exactly the lines it was
// saved with, no line without its header), the database passes SQLite's
// integrity check, and every save that had returned is there.
#include "FaultSupport.h"
#include "support/TestSandbox.h"

#include <QMap>
#include <QThread>
#include <gtest/gtest.h>

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
    const QString database = sandbox.documents() + QStringLiteral("/data.sqlite");
    Ledger ledger;
    int landedMidSave = 0;

    for (int run = 0; run < kills; ++run) {
        Faults::Child child;
        ASSERT_TRUE(child.start({QStringLiteral("save-orders"), sandbox.root(), QString::number(run)}))
            << qPrintable(child.errors());
        // Saves take a few milliseconds each (every commit is synced); the kill
        // comes after anything from none to a few dozen of them.
        QThread::usleep(Faults::random().bounded(150000));
        ledger.read(child.kill());
        ASSERT_FALSE(child.lines().contains(QStringLiteral("failed")))
            << qPrintable(child.lines().join('\n'));

        Faults::Peek peek(database);
        ASSERT_EQ(peek.integrity(), QStringLiteral("ok")) << "after kill " << run << ' ' << qPrintable(Faults::seedNote());
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
            const QString stored = peek.value(QStringLiteral("SELECT remark FROM salesOrder WHERE purchaseOrderNo = ?"),
                                              {ledger.inFlight});
            const bool renamed = ledger.inFlightOriginal != QLatin1String("-") && ledger.inFlightOriginal != ledger.inFlight;
            const bool happened = stored == QStringLiteral("lines=%1").arg(ledger.inFlightLines) &&
                                  (!renamed || peek.value(QStringLiteral("SELECT COUNT(*) FROM salesOrder WHERE purchaseOrderNo = ?"),
                                                          {ledger.inFlightOriginal}) == QLatin1String("0"));
            if (happened) {
                if (ledger.inFlightOriginal != QLatin1String("-"))
                    ledger.saved.remove(ledger.inFlightOriginal);
                ledger.saved.insert(ledger.inFlight, ledger.inFlightLines);
            }
        }
        // Every save that returned is on disk as it was saved.
        for (auto it = ledger.saved.cbegin(); it != ledger.saved.cend(); ++it) {
            ASSERT_EQ(peek.value(QStringLiteral("SELECT remark FROM salesOrder WHERE purchaseOrderNo = ?"), {it.key()}),
                      QStringLiteral("lines=%1").arg(it.value()))
                << "order " << qPrintable(it.key()) << " after kill " << run << ' ' << qPrintable(Faults::seedNote());
        }
        const int stored = peek.value(QStringLiteral("SELECT COUNT(*) FROM salesOrder")).toInt();
        ASSERT_EQ(stored, ledger.saved.size()) << "after kill " << run << ' ' << qPrintable(Faults::seedNote());
    }
    // The kills must have struck while orders were being written, not only
    // between runs.
    EXPECT_GT(landedMidSave, kills / 4);
    EXPECT_GT(ledger.saved.size(), kills);
    std::printf("[ figures  ] %d kills, %d during a save, %d orders stored\n", kills, landedMidSave, int(ledger.saved.size()));
}
