// Any answer body through the JSON response check and the answer envelope
// (what must hold: the fuzzing table of faults/README.md).
#include "FuzzSupport.h"
#include "http/ResponseChecks.h"
#include "sync/ServerAnswer.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    QVariant object;
    const std::optional<HttpError> error = ResponseChecks::decodeJson(body, object);
    if (body.isEmpty() || body == " ") {
        FUZZ_CHECK(!error && object.isNull(), u"an empty body is no answer and no error"_s);
        return 0;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(body);
    FUZZ_CHECK(error || !utf8.hasError(), u"a body that is not UTF-8 was accepted"_s);
    FUZZ_CHECK(!error || (object.isNull() && !error->description().isEmpty()),
               u"a failed check delivered an object or no description"_s);

    const ServerAnswer answer(object);
    const QVariantMap info = answer.failureUserInfo();
    switch (answer.verdict()) {
    case ServerAnswer::Ignored:
        FUZZ_CHECK(!answer.isDictionary() && info.isEmpty(), u"an object was ignored"_s);
        break;
    case ServerAnswer::ConnectionError:
        FUZZ_CHECK(!answer.hasStatus() && info.size() == 1 &&
                       info.value(u"message"_s) == ServerAnswer::connectionErrorMessage(),
                   QString());
        break;
    case ServerAnswer::Refused:
        FUZZ_CHECK(answer.hasStatus() && answer.status() != 0 && info == answer.dictionary(),
                   u"refused with status 0"_s);
        break;
    case ServerAnswer::Accepted:
        FUZZ_CHECK(answer.status() == 0, u"accepted without status 0"_s);
    }
    // The texts an accepted answer hands on are read without fault whatever
    // their type.
    (void)(answer.authToken() + answer.timeStamp() + answer.message());
    (void)answer.result();
    return 0;
}
