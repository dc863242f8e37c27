// Server answers that are not what the protocol promises, sent as bytes
// through the real HTTP client and the application's own answer handling:
// wrong types, nulls, missing keys, huge strings, numbers at the edges,
// invalid UTF-8, absurd nesting. Nothing crashes (the sanitizer build runs
// this too), what is valid is stored, the rest is skipped, and an answer that
// cannot be read changes nothing.
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "core/AppManager.h"
#include "http/HttpClient.h"
#include "platform/NotificationCenter.h"
#include "store/DataManager.h"
#include "support/CannedNetwork.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"
#include "sync/Session.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace StoreFixtures;

namespace {

struct Array {
    const char* name;
    const char* table;
    QStringList keys; // what a record must carry to be stored
};

const Array kArrays[] = {
    {"salesmanArray", "salesman", {"salesmanCode"}},
    {"salesOrderArray", "salesOrder", {"purchaseOrderNo"}},
    {"materialArray", "material", {"skuCode"}},
    {"salesOrderDetailArray", "salesOrderDetails", {"orderNo", "skuCode"}},
    {"customerSoldToArray", "customerSoldTo", {"customerCode"}},
    {"customerShipToArray", "customerShipTo", {"customerCode", "shipToCode"}},
    {"routingArray", "routing", {"id"}},
    {"routingShipToArray", "routing_shipTo", {"routingId", "shipToCode"}},
};

// Values no field expects.
QJsonValue hostile(int i)
{
    static const QJsonValue values[] = {QJsonValue(QJsonArray{1, "two", QJsonObject{}}), QJsonValue(QJsonObject{{"a", 1}}),
                                        QJsonValue(QJsonValue::Null), QJsonValue(true), QJsonValue(1e308),
                                        QJsonValue(-1e308), QJsonValue(-0.0), QJsonValue(9.2233720368547758e18),
                                        QJsonValue(QString(70000, QChar(0x00e9))), QJsonValue(u"'; DROP TABLE material; --"_s)};
    return values[i % int(std::size(values))];
}

struct MalformedAnswers : ::testing::Test {
    TestSandbox sandbox;
    FakeStoreDelegate delegate{kAlice};
    CannedNetwork network;
    std::shared_ptr<HttpClient> client = std::make_shared<HttpClient>(&network);
    Faults::Notifications events{"updateSuccess", "updateFailed"};

    void SetUp() override
    {
        HttpTransport::setShared(client);
        Session::setAuthToken(u"tok-0"_s);
        Session::storeTimeStamp(u"00000000000007"_s);
    }
    void TearDown() override
    {
        HttpTransport::setShared(nullptr);
        DownloadManager::releaseManager();
        Session::setAuthToken(QString());
    }

    // One update with these bytes as the answer; the notification it ended with.
    QString update(const QByteArray& body, const QByteArray& type = "application/json")
    {
        network.enqueue(CannedAnswer::withType(type, body));
        events.after([] { AppManager::getUpdateDataFromServer(); }, 10000);
        return events.said().value(0, u"<nothing>"_s);
    }

    static QByteArray envelope(const QJsonValue& result, const QJsonValue& timeStamp = u"00000000000042"_s)
    {
        QJsonObject answer{{"status", 0}, {"authToken", "tok-1"}, {"result", result}};
        answer.insert("timeStamp", timeStamp);
        return QJsonDocument(answer).toJson(QJsonDocument::Compact);
    }
};

} // namespace

TEST_F(MalformedAnswers, EveryArrayStoresItsRecordsAndSkipsWhatIsNotOne)
{
    QJsonObject result;
    for (const Array& array : kArrays) {
        QJsonArray elements;
        const QJsonObject good = SyncAnswerData::record(array.name, 1);
        elements.append(good);
        // A record with its keys whose every other field has the wrong type.
        QJsonObject wrongTypes = SyncAnswerData::record(array.name, 2);
        int i = 0;
        for (const QString& field : wrongTypes.keys()) {
            if (!array.keys.contains(field))
                wrongTypes.insert(field, hostile(i++));
        }
        elements.append(wrongTypes);
        // Records without a usable key, and elements that are no records.
        for (const QString& key : array.keys) {
            for (const QJsonValue& broken : {QJsonValue(QJsonValue::Null), QJsonValue(QString()), QJsonValue(QJsonObject{}),
                                             QJsonValue(QJsonArray{})}) {
                QJsonObject record = SyncAnswerData::record(array.name, 3);
                record.insert(key, broken);
                elements.append(record);
            }
            QJsonObject missing = SyncAnswerData::record(array.name, 4);
            missing.remove(key);
            elements.append(missing);
        }
        for (const QJsonValue& junk : {QJsonValue(QJsonValue::Null), QJsonValue(7), QJsonValue("text"), QJsonValue(QJsonArray{good}),
                                       QJsonValue(false)})
            elements.append(junk);
        result.insert(QLatin1String(array.name), elements);
    }
    // An array that is no array, and a picture list whose entries are junk.
    result.insert("brandArray", QJsonObject{{"not", "an array"}});
    result.insert("fileArray", QJsonArray{QJsonValue::Null, 5, QJsonObject{{"url", QJsonArray{}}, {"filename", "/../x"}}});

    EXPECT_EQ(update(envelope(result)), u"updateSuccess:"_s);
    for (const Array& array : kArrays) {
        EXPECT_EQ(countRows(QLatin1String(array.table)), 2) << array.table;
    }
    // The good records as sent.
    EXPECT_EQ(countRows(u"material"_s, u"skuCode = ? AND description = ?"_s,
                        {u"SKU000001"_s, u"Sparkling water 1.5 L pack 1"_s}),
              1);
    EXPECT_EQ(countRows(u"customerShipTo"_s, u"shipToCode = ? AND address = ?"_s, {u"D000001"_s, u"1 High Street"_s}),
              1);
    // A text that looks like SQL is only a text.
    EXPECT_EQ(countRows(u"material"_s, u"skuCode = 'SKU000002'"_s), 1);
    EXPECT_TRUE(DownloadManager::sharedManager()->entries().isEmpty());
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000042"_s);
}

