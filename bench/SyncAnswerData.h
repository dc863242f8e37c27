#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// The master data of a large distributor's first login: about 100k records
// over every array of a login answer, in realistic proportions and sizes.
// Deterministic: the same arguments give the same bytes.
//
// A revision text, when given, is written into every record's "lastUpdate", so
// that two answers over the same keys can be told apart row by row once
// stored (each upsert rewrites "lastUpdate" of a stored record).
namespace SyncAnswerData {

struct Volume {
    const char* array;
    int count;
};
// The arrays and their record counts, in the order an answer lists them.
const Volume* volumes(int* size);

// Record i of the array ("materialArray", ...).
QJsonObject record(const char* array, int i, const QString& revision = QString());

// The answer's "result": every array, scaled (1.0 is the full volume; every
// array keeps at least one record), with "salesmanCode".
QJsonObject result(const QString& revision = QString(), double scale = 1.0, int* records = nullptr);

// The whole accepted answer as JSON text: "status" 0, "authToken", the
// "timeStamp" and the result above.
QByteArray answer(const QString& timeStamp, const QString& revision = QString(), double scale = 1.0,
                  int* records = nullptr);

} // namespace SyncAnswerData
