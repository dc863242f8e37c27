// Server answers that are not what the protocol promises, as bytes through the
// real HTTP client: valid records stored, nothing else (faults/README.md).
#include "FaultSupport.h"
#include "SyncAnswerData.h"
#include "http/HttpClient.h"
#include "support/CannedNetwork.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace StoreFixtures;

namespace {

struct Array
{
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
const QJsonArray kHostile = QJsonDocument::fromJson(R"([[1, "two", {}], {"a": 1}, null, true,
    1e308, -1e308, -0.0, 9.2233720368547758e18, "'; DROP TABLE material; --",
    ")" + QString(70000, QChar(0x00e9)).toUtf8() + R"("])")
                                .array();

struct MalformedAnswers : ::testing::Test
{
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
    void TearDown() override { Faults::releaseNetwork(); }

    // One update with these bytes as the answer; the notification it ended with.
    QString update(const QByteArray& body, const QByteArray& type = "application/json")
    {
        network.enqueue(CannedAnswer::withType(type, body));
        return events.after([] { AppManager::getUpdateDataFromServer(); }, 10000);
    }

    // What an update may change: the items, the time stamp, the token.
    static QString state()
    {
        return u"%1 items, %2, %3"_s.arg(countRows(u"material"_s))
            .arg(Session::storedTimeStamp(), Session::authToken());
    }

    // An answer with this status (none when undefined).
    static QByteArray envelope(const QJsonValue& result,
                               const QJsonValue& timeStamp = u"00000000000042"_s,
                               const QJsonValue& status = 0)
    {
        QJsonObject answer{{"authToken", "tok-1"}, {"result", result}, {"timeStamp", timeStamp}};
        if (!status.isUndefined())
            answer.insert("status", status);
        return QJsonDocument(answer).toJson(QJsonDocument::Compact);
    }
};

} // namespace

TEST_F(MalformedAnswers, EveryArrayStoresItsRecordsAndSkipsWhatIsNotOne)
{
    // Huge strings, stored whole.
    const QString description(4 * 1024 * 1024, QChar(u'ä'));
    const QString code = u"K"_s + QString(100000, QLatin1Char('9'));
    QJsonObject huge = SyncAnswerData::record("materialArray", 5);
    huge[u"description"_s] = description;
    huge[u"skuCode"_s] = code;
    QJsonObject result;
    for (const Array& array : kArrays) {
        const QJsonObject good = SyncAnswerData::record(array.name, 1);
        // A record with its keys whose every other field has the wrong type.
        QJsonObject wrongTypes = SyncAnswerData::record(array.name, 2);
        int i = 0;
        for (const QString& field : wrongTypes.keys())
            if (!array.keys.contains(field))
                wrongTypes.insert(field, kHostile[i++ % kHostile.size()]);
        // Elements that are no records, and records without a usable key
        // (Undefined: without the key at all).
        QJsonArray elements{good, wrongTypes, QJsonValue::Null, 7, "text", QJsonArray{good}, false};
        for (const QString& key : array.keys) {
            for (const QJsonValue& broken :
                 {QJsonValue(QJsonValue::Null), QJsonValue(QString()), QJsonValue(QJsonObject{}),
                  QJsonValue(QJsonArray{}), QJsonValue(QJsonValue::Undefined)}) {
                QJsonObject record = SyncAnswerData::record(array.name, 3);
                record.insert(key, broken);
                elements.append(record);
            }
        }
        if (QLatin1String(array.name) == "materialArray")
            elements.append(huge);
        result.insert(QLatin1String(array.name), elements);
    }
    // An array that is no array, and a picture list whose entries are junk.
    result.insert("brandArray", QJsonObject{{"not", "an array"}});
    result.insert(
        "fileArray",
        QJsonArray{QJsonValue::Null, 5, QJsonObject{{"url", QJsonArray{}}, {"filename", "/../x"}}});

    EXPECT_EQ(update(envelope(result)), u"updateSuccess:"_s);
    // Of every array the good record and the one with wrong types (and the huge item).
    for (const Array& array : kArrays)
        EXPECT_EQ(countRows(QLatin1String(array.table)), qstrcmp(array.table, "material") ? 2 : 3)
            << array.table;
    // The good records as sent; a text that looks like SQL is only a text.
    EXPECT_EQ(
        countRows(u"material"_s, u"skuCode = ? AND description = ?"_s,
                  {u"SKU000001"_s, u"Sparkling water 1.5 L pack 1"_s}) +
            countRows(u"material"_s, u"skuCode = ? AND description = ?"_s, {code, description}) +
            countRows(u"customerShipTo"_s, u"shipToCode = ? AND address = ?"_s,
                      {u"D000001"_s, u"1 High Street"_s}),
        3);
    EXPECT_TRUE(DownloadManager::sharedManager()->entries().isEmpty());
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000042"_s);
}

TEST_F(MalformedAnswers, AnAnswerThatCannotBeReadChangesNothing)
{
    const QJsonObject items{
        {"materialArray", QJsonArray{SyncAnswerData::record("materialArray", 1)}}};
    const QByteArray good = envelope(items);
    auto withStatus = [&items](const QJsonValue& status) {
        return envelope(items, u"00000000000099"_s, status);
    };
    const QString connection = u"updateFailed:Connection error..."_s;
    // How the message of each starts.
    const struct
    {
        QByteArray body;
        QString said;
        QByteArray type = "application/json";
    } cases[] = {
        {QByteArray(good).replace("Sparkling", "Sp\xff\xfekling"),
         u"updateFailed:Data failed decoding as a UTF-8 string"_s},
        {QByteArray(200000, '['), u"updateFailed:"_s},
        {good.left(good.size() - 3), u"updateFailed:"_s},
        {good, u"updateFailed:Request failed: unacceptable content-type"_s, "text/html"},
        // None of these envelopes is an acceptance.
        {withStatus(QJsonValue(QJsonValue::Undefined)), connection},
        {withStatus(QJsonValue(QJsonValue::Null)), connection},
        {withStatus(true), u"updateFailed:"_s},
        {withStatus(0.5), u"updateFailed:"_s},
        {withStatus(1e308), u"updateFailed:"_s},
        {withStatus("zero"), u"updateFailed:"_s},
        {withStatus(QJsonArray{0}), u"updateFailed:"_s},
        {withStatus(QJsonObject{{"code", 0}}), u"updateFailed:"_s},
        {withStatus(3), u"updateFailed:"_s},
        {"[1, 2, 3]", connection},
        {"\"just a text\"", u"updateFailed:"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.left(80).toStdString());
        const QString said = update(c.body, c.type);
        EXPECT_TRUE(said.startsWith(c.said)) << qPrintable(said);
        EXPECT_EQ(state(), u"0 items, 00000000000007, tok-0"_s);
    }

    // The same answer, readable, is applied; a time stamp that is no text then
    // does not end up as a bogus mark.
    EXPECT_EQ(update(good), u"updateSuccess:"_s);
    EXPECT_EQ(update(envelope(QJsonObject{}, QJsonValue(QJsonObject{{"mark", 5}}))),
              u"updateSuccess:"_s);
    EXPECT_EQ(state(), u"1 items, 00000000000042, tok-1"_s);
}
