// Any answer body through the JSON response check and the answer envelope:
// no crash, an empty body (or " ") gives no object and no error, nothing that
// is not UTF-8 is accepted, and the envelope's verdict agrees with its status.
#include "FuzzSupport.h"
#include "http/ResponseChecks.h"
#include "sync/ServerAnswer.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

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
    switch (answer.verdict()) {
    case ServerAnswer::Ignored:
        FUZZ_CHECK(!answer.isDictionary() && answer.failureUserInfo().isEmpty(),
                   u"an object was ignored"_s);
        break;
    case ServerAnswer::ConnectionError:
        FUZZ_CHECK(!answer.hasStatus() && answer.failureUserInfo().value(u"message"_s).toString() ==
                                              ServerAnswer::connectionErrorMessage(),
                   QString());
        break;
    case ServerAnswer::Refused:
        FUZZ_CHECK(answer.hasStatus() && answer.status() != 0 &&
                       answer.failureUserInfo() == answer.dictionary(),
                   u"refused with status 0"_s);
        break;
    case ServerAnswer::Accepted:
        FUZZ_CHECK(answer.status() == 0, u"accepted without status 0"_s);
        break;
    }
    // The texts an accepted answer hands on are read without fault whatever
    // their type.
    (void)answer.authToken();
    (void)answer.timeStamp();
    (void)answer.message();
    (void)answer.result();
    return 0;
}
