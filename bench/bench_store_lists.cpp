// The two lists a salesman waits for most: the order list (10k orders of the
// user among 12k) and the item catalogue (20k items). Each benchmark times the
// store's call and, in the same iterations, a bare SQLite scan of the rows the
// call returns (every column read as text, no sorting, no join, no records), and
// reports the store's milliseconds per call and its ratio to that scan.

#include "StoreBenchData.h"

#include "store/DataManager.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <sqlite3.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOrders = 10000;
constexpr int kOtherOrders = 2000;
constexpr int kItems = 20000;

// One database for the whole run: generating it is not what is measured. It
// goes before main returns, while the sandbox's own statics still live.
std::unique_ptr<StoreBenchSandbox> instance;

StoreBenchSandbox& sandbox()
{
    if (!instance) {
        instance = std::make_unique<StoreBenchSandbox>(QStringLiteral("alice"));
        DataManager* store = instance->store();
        if (!store->isOpen() ||
            !StoreBenchData::generateOrders(store, kOrders, QStringLiteral("alice"),
                                            QStringLiteral("ALICE")) ||
            !StoreBenchData::generateOrders(store, kOtherOrders, QStringLiteral("bob"),
                                            QStringLiteral("BOB")) ||
            !StoreBenchData::generateCatalogue(store, kItems))
            qFatal("could not generate the benchmark data: %s", qPrintable(store->lastError()));
        store->executeUpdate(QStringLiteral("ANALYZE"));
    }
    return *instance;
}

// Steps through the statement reading every column's text: the floor any
// reader of these rows pays.
qint64 bareScan(DataManager* store, const char* sql, const char* bound)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(store->handle(), sql, -1, &statement, nullptr);
    if (bound)
        sqlite3_bind_text(statement, 1, bound, -1, SQLITE_STATIC);
    qint64 bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(statement, c);
            bytes += sqlite3_column_bytes(statement, c);
        }
    }
    sqlite3_finalize(statement);
    return bytes;
}

template <class Call, class Baseline>
void measure(benchmark::State& state, Call call, Baseline baseline)
{
    double ours = 0;
    double base = 0;
    qsizetype rows = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(baseline());
        const auto t1 = Clock::now();
        const auto result = call();
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(result);
        rows = result.size();
        const double elapsed = std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(elapsed);
        ours += elapsed;
        base += std::chrono::duration<double>(t1 - t0).count();
    }
    const double iterations = double(state.iterations());
    state.counters["rows"] = double(rows);
    state.counters["ms_per_call"] = ours / iterations * 1000.0;
    state.counters["scan_ms"] = base / iterations * 1000.0;
    state.counters["ratio_to_scan"] = base > 0 ? ours / base : 0.0;
}

void BM_OrderList(benchmark::State& state)
{
    DataManager* store = sandbox().store();
    measure(
        state,
        [store] {
            return store->getOrderlistRowContent(QStringLiteral("DESC"), QStringLiteral("ASC"), 1);
        },
        [store] {
            return bareScan(store, "SELECT * FROM salesOrder WHERE so_salesman = ?", "alice");
        });
}

void BM_DraftOrderList(benchmark::State& state)
{
    DataManager* store = sandbox().store();
    measure(
        state,
        [store] {
            return store->getOrderlistRowContentWithStatus(10, QStringLiteral("DESC"),
                                                           QStringLiteral("ASC"), 2);
        },
        [store] {
            return bareScan(store,
                            "SELECT * FROM salesOrder WHERE uploadStatus <= 10 AND so_salesman = ?",
                            "alice");
        });
}

void BM_ItemList(benchmark::State& state)
{
    DataManager* store = sandbox().store();
    measure(
        state, [store] { return store->getItemList(); },
        [store] {
            return bareScan(store,
                            "SELECT * FROM material WHERE status = 20 AND brand IN "
                            "(SELECT CAST(brandCode AS INTEGER) FROM brand)",
                            nullptr);
        });
}

void BM_ItemSearch(benchmark::State& state)
{
    DataManager* store = sandbox().store();
    measure(
        state, [store] { return store->getItemList(QStringLiteral("12")); },
        [store] {
            return bareScan(store,
                            "SELECT * FROM material WHERE status = 20 AND skuCode LIKE '%12%' AND "
                            "brand IN (SELECT CAST(brandCode AS INTEGER) FROM brand)",
                            nullptr);
        });
}

} // namespace

BENCHMARK(BM_OrderList)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DraftOrderList)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemList)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemSearch)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    instance.reset();
    return 0;
}