TEST_F(MalformedAnswers, HugeStringsAreStoredWhole)
{
    const QString description(4 * 1024 * 1024, QChar(u'ä'));
    const QString code = u"K"_s + QString(100000, QLatin1Char('9'));
    QJsonObject item = SyncAnswerData::record("materialArray", 1);
    item.insert("description", description);
    item.insert("skuCode", code);
    EXPECT_EQ(update(envelope(QJsonObject{{"materialArray", QJsonArray{item}}})), u"updateSuccess:"_s);
    EXPECT_EQ(countRows(u"material"_s, u"skuCode = ? AND description = ?"_s, {code, description}), 1);
}

TEST_F(MalformedAnswers, AnAnswerThatCannotBeReadChangesNothing)
{
    const QByteArray good = envelope(QJsonObject{{"materialArray", QJsonArray{SyncAnswerData::record("materialArray", 1)}}});
    QByteArray invalidUtf8 = good;
    invalidUtf8.replace("Sparkling", "Sp\xff\xfekling");
    QByteArray deep(200000, '[');
    QByteArray cut = good.left(good.size() - 3);

    EXPECT_EQ(update(invalidUtf8), u"updateFailed:Data failed decoding as a UTF-8 string"_s);
    EXPECT_TRUE(update(deep).startsWith(QLatin1String("updateFailed:")));
    EXPECT_TRUE(update(cut).startsWith(QLatin1String("updateFailed:")));
    EXPECT_TRUE(update(good, "text/html").startsWith(QLatin1String("updateFailed:Request failed: unacceptable content-type")));
    EXPECT_EQ(countRows(u"material"_s), 0);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000007"_s);
    EXPECT_EQ(Session::authToken(), u"tok-0"_s);
    // The same answer, readable, is applied.
    EXPECT_EQ(update(good), u"updateSuccess:"_s);
    EXPECT_EQ(countRows(u"material"_s), 1);
}

TEST_F(MalformedAnswers, EnvelopesOfEveryShape)
{
    const QJsonObject items{{"materialArray", QJsonArray{SyncAnswerData::record("materialArray", 1)}}};
    auto body = [&items](const QJsonValue& status) {
        QJsonObject answer{{"authToken", "tok-9"}, {"timeStamp", "00000000000099"}, {"result", items}};
        if (!status.isUndefined())
            answer.insert("status", status);
        return QJsonDocument(answer).toJson(QJsonDocument::Compact);
    };
    // None of these is an acceptance: nothing applied, nothing stored.
    EXPECT_EQ(update(body(QJsonValue(QJsonValue::Undefined))), u"updateFailed:Connection error..."_s);
    EXPECT_EQ(update(body(QJsonValue(QJsonValue::Null))), u"updateFailed:Connection error..."_s);
    for (const QJsonValue& status : {QJsonValue(true), QJsonValue(0.5), QJsonValue(1e308), QJsonValue("zero"), QJsonValue(QJsonArray{0}),
                                     QJsonValue(QJsonObject{{"code", 0}}), QJsonValue(3)})
        EXPECT_TRUE(update(body(status)).startsWith(QLatin1String("updateFailed:"))) << qPrintable(QJsonDocument(QJsonArray{status}).toJson());
    EXPECT_EQ(update("[1, 2, 3]"), u"updateFailed:Connection error..."_s);
    EXPECT_TRUE(update("\"just a text\"").startsWith(QLatin1String("updateFailed:")));
    EXPECT_EQ(countRows(u"material"_s), 0);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000007"_s);
    EXPECT_EQ(Session::authToken(), u"tok-0"_s);

    // A status of digits in a text is an acceptance, as the server writes it
    // at times; a time stamp that is no text does not end up as a bogus mark.
    EXPECT_EQ(update(body(QJsonValue("0"))), u"updateSuccess:"_s);
    EXPECT_EQ(countRows(u"material"_s), 1);
    EXPECT_EQ(update(envelope(QJsonObject{}, QJsonValue(QJsonObject{{"mark", 5}}))), u"updateSuccess:"_s);
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000099"_s);
}
