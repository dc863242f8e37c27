// A first login of a big customer: 100k records across every master-data
// array, from the JSON text of the answer to committed rows, against a raw
// SQLite bulk insert of the same rows in the same run.
#include "StoreBenchData.h"
#include "SyncAnswerData.h"
#include "http/ResponseChecks.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "sync/SyncWorker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QByteArray loginAnswer(int& records)
{
    return SyncAnswerData::answer(QStringLiteral("00000000000042"), QString(), 1.0, &records);
}

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The same rows written the fastest plain way: one prepared INSERT per table,
// values taken from the parsed document, one transaction.
double rawBulkInsertMs(const QJsonObject& result)
{
    DataManager* store = DataManager::sharedManager();
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(store->handle(), "BEGIN", nullptr, nullptr, nullptr);
    const struct {
        const char* array;
        const char* table;
    } tables[] = {{"salesmanArray", "salesman"},         {"salesOrderArray", "salesOrder"},
                  {"brandArray", "brand"},               {"materialArray", "material"},
                  {"salesOrderDetailArray", "salesOrderDetails"}, {"customerSoldToArray", "customerSoldTo"},
                  {"customerShipToArray", "customerShipTo"}, {"routingArray", "routing"},
                  {"routingShipToArray", "routing_shipTo"}};
    for (const auto& t : tables) {
        const QJsonArray rows = result.value(QLatin1String(t.array)).toArray();
        if (rows.isEmpty())
            continue;
        const QStringList keys = rows.first().toObject().keys();
        QStringList columns;
        for (const QString& k : keys) {
            QString c = k;
            if (c.startsWith(QLatin1String("Cat")))
                c = QStringLiteral("cate") + c.mid(3);
            else if (c == QLatin1String("photo"))
                c = QStringLiteral("phototype");
            else if (c == QLatin1String("PromotionCode"))
                c = QStringLiteral("Promocode");
            columns << QStringLiteral("`%1`").arg(c);
        }
        const QString sql = QStringLiteral("INSERT OR REPLACE INTO `%1` (%2) VALUES (%3)")
                                .arg(QLatin1String(t.table), columns.join(','),
                                     QStringList(keys.size(), QStringLiteral("?")).join(','));
        Statement statement = store->executeQuery(sql);
        for (const QJsonValue& row : rows) {
            const QJsonObject object = row.toObject();
            statement.reset();
            for (int i = 0; i < keys.size(); ++i)
                statement.bind(i + 1, object.value(keys[i]).toString());
            statement.step();
        }
    }
    sqlite3_exec(store->handle(), "COMMIT", nullptr, nullptr, nullptr);
    return double(timer.nsecsElapsed()) / 1e6;
}

// The login answer read as a stream and written in one transaction, as the
// sync thread does it.
bool applyLogin(const QByteArray& body)
{
    SyncWorker::Request request;
    const AnswerOutcome outcome = SyncWorker::apply(request, body, DataManager::sharedManager());
    return !outcome.error && outcome.answer.verdict() == ServerAnswer::Accepted && outcome.stored;
}

void BM_ApplyLoginAnswer(benchmark::State& state)
{
    int records = 0;
    const QByteArray body = loginAnswer(records);
    double totalApply = 0, totalRaw = 0;
    long peak = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StoreBenchSandbox sandbox(QStringLiteral("demo"));
        resetPeakRss();
        const long before = peakRssKb();
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        const bool committed = applyLogin(body);
        const double applyMs = double(timer.nsecsElapsed()) / 1e6;

        state.PauseTiming();
        peak = std::max(peak, peakRssKb() - before);
        if (!committed)
            state.SkipWithError("the answer was not committed");
        // The baseline on a fresh database of its own.
        DataManager::releaseManager();
        QFile::remove(DataManager::sharedManager()->getDatabasePath());
        DataManager::releaseManager();
        const double rawMs = rawBulkInsertMs(QJsonDocument::fromJson(body).object().value("result").toObject());
        totalApply += applyMs;
        totalRaw += rawMs;
        ++runs;
        state.ResumeTiming();
    }
    state.counters["records"] = records;
    state.counters["apply_ms"] = totalApply / runs;
    state.counters["raw_insert_ms"] = totalRaw / runs;
    state.counters["ratio_to_raw"] = totalApply / totalRaw;
    state.counters["records_per_s"] = records / (totalApply / runs / 1000.0);
    state.counters["peak_rss_mb"] = double(peak) / 1024.0;
    state.counters["answer_mb"] = double(body.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ApplyLoginAnswer)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading every row of every table once: what a check of the whole file
// cannot do in much less.
double fullScanMs(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    for (const char* table : {"salesman", "salesOrder", "brand", "material", "salesOrderDetails", "customerSoldTo",
                              "customerShipTo", "routing", "routing_shipTo"}) {
        const QByteArray sql = QByteArray("SELECT * FROM `") + table + "`";
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(db);
    return double(timer.nsecsElapsed()) / 1e6;
}

// The start of the application after a first login of 100k records: the
// store opens its database and checks it (a damaged file is kept aside and
// replaced), against a plain scan of the same rows.
void BM_OpenCheckedDatabase(benchmark::State& state)
{
    StoreBenchSandbox sandbox(QStringLiteral("demo"));
    int records = 0;
    if (!applyLogin(loginAnswer(records))) {
        state.SkipWithError("the answer was not committed");
        return;
    }
    const QString path = DataManager::sharedManager()->getDatabasePath();
    DataManager::releaseManager();
    double totalOpen = 0, totalScan = 0;
    int runs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const bool open = DataManager::sharedManager()->isOpen();
        const double openMs = double(timer.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        if (!open || DataManager::sharedManager()->databaseState() != DataManager::DatabaseState::Ready)
            state.SkipWithError("the database did not open as it was");
        DataManager::releaseManager();
        totalScan += fullScanMs(path);
        totalOpen += openMs;
        ++runs;
        state.ResumeTiming();
    }
    state.counters["records"] = records;
    state.counters["open_ms"] = totalOpen / runs;
    state.counters["scan_ms"] = totalScan / runs;
    state.counters["ratio_to_scan"] = totalOpen / totalScan;
    state.counters["file_mb"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenCheckedDatabase)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
