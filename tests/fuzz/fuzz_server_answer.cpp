// Any body as the answer to a login or an update: checked and read like the
// real answer, then, when the envelope accepts it, its master data applied to
// the store (and a promotion answer's list as promotions). No crash, no
// sanitizer finding, no transaction left open, every record that carries its
// key as a text is stored, and the database stays whole.
#include "FuzzSupport.h"
#include "http/ResponseChecks.h"
#include "store/DataManager.h"
#include "sync/DownloadManager.h"
#include "sync/ServerAnswer.h"
#include "sync/SyncWorker.h"

#include <QFile>
#include <sqlite3.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    DataManager* store = DataManager::sharedManager();
    if (!store->isOpen())
        FuzzSupport::fail("the seed database opens", store->getDatabasePath());
    // Durability is not what is fuzzed here; speed is.
    sqlite3_exec(store->handle(), "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    return 0;
}

namespace {

int count(const char* sql, const QString& value)
{
    Statement statement = DataManager::sharedManager()->executeQuery(QString::fromLatin1(sql), {value});
    return statement.step() == Statement::Row ? statement.columnInt(0) : -1;
}

// Keys as texts in the records of one array: what must be found stored.
QStringList textKeys(const QVariant& result, const char* array, const char* key)
{
    QStringList keys;
    for (const QVariant& element : result.toMap().value(QLatin1String(array)).toList()) {
        if (element.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariant value = element.toMap().value(QLatin1String(key));
        if (value.typeId() == QMetaType::QString && !value.toString().isEmpty())
            keys << value.toString();
    }
    return keys;
}

void wipe()
{
    DataManager* store = DataManager::sharedManager();
    for (const char* table : {"salesman", "salesOrder", "salesOrderDetails", "material", "brand", "customerSoldTo",
                              "customerShipTo", "routing", "routing_shipTo", "promote_db"})
        store->executeUpdate(QStringLiteral("DELETE FROM `%1`").arg(QLatin1String(table)));
    DownloadManager::releaseManager();
    QFile::remove(DownloadManager::getQueuePath());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int runs = 0;
    if (size == 0)
        return 0;
    const bool loginAnswer = data[0] & 1;
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    DataManager* store = DataManager::sharedManager();
    SyncWorker::Request request;
    request.kind = loginAnswer ? AnswerReader::LoginAnswer : AnswerReader::UpdateAnswer;
    const AnswerOutcome outcome = SyncWorker::apply(request, body, store);
    FUZZ_CHECK(sqlite3_get_autocommit(store->handle()) == 1, QStringLiteral("a transaction was left open"));
    QVariant json;
    if (!outcome.error && !ResponseChecks::decodeJson(body, json) &&
        outcome.answer.verdict() == ServerAnswer::Accepted) {
        FUZZ_CHECK(outcome.stored, store->lastError());
        const QVariant result = ServerAnswer(json).result();
        for (const QString& sku : textKeys(result, "materialArray", "skuCode"))
            FUZZ_CHECK(count("SELECT COUNT(*) FROM material WHERE skuCode = ?", sku) == 1, sku);
        for (const QString& code : textKeys(result, "customerSoldToArray", "customerCode"))
            FUZZ_CHECK(count("SELECT COUNT(*) FROM customerSoldTo WHERE customerCode = ?", code) == 1, code);
        for (const QString& number : textKeys(result, "salesOrderArray", "purchaseOrderNo"))
            FUZZ_CHECK(count("SELECT COUNT(*) FROM salesOrder WHERE purchaseOrderNo = ?", number) == 1, number);
        if (loginAnswer) {
            for (const QString& code : textKeys(result, "brandArray", "brandCode"))
                FUZZ_CHECK(count("SELECT COUNT(*) FROM brand WHERE brandCode = ?", code) == 1, code);
        }
    }
    // The same body as a promotion answer: only its "result" is read.
    request.kind = AnswerReader::PromotionAnswer;
    request.onlyWhenAccepted = false;
    SyncWorker::apply(request, body, store);
    FUZZ_CHECK(sqlite3_get_autocommit(store->handle()) == 1, QStringLiteral("a transaction was left open"));
    if (++runs % 512 == 0) {
        Statement check = store->executeQuery(QStringLiteral("PRAGMA quick_check"));
        FUZZ_CHECK(check.step() == Statement::Row && check.columnText(0) == QLatin1String("ok"), check.columnText(0));
        wipe();
    }
    return 0;
}
