// Narrowing the purchase list's catalogue of 20k items: one search keystroke
// (every item's code, description, six categories and brand name, letter case
// ignored) and one category choice (the filter over the whole catalogue plus
// the six value lists rebuilt from what is left). Both run on the screen's
// controller as the view calls it. The baseline is a plain scan of the same
// items in the same iterations: one pass reading each of the texts the step
// looks at, nothing compared.

#include "StoreBenchData.h"

#include "core/AppManager.h"
#include "store/DataManager.h"
#include "workflow/PurchaseListViewController.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kItems = 20000;

std::unique_ptr<StoreBenchSandbox> instance;
std::unique_ptr<PurchaseListViewController> screen;
QList<Material> catalogue;

// The catalogue in the store, with all six categories filled, and a purchase
// list opened on it.
PurchaseListViewController& purchaseList()
{
    if (!screen) {
        instance = std::make_unique<StoreBenchSandbox>(QStringLiteral("alice"));
        DataManager* store = instance->store();
        if (!store->isOpen() || !StoreBenchData::generateCatalogue(store, kItems) ||
            !store->executeUpdate(QStringLiteral("UPDATE material SET cate4 = 'Size ' || (rowid % "
                                                 "9), cate5 = 'Variant ' || (rowid % 31), "
                                                 "cate6 = 'Channel ' || (rowid % 4)")))
            qFatal("could not generate the benchmark data: %s", qPrintable(store->lastError()));
        screen = std::make_unique<PurchaseListViewController>();
        catalogue = AppManager::getItemList();
    }
    return *screen;
}

qsizetype scanTexts(const QList<Material>& items, bool all)
{
    qsizetype length = 0;
    for (const Material& m : items) {
        length += m.cate1.size() + m.cate2.size() + m.cate3.size() + m.cate4.size() +
                  m.cate5.size() + m.cate6.size();
        if (all)
            length += m.skuCode.size() + m.description.size() + m.brandname.size();
    }
    return length;
}

// The obvious search, for comparison: each of the nine texts asked in turn.
qsizetype naiveSearch(const QList<Material>& items, const QString& keyword)
{
    qsizetype found = 0;
    for (const Material& m : items) {
        if (m.skuCode.contains(keyword, Qt::CaseInsensitive) ||
            m.description.contains(keyword, Qt::CaseInsensitive) ||
            m.cate1.contains(keyword, Qt::CaseInsensitive) ||
            m.cate2.contains(keyword, Qt::CaseInsensitive) ||
            m.cate3.contains(keyword, Qt::CaseInsensitive) ||
            m.cate4.contains(keyword, Qt::CaseInsensitive) ||
            m.cate5.contains(keyword, Qt::CaseInsensitive) ||
            m.cate6.contains(keyword, Qt::CaseInsensitive) ||
            m.brandname.contains(keyword, Qt::CaseInsensitive))
            ++found;
    }
    return found;
}

double seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

void report(benchmark::State& state, double ours, double base, double rows)
{
    const double iterations = double(state.iterations());
    state.counters["rows"] = rows / iterations;
    state.counters["ms_per_step"] = ours / iterations * 1000.0;
    state.counters["scan_ms"] = base / iterations * 1000.0;
    state.counters["ratio_to_scan"] = base > 0 ? ours / base : 0.0;
}

// Typing "category 1" into the search field, one keystroke per iteration,
// from one letter (nearly everything matches) to the whole word.
void BM_SearchKeystroke(benchmark::State& state)
{
    PurchaseListViewController& list = purchaseList();
    const QString word =
        state.range(0) == 0 ? QStringLiteral("category 1") : QStringLiteral("xqzw");
    double ours = 0, base = 0, naive = 0, rows = 0;
    int typed = 0;
    for (auto _ : state) {
        const QString keyword = word.left(1 + typed % word.size());
        ++typed;
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(scanTexts(catalogue, true));
        const auto t1 = Clock::now();
        list.searchBar(keyword);
        const auto t2 = Clock::now();
        state.PauseTiming();
        const auto n0 = Clock::now();
        benchmark::DoNotOptimize(naiveSearch(catalogue, keyword));
        naive += seconds(n0, Clock::now());
        state.ResumeTiming();
        state.SetIterationTime(seconds(t1, t2));
        ours += seconds(t1, t2);
        base += seconds(t0, t1);
        rows += list.cellCount();
    }
    report(state, ours, base, rows);
    state.counters["naive_ms"] = naive / double(state.iterations()) * 1000.0;
    list.searchBarCancelButtonClicked();
}

// A value chosen in one category sheet, then the same sheet's "Cancel", in
// turn; every answer filters the whole catalogue by all six buttons and
// rebuilds the six value lists.
void BM_CategoryChoice(benchmark::State& state)
{
    PurchaseListViewController& list = purchaseList();
    const int category = int(state.range(0));
    double ours = 0, base = 0, rows = 0;
    int step = 0;
    for (auto _ : state) {
        list.cateFunction(category);
        const qsizetype values = list.cateArray(category).size();
        const int index = step % 2 == 0 ? (step / 2) % int(values) : int(values) + 1;
        ++step;
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(scanTexts(catalogue, false));
        const auto t1 = Clock::now();
        list.actionSheet(index);
        const auto t2 = Clock::now();
        state.SetIterationTime(seconds(t1, t2));
        ours += seconds(t1, t2);
        base += seconds(t0, t1);
        rows += list.cellCount();
    }
    report(state, ours, base, rows);
    list.CancelcateFunction();
}

// What the quick steps above are paid with: opening the screen reads the
// catalogue and folds its texts once. Baseline: the store's read alone.
void BM_OpenPurchaseList(benchmark::State& state)
{
    purchaseList();
    double ours = 0, base = 0, rows = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(AppManager::getItemList());
        const auto t1 = Clock::now();
        PurchaseListViewController opened;
        const auto t2 = Clock::now();
        state.SetIterationTime(seconds(t1, t2));
        ours += seconds(t1, t2);
        base += seconds(t0, t1);
        rows += opened.cellCount();
    }
    report(state, ours, base, rows);
}

} // namespace

BENCHMARK(BM_SearchKeystroke)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CategoryChoice)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPurchaseList)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    screen.reset();
    catalogue.clear();
    instance.reset();
    return 0;
}
