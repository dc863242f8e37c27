// Server answers that are not what the protocol promises, as bytes through
// the real HTTP client and the application's own answer handling: nothing
// crashes (the sanitizer build runs this too), what is valid is stored, the
// rest is skipped, and an answer that cannot be read changes nothing.
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
        events.after([] { AppManager::getUpdateDataFromServer(); }, 10000);
        return events.said.value(0, u"<nothing>"_s);
    }

    // What an update may change: the items, the time stamp, the token.
    static QString state()
    {
        return u"%1 items, %2, %3"_s.arg(countRows(u"material"_s))
            .arg(Session::storedTimeStamp(), Session::authToken());
    }

    static QByteArray envelope(const QJsonValue& result,
                               const QJsonValue& timeStamp = u"00000000000042"_s)
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
        const QJsonObject good = SyncAnswerData::record(array.name, 1);
        // A record with its keys whose every other field has the wrong type.
        QJsonObject wrongTypes = SyncAnswerData::record(array.name, 2);
        int i = 0;
        for (const QString& field : wrongTypes.keys()) {
            if (!array.keys.contains(field))
                wrongTypes.insert(field, kHostile[i++ % kHostile.size()]);
        }
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
        result.insert(QLatin1String(array.name), elements);
    }
    // An array that is no array, and a picture list whose entries are junk.
    result.insert("brandArray", QJsonObject{{"not", "an array"}});
    result.insert(
        "fileArray",
        QJsonArray{QJsonValue::Null, 5, QJsonObject{{"url", QJsonArray{}}, {"filename", "/../x"}}});

    // Huge strings, stored whole.
    const QString description(4 * 1024 * 1024, QChar(u'ä'));
    const QString code = u"K"_s + QString(100000, QLatin1Char('9'));
    QJsonObject huge = SyncAnswerData::record("materialArray", 5);
    huge.insert("description", description);
    huge.insert("skuCode", code);
    QJsonArray materials = result.value("materialArray").toArray();
    materials.append(huge);
    result.insert("materialArray", materials);

    EXPECT_EQ(update(envelope(result)), u"updateSuccess:"_s);
    QStringList counts;
    for (const Array& array : kArrays)
        counts << u"%1 %2"_s.arg(QLatin1String(array.table))
                      .arg(countRows(QLatin1String(array.table)));
    EXPECT_EQ(counts.join(u", "_s),
              u"salesman 2, salesOrder 2, material 3, salesOrderDetails 2, "
              "customerSoldTo 2, customerShipTo 2, routing 2, routing_shipTo 2"_s);
    // The good records as sent; a text that looks like SQL is only a text.
    EXPECT_EQ(
        countRows(u"material"_s, u"skuCode = ? AND description = ?"_s,
                  {u"SKU000001"_s, u"Sparkling water 1.5 L pack 1"_s}) +
            countRows(u"material"_s, u"skuCode = ? AND description = ?"_s, {code, description}) +
            countRows(u"customerShipTo"_s, u"shipToCode = ? AND address = ?"_s,
                      {u"D000001"_s, u"1 High Street"_s}) +
            countRows(u"material"_s, u"skuCode = 'SKU000002'"_s),
        4);
    EXPECT_TRUE(DownloadManager::sharedManager()->entries().isEmpty());
    EXPECT_EQ(Session::storedTimeStamp(), u"00000000000042"_s);
}

TEST_F(MalformedAnswers, AnAnswerThatCannotBeReadChangesNothing)
{
    const QJsonObject items{
        {"materialArray", QJsonArray{SyncAnswerData::record("materialArray", 1)}}};
    const QByteArray good = envelope(items);
    auto withStatus = [&items](const QJsonValue& status) {
        QJsonObject answer{
            {"authToken", "tok-9"}, {"timeStamp", "00000000000099"}, {"result", items}};
        if (!status.isUndefined())
            answer.insert("status", status);
        return QJsonDocument(answer).toJson(QJsonDocument::Compact);
    };
    QByteArray invalidUtf8 = good;
    invalidUtf8.replace("Sparkling", "Sp\xff\xfekling");
    const QString failed = u"updateFailed:"_s;
    const QString connection = u"updateFailed:Connection error..."_s;
    // The message of each; one that ends in "*": any failure with that start.
    const struct
    {
        QByteArray body;
        QString said;
        QByteArray type = "application/json";
    } cases[] = {
        {invalidUtf8, u"updateFailed:Data failed decoding as a UTF-8 string"_s},
        {QByteArray(200000, '['), failed + u'*'},
        {good.left(good.size() - 3), failed + u'*'},
        {good, u"updateFailed:Request failed: unacceptable content-type*"_s, "text/html"},
        // None of these envelopes is an acceptance.
        {withStatus(QJsonValue(QJsonValue::Undefined)), connection},
        {withStatus(QJsonValue(QJsonValue::Null)), connection},
        {withStatus(true), failed + u'*'},
        {withStatus(0.5), failed + u'*'},
        {withStatus(1e308), failed + u'*'},
        {withStatus("zero"), failed + u'*'},
        {withStatus(QJsonArray{0}), failed + u'*'},
        {withStatus(QJsonObject{{"code", 0}}), failed + u'*'},
        {withStatus(3), failed + u'*'},
        {"[1, 2, 3]", connection},
        {"\"just a text\"", failed + u'*'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.left(80).toStdString());
        const QString said = update(c.body, c.type);
        if (c.said.endsWith(u'*'))
            EXPECT_TRUE(said.startsWith(c.said.chopped(1))) << qPrintable(said);
        else
            EXPECT_EQ(said, c.said);
        EXPECT_EQ(state(), u"0 items, 00000000000007, tok-0"_s);
    }

    // The same answer, readable, is applied; a status of digits in a text is
    // an acceptance, as the server writes it at times; a time stamp that is
    // no text does not end up as a bogus mark.
    EXPECT_EQ(update(good), u"updateSuccess:"_s);
    EXPECT_EQ(state(), u"1 items, 00000000000042, tok-1"_s);
    EXPECT_EQ(update(withStatus("0")), u"updateSuccess:"_s);
    EXPECT_EQ(update(envelope(QJsonObject{}, QJsonValue(QJsonObject{{"mark", 5}}))),
              u"updateSuccess:"_s);
    EXPECT_EQ(state(), u"1 items, 00000000000099, tok-1"_s);
}
