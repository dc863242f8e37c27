#include "SyncAnswerData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <iterator>

namespace {

// About 100k records in the proportions of a large distributor.
const SyncAnswerData::Volume kVolumes[] = {
    {"salesmanArray", 60},           {"salesOrderArray", 8000},     {"brandArray", 120},
    {"materialArray", 40000},        {"salesOrderDetailArray", 32000}, {"customerSoldToArray", 4000},
    {"customerShipToArray", 9000},   {"routingArray", 820},         {"routingShipToArray", 6000}};

QString pad(int n, int width = 6)
{
    return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

} // namespace

namespace SyncAnswerData {

const Volume* volumes(int* size)
{
    *size = int(std::size(kVolumes));
    return kVolumes;
}

QJsonObject record(const char* array, int i, const QString& revision)
{
    const QString stamp = QStringLiteral("2025-03-%1 08:%2:00")
                              .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                              .arg(i % 60, 2, 10, QLatin1Char('0'));
    const QString updated = revision.isEmpty() ? stamp : revision;
    const QString a = QLatin1String(array);
    if (a == QLatin1String("salesmanArray"))
        return {{"salesmanCode", "S" + pad(i)}, {"username", "75736572" + pad(i)}, {"password", "7061737377" + pad(i)},
                {"status", "20"}, {"employeeCode", "E" + pad(i)}, {"address", QString("%1 Market Street").arg(i)},
                {"contactNo", "+1 555 0100"}, {"mobileNo", "+1 555 0200"}, {"faxNo", ""}, {"email", "s@example.com"},
                {"ipAddress", ""}, {"authToken", ""}, {"loginDate", stamp}, {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("salesOrderArray"))
        return {{"purchaseOrderNo", "PO" + pad(i) + ".1735" + pad(i)}, {"orderNo", pad(80000000 + i, 8)},
                {"orderDate", stamp}, {"deliveryDate", stamp}, {"soldToCode", "C" + pad(i % 4000)},
                {"shipToCode", "D" + pad(i % 9000)}, {"transactionStatus", "20"}, {"uploadStatus", "30"},
                {"sapStatus", "OPEN"}, {"sapOrderNo", pad(i, 10)}, {"type", "1"}, {"priority", "0"},
                {"remark", "Deliver before noon, ring at the back door"}, {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("brandArray"))
        return {{"brandCode", QString::number(i)}, {"brandLanguage", "EN"}, {"brandName", QString("Brand %1").arg(i)},
                {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("materialArray"))
        return {{"skuCode", "SKU" + pad(i)}, {"language", "EN"}, {"description", QString("Sparkling water 1.5 L pack %1").arg(i)},
                {"type", "FG"}, {"barcode", "40" + pad(i, 11)}, {"category", QString::number(i % 12)},
                {"subCategory", QString::number(i % 40)}, {"brand", QString::number(i % 120)}, {"subBrand", "1"},
                {"status", i % 20 ? "20" : "10"}, {"photo", i % 20 == 19 ? "1" : "0"}, {"priority", pad(i)},
                {"unit1", "CS"}, {"unit2", "EA"}, {"Cat1", "Beverages"}, {"Cat2", QString("Group %1").arg(i % 9)},
                {"Cat3", "Bottle"}, {"Cat4", "1.5 L"}, {"Cat5", "Still"}, {"Cat6", "Retail"},
                {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("salesOrderDetailArray"))
        return {{"orderNo", "PO" + pad(i / 4) + ".1735" + pad(i / 4)}, {"skuCode", "SKU" + pad(i * 7 % 40000)},
                {"quantity", QString::number(1 + i % 24)}, {"uomCode", "CS"}, {"PromotionCode", i % 10 ? " " : "P7"},
                {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("customerSoldToArray"))
        return {{"customerCode", "C" + pad(i)}, {"customerName", QString("Corner Shop %1 Ltd").arg(i)},
                {"salesGroup", "North"}, {"status", "20"}, {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("customerShipToArray"))
        return {{"customerCode", "C" + pad(i % 4000)}, {"shipToCode", "D" + pad(i)}, {"description", "Back door"},
                {"status", "20"}, {"address", QString("%1 High Street").arg(i)}, {"district", "Central"},
                {"region", "North"}, {"remarks", ""}, {"creationDate", stamp}, {"lastUpdate", updated}};
    if (a == QLatin1String("routingArray"))
        return {{"id", QString::number(i + 1)}, {"routingId", QString::number(i + 1)}, {"salesmanCode", "S" + pad(i % 60)},
                {"start_date", "2025-01-01"}, {"end_date", "2030-01-01"}, {"status", "20"},
                {"creationDate", stamp}, {"lastUpdate", updated}};
    return {{"routingId", QString::number(1 + i % 820)}, {"shipToCode", "D" + pad(i % 9000)}, {"status", "20"},
            {"creationDate", stamp}, {"lastUpdate", updated}};
}

QJsonObject result(const QString& revision, double scale, int* records)
{
    QJsonObject result{{"salesmanCode", "S000001"}};
    int total = 0;
    for (const Volume& v : kVolumes) {
        const int count = std::max(1, int(v.count * scale));
        QJsonArray array;
        for (int i = 0; i < count; ++i)
            array.append(record(v.array, i, revision));
        total += count;
        result.insert(QLatin1String(v.array), array);
    }
    if (records)
        *records = total;
    return result;
}

QByteArray answer(const QString& timeStamp, const QString& revision, double scale, int* records)
{
    return QJsonDocument(QJsonObject{{"status", 0},
                                     {"authToken", "t"},
                                     {"timeStamp", timeStamp},
                                     {"result", result(revision, scale, records)}})
        .toJson(QJsonDocument::Compact);
}

} // namespace SyncAnswerData
