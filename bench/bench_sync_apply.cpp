// A first login of a big customer: 100k records across every master-data
// array, from the JSON text of the answer to committed rows, against a raw
// SQLite bulk insert of the same rows in the same run.
#include "StoreBenchData.h"
#include "http/ResponseChecks.h"
#include "platform/Sandbox.h"
#include "store/DataManager.h"
#include "sync/MasterDataSync.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

struct Volume {
    const char* array;
    int count;
};
// About 100k records in the proportions of a large distributor.
const Volume kVolumes[] = {{"salesmanArray", 60},          {"salesOrderArray", 8000},
                           {"brandArray", 120},            {"materialArray", 40000},
                           {"salesOrderDetailArray", 32000}, {"customerSoldToArray", 4000},
                           {"customerShipToArray", 9000},  {"routingArray", 820},
                           {"routingShipToArray", 6000}};

QString pad(int n, int width = 6)
{
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

QJsonObject record(const char* array, int i)
{
    const QString stamp = QStringLiteral("2025-03-%1 08:%2:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
    const QString a = QLatin1String(array);
    if (a == QLatin1String("salesmanArray"))
        return {{"salesmanCode", "S" + pad(i)}, {"username", "75736572" + pad(i)}, {"password", "7061737377" + pad(i)},
                {"status", "20"}, {"employeeCode", "E" + pad(i)}, {"address", QString("%1 Market Street").arg(i)},
                {"contactNo", "+1 555 0100"}, {"mobileNo", "+1 555 0200"}, {"faxNo", ""}, {"email", "s@example.com"},
                {"ipAddress", ""}, {"authToken", ""}, {"loginDate", stamp}, {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("salesOrderArray"))
        return {{"purchaseOrderNo", "PO" + pad(i) + ".1735" + pad(i)}, {"orderNo", pad(80000000 + i, 8)},
                {"orderDate", stamp}, {"deliveryDate", stamp}, {"soldToCode", "C" + pad(i % 4000)},
                {"shipToCode", "D" + pad(i % 9000)}, {"transactionStatus", "20"}, {"uploadStatus", "30"},
                {"sapStatus", "OPEN"}, {"sapOrderNo", pad(i, 10)}, {"type", "1"}, {"priority", "0"},
                {"remark", "Deliver before noon, ring at the back door"}, {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("brandArray"))
        return {{"brandCode", QString::number(i)}, {"brandLanguage", "EN"}, {"brandName", QString("Brand %1").arg(i)},
                {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("materialArray"))
        return {{"skuCode", "SKU" + pad(i)}, {"language", "EN"}, {"description", QString("Sparkling water 1.5 L pack %1").arg(i)},
                {"type", "FG"}, {"barcode", "40" + pad(i, 11)}, {"category", QString::number(i % 12)},
                {"subCategory", QString::number(i % 40)}, {"brand", QString::number(i % 120)}, {"subBrand", "1"},
                {"status", i % 20 ? "20" : "10"}, {"photo", i % 20 == 19 ? "1" : "0"}, {"priority", pad(i)},
                {"unit1", "CS"}, {"unit2", "EA"}, {"Cat1", "Beverages"}, {"Cat2", QString("Group %1").arg(i % 9)},
                {"Cat3", "Bottle"}, {"Cat4", "1.5 L"}, {"Cat5", "Still"}, {"Cat6", "Retail"},
                {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("salesOrderDetailArray"))
        return {{"orderNo", "PO" + pad(i / 4) + ".1735" + pad(i / 4)}, {"skuCode", "SKU" + pad(i * 7 % 40000)},
                {"quantity", QString::number(1 + i % 24)}, {"uomCode", "CS"}, {"PromotionCode", i % 10 ? " " : "P7"},
                {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("customerSoldToArray"))
        return {{"customerCode", "C" + pad(i)}, {"customerName", QString("Corner Shop %1 Ltd").arg(i)},
                {"salesGroup", "North"}, {"status", "20"}, {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("customerShipToArray"))
        return {{"customerCode", "C" + pad(i % 4000)}, {"shipToCode", "D" + pad(i)}, {"description", "Back door"},
                {"status", "20"}, {"address", QString("%1 High Street").arg(i)}, {"district", "Central"},
                {"region", "North"}, {"remarks", ""}, {"creationDate", stamp}, {"lastUpdate", stamp}};
    if (a == QLatin1String("routingArray"))
        return {{"id", QString::number(i + 1)}, {"routingId", QString::number(i + 1)}, {"salesmanCode", "S" + pad(i % 60)},
                {"start_date", "2025-01-01"}, {"end_date", "2030-01-01"}, {"status", "20"},
                {"creationDate", stamp}, {"lastUpdate", stamp}};
    return {{"routingId", QString::number(1 + i % 820)}, {"shipToCode", "D" + pad(i % 9000)}, {"status", "20"},
            {"creationDate", stamp}, {"lastUpdate", stamp}};
}

QByteArray loginAnswer(int& records)
{
    QJsonObject result{{"salesmanCode", "S000001"}};
    records = 0;
    for (const Volume& v : kVolumes) {
        QJsonArray array;
        for (int i = 0; i < v.count; ++i)
            array.append(record(v.array, i));
        records += v.count;
        result.insert(QLatin1String(v.array), array);
    }
    return QJsonDocument(QJsonObject{{"status", 0}, {"authToken", "t"}, {"timeStamp", "00000000000042"},
                                     {"result", result}})
        .toJson(QJsonDocument::Compact);
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
        QVariant json;
        ResponseChecks::decodeJson(body, json);
        const bool committed = MasterDataSync::applyResult(json.toMap().value(QStringLiteral("result")), true);
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
