// Any body as the answer to a login or an update, checked, read and applied
// like the real answer (what must hold: the fuzzing table of faults/README.md).
#include "FuzzSupport.h"
#include "http/ResponseChecks.h"
#include "store/DataManager.h"
#include "sync/DownloadManager.h"
#include "sync/ServerAnswer.h"
#include "sync/SyncWorker.h"

#include <QFile>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    DataManager* store = DataManager::sharedManager();
    FUZZ_CHECK(store->isOpen(), store->getDatabasePath());
    // Durability is not what is fuzzed here; speed is.
    sqlite3_exec(store->handle(), "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    return 0;
}

namespace {

// Every record of one array that carries its key as a text is stored: the
// keys of those not found in the table.
QStringList missing(const QVariant& result, const char* array, const char* table, const char* key)
{
    QStringList keys;
    for (const QVariant& element : result.toMap().value(QLatin1String(array)).toList()) {
        const QVariant value = element.toMap().value(QLatin1String(key));
        if (value.typeId() != QMetaType::QString || value.toString().isEmpty())
            continue;
        Statement found = DataManager::sharedManager()->executeQuery(
            u"SELECT COUNT(*) FROM %1 WHERE %2 = ?"_s.arg(QLatin1String(table), QLatin1String(key)),
            {value});
        if (found.step() != Statement::Row || found.columnInt(0) != 1)
            keys << value.toString();
    }
    return keys;
}

void wipe()
{
    DataManager* store = DataManager::sharedManager();
    Statement tables =
        store->executeQuery(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s);
    while (tables.step() == Statement::Row)
        store->executeUpdate(u"DELETE FROM `%1`"_s.arg(tables.columnText(0)));
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
    FUZZ_CHECK(sqlite3_get_autocommit(store->handle()) == 1, u"a transaction was left open"_s);
    QVariant json;
    if (!outcome.error && !ResponseChecks::decodeJson(body, json) &&
        outcome.answer.verdict() == ServerAnswer::Accepted) {
        FUZZ_CHECK(outcome.stored, store->lastError());
        const QVariant result = ServerAnswer(json).result();
        const QStringList lost =
            missing(result, "materialArray", "material", "skuCode") +
            missing(result, "customerSoldToArray", "customerSoldTo", "customerCode") +
            missing(result, "salesOrderArray", "salesOrder", "purchaseOrderNo") +
            (loginAnswer ? missing(result, "brandArray", "brand", "brandCode") : QStringList());
        FUZZ_CHECK(lost.isEmpty(), lost.join(u", "_s));
    }
    // The same body as a promotion answer: only its "result" is read.
    request.kind = AnswerReader::PromotionAnswer;
    request.onlyWhenAccepted = false;
    SyncWorker::apply(request, body, store);
    FUZZ_CHECK(sqlite3_get_autocommit(store->handle()) == 1, u"a transaction was left open"_s);
    if (++runs % 512 == 0) {
        Statement check = store->executeQuery(u"PRAGMA quick_check"_s);
        FUZZ_CHECK(check.step() == Statement::Row && check.columnText(0) == QLatin1String("ok"),
                   check.columnText(0));
        wipe();
    }
    return 0;
}
