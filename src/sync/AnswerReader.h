#pragma once

#include "http/HttpError.h"
#include "store/RecordBatch.h"

#include <QByteArray>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <optional>

// Reads an order server answer as a stream of JSON events, piece by piece as
// it arrives, without ever holding it as a tree: the records of its "result"
// go straight into a RecordBatch, the pictures of "fileArray" into a list,
// and only the envelope's small members are kept as values.
//
// What it accepts is what the JSON call accepts: an empty body (or a single
// " ") is no object at all; anything else must be UTF-8 JSON with an object
// or an array at its top.
class AnswerReader
{
public:
    enum Kind {
        LoginAnswer,     // master data, brands included
        UpdateAnswer,    // master data without brands
        PromotionAnswer, // "result" is the array of promotions
    };

    // Hands the next piece of the body; false when there is none (the body
    // is whole, or reading was called off).
    using Source = std::function<bool(QByteArray& piece)>;

    AnswerReader(Kind kind, RecordBatch& batch);
    ~AnswerReader();

    // Reads the whole body; false when it is not a valid answer (error()).
    bool read(const Source& source);

    // The body was empty or a single " ".
    bool isEmptyBody() const { return _emptyBody; }
    // The answer's top is an object (else there is nothing to act on).
    bool isObject() const { return _isObject; }
    // The answer's members. "result" is among them only when it was not read
    // as records: a scalar, or the whole result of an answer already known
    // to be a refusal (whose userInfo is the answer itself).
    QVariantMap envelope() const { return _envelope; }
    // The members of the "result" dictionary that are not arrays
    // ("salesmanCode").
    QVariantMap resultMembers() const { return _resultMembers; }
    // "result" was a dictionary (a login or update answer).
    bool hasResultDictionary() const { return _resultDictionary; }
    // "result" was an array (a promotion answer).
    bool hasResultArray() const { return _resultArray; }
    // The pictures named by "fileArray", as {"url", "filename"} records.
    QVariantList files() const { return _files; }
    std::optional<HttpError> error() const { return _error; }
    qint64 bytesRead() const { return _bytes; }

    // Whether "status" says the answer was accepted (0).
    static bool isAcceptedStatus(const QVariant& status);

private:
    class Handler;
    friend class Handler;

    Kind _kind;
    RecordBatch& _batch;
    bool _emptyBody = false;
    bool _isObject = false;
    bool _resultDictionary = false;
    bool _resultArray = false;
    QVariantMap _envelope;
    QVariantMap _resultMembers;
    QVariantList _files;
    std::optional<HttpError> _error;
    qint64 _bytes = 0;
};
