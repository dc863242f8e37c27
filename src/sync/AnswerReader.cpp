#include "sync/AnswerReader.h"

#include "sync/ServerAnswer.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Deeper nesting than this is not an answer of ours; it is refused as the
// JSON reader of small answers refuses it.
constexpr int kMaxDepth = 1024;

// The body as RapidJSON reads it: the pieces one after another, the next one
// asked for only when the last is used up. '\0' ends the input.
class PieceStream
{
public:
    using Ch = char;

    explicit PieceStream(const AnswerReader::Source& source) : _source(source) {}

    Ch Peek() const
    {
        if (_at == _end && !fetch())
            return '\0';
        return *_at;
    }
    Ch Take()
    {
        if (_at == _end && !fetch())
            return '\0';
        ++_taken;
        return *_at++;
    }
    size_t Tell() const { return size_t(_taken); }

    // Everything was read: no byte is left after where the reader stopped
    // (a NUL in the body would otherwise end it early, unnoticed).
    bool atEnd() const { return _at == _end && !fetch(); }
    qint64 total() const { return _total; }
    // The first bytes of the body, to tell an empty answer from a broken one.
    const QByteArray& head() const { return _head; }

    // Only for in-place parsing, which is not used.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    size_t PutEnd(Ch*) { return 0; }

private:
    bool fetch() const
    {
        while (!_finished) {
            QByteArray piece;
            if (!_source(piece)) {
                _finished = true;
                break;
            }
            if (piece.isEmpty())
                continue;
            _piece = std::move(piece);
            _at = _piece.constData();
            _end = _at + _piece.size();
            _total += _piece.size();
            if (_head.size() < 2)
                _head.append(_piece.left(2 - _head.size()));
            return true;
        }
        return false;
    }

    const AnswerReader::Source& _source;
    mutable QByteArray _piece;
    mutable const char* _at = nullptr;
    mutable const char* _end = nullptr;
    mutable bool _finished = false;
    mutable qint64 _total = 0;
    mutable QByteArray _head;
    qint64 _taken = 0;
};

// Builds one nested value (an object or an array) as a QVariant tree: the
// product list of a promotion, or a member of a refused answer.
class Capture
{
public:
    // True when the value is complete.
    bool value(const QVariant& v)
    {
        if (_stack.empty()) {
            _result = v;
            return true;
        }
        Level& top = _stack.back();
        if (top.isObject)
            top.map.insert(top.key, v);
        else
            top.list.append(v);
        return false;
    }
    void key(const QString& k) { _stack.back().key = k; }
    void begin(bool isObject) { _stack.push_back(Level{isObject, {}, {}, {}}); }
    bool end()
    {
        Level done = std::move(_stack.back());
        _stack.pop_back();
        return value(done.isObject ? QVariant(done.map) : QVariant(done.list));
    }
    int depth() const { return int(_stack.size()); }
    QVariant result() const { return _result; }

private:
    struct Level {
        bool isObject;
        QString key;
        QVariantMap map;
        QVariantList list;
    };
    std::vector<Level> _stack;
    QVariant _result;
};

} // namespace

// Follows the answer's structure with a stack of what each open object or
// array is, and sends every value to where it belongs.
class AnswerReader::Handler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Handler>
{
public:
    explicit Handler(AnswerReader& reader) : _reader(reader) {}

    bool Null() { return scalar(valueOf(RecordBatch::Value::Null)); }
    bool Bool(bool b)
    {
        RecordBatch::Value v = valueOf(RecordBatch::Value::Bool);
        v.boolean = b;
        return scalar(v);
    }
    bool Int(int i) { return Int64(i); }
    bool Uint(unsigned u) { return Int64(u); }
    bool Int64(int64_t i)
    {
        RecordBatch::Value v = valueOf(RecordBatch::Value::Integer);
        v.integer = i;
        return scalar(v);
    }
    bool Uint64(uint64_t u)
    {
        if (u <= uint64_t(std::numeric_limits<int64_t>::max()))
            return Int64(int64_t(u));
        return Double(double(u));
    }
    bool Double(double d)
    {
        RecordBatch::Value v = valueOf(RecordBatch::Value::Double);
        v.number = d;
        return scalar(v);
    }
    bool String(const char* s, rapidjson::SizeType length, bool)
    {
        RecordBatch::Value v = valueOf(RecordBatch::Value::Text);
        v.text = std::string_view(s, length);
        return scalar(v);
    }
    bool Key(const char* s, rapidjson::SizeType length, bool)
    {
        Frame& top = _stack.back();
        if (top.mode == Frame::Captured) {
            _capture.key(QString::fromUtf8(s, qsizetype(length)));
            return true;
        }
        if (top.mode != Frame::Skipped)
            top.key.assign(s, length);
        return true;
    }
    bool StartObject() { return open(true); }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(false); }
    bool EndArray(rapidjson::SizeType) { return close(); }

    bool tooDeep() const { return _tooDeep; }

private:
    struct Frame {
        enum Mode {
            Envelope,      // the answer's members
            Result,        // the members of a "result" dictionary
            RecordArray,   // an array of records of one table
            Record,        // one record
            FileArray,     // "fileArray"
            FileRecord,    // one of its entries
            Skipped,       // not read (only its depth counts)
            Captured,      // built whole by the capture
        };
        Frame(Mode m, bool object, RecordBatch::Table t = RecordBatch::TableCount)
            : mode(m), isObject(object), table(t)
        {}
        Mode mode;
        bool isObject;
        RecordBatch::Table table;
        std::string key;        // the member being read
        QString url, filename;  // FileRecord
        QString target;         // Captured: the envelope member it becomes
        int skippedDepth = 0;   // Skipped: arrays and objects open inside
    };

    static RecordBatch::Value valueOf(RecordBatch::Value::Type type)
    {
        RecordBatch::Value v;
        v.type = type;
        return v;
    }

    static QVariant toVariant(const RecordBatch::Value& v)
    {
        switch (v.type) {
        case RecordBatch::Value::Text:
            return QString::fromUtf8(v.text.data(), qsizetype(v.text.size()));
        case RecordBatch::Value::Integer:
            return QVariant(qlonglong(v.integer));
        case RecordBatch::Value::Double:
            return QVariant(v.number);
        case RecordBatch::Value::Bool:
            return QVariant(v.boolean);
        default:
            return QVariant::fromValue(nullptr);
        }
    }

    bool deeper()
    {
        if (++_depth > kMaxDepth) {
            _tooDeep = true;
            return false;
        }
        return true;
    }

    // A value that is neither an object nor an array.
    bool scalar(const RecordBatch::Value& v)
    {
        if (_stack.empty()) {
            // A bare value is not an answer.
            _rootScalar = true;
            return true;
        }
        Frame& top = _stack.back();
        switch (top.mode) {
        case Frame::Envelope: {
            const QString key = QString::fromStdString(top.key);
            _reader._envelope.insert(key, toVariant(v));
            if (key == QLatin1String("status"))
                _refused = !AnswerReader::isAcceptedStatus(toVariant(v));
            break;
        }
        case Frame::Result:
            _reader._resultMembers.insert(QString::fromStdString(top.key), toVariant(v));
            break;
        case Frame::RecordArray:
            _reader._batch.skipElement(top.table);
            break;
        case Frame::Record:
            _reader._batch.setField(top.key, v);
            break;
        case Frame::FileRecord:
            if (top.key == "url")
                top.url = toVariant(v).toString();
            else if (top.key == "filename")
                top.filename = toVariant(v).toString();
            break;
        case Frame::Captured:
            if (_capture.value(toVariant(v)))
                deliverCapture();
            break;
        case Frame::FileArray:
        case Frame::Skipped:
            break;
        }
        return true;
    }

    bool open(bool isObject)
    {
        if (!deeper())
            return false;
        if (_stack.empty()) {
            _reader._isObject = isObject;
            _stack.push_back(Frame{isObject ? Frame::Envelope : Frame::Skipped, isObject});
            return true;
        }
        Frame& top = _stack.back();
        switch (top.mode) {
        case Frame::Envelope:
            if (top.key == "result")
                return openResult(isObject);
            return openCaptured(isObject, QString::fromStdString(top.key));
        case Frame::Result: {
            bool known = false;
            const RecordBatch::Table table = RecordBatch::tableForArray(top.key, &known);
            const bool wanted = known && table != RecordBatch::Promote &&
                                (table != RecordBatch::Brand || _reader._kind == AnswerReader::LoginAnswer);
            if (!isObject && wanted)
                return push(Frame{Frame::RecordArray, false, table});
            if (!isObject && top.key == "fileArray")
                return push(Frame{Frame::FileArray, false});
            return skip(isObject);
        }
        case Frame::RecordArray:
            if (isObject) {
                _reader._batch.beginRecord(top.table);
                return push(Frame{Frame::Record, true, top.table});
            }
            _reader._batch.skipElement(top.table);
            return skip(false);
        case Frame::Record:
            if (_reader._batch.keepsNested(top.key)) {
                Frame captured{Frame::Captured, isObject};
                captured.target = QString::fromStdString(top.key);
                _capture.begin(isObject);
                return push(std::move(captured));
            }
            // The column, if any, reads a nested value as nothing.
            _reader._batch.setField(top.key, valueOf(RecordBatch::Value::Nested));
            return skip(isObject);
        case Frame::FileArray:
            if (isObject)
                return push(Frame{Frame::FileRecord, true});
            return skip(false);
        case Frame::FileRecord:
            return skip(isObject);
        case Frame::Skipped:
            ++top.skippedDepth;
            return true;
        case Frame::Captured:
            _capture.begin(isObject);
            return true;
        }
        return true;
    }

    bool openResult(bool isObject)
    {
        // A refusal's result belongs to its userInfo; it is small.
        if (_refused && _reader._kind != AnswerReader::PromotionAnswer)
            return openCaptured(isObject, QStringLiteral("result"));
        if (isObject && _reader._kind != AnswerReader::PromotionAnswer) {
            _reader._resultDictionary = true;
            return push(Frame{Frame::Result, true});
        }
        if (!isObject && _reader._kind == AnswerReader::PromotionAnswer) {
            _reader._resultArray = true;
            return push(Frame{Frame::RecordArray, false, RecordBatch::Promote});
        }
        return skip(isObject);
    }

    bool openCaptured(bool isObject, const QString& target)
    {
        Frame captured{Frame::Captured, isObject};
        captured.target = target;
        _capture.begin(isObject);
        return push(std::move(captured));
    }

    bool push(Frame frame)
    {
        _stack.push_back(std::move(frame));
        return true;
    }

    bool skip(bool isObject) { return push(Frame{Frame::Skipped, isObject}); }

    bool close()
    {
        --_depth;
        Frame& top = _stack.back();
        if (top.mode == Frame::Skipped && top.skippedDepth > 0) {
            --top.skippedDepth;
            return true;
        }
        if (top.mode == Frame::Captured) {
            if (_capture.end())
                deliverCapture();
            return true;
        }
        if (top.mode == Frame::Record)
            _reader._batch.endRecord();
        if (top.mode == Frame::FileRecord)
            _reader._files.append(QVariantMap{{QStringLiteral("url"), top.url},
                                              {QStringLiteral("filename"), top.filename}});
        _stack.pop_back();
        return true;
    }

    // The captured value is whole: it becomes what its frame was for.
    void deliverCapture()
    {
        const Frame done = std::move(_stack.back());
        _stack.pop_back();
        const QVariant value = _capture.result();
        if (!_stack.empty() && _stack.back().mode == Frame::Record) {
            QVariant kept = value;
            RecordBatch::Value v = valueOf(RecordBatch::Value::Nested);
            v.nested = &kept;
            _reader._batch.setField(_stack.back().key, v);
        } else {
            _reader._envelope.insert(done.target, value);
        }
    }

    AnswerReader& _reader;
    std::vector<Frame> _stack;
    Capture _capture;
    int _depth = 0;
    bool _refused = false;
    bool _tooDeep = false;

public:
    bool _rootScalar = false;
};

AnswerReader::AnswerReader(Kind kind, RecordBatch& batch) : _kind(kind), _batch(batch) {}

AnswerReader::~AnswerReader() = default;

bool AnswerReader::isAcceptedStatus(const QVariant& status)
{
    const ServerAnswer answer(QVariantMap{{QStringLiteral("status"), status}});
    return answer.verdict() == ServerAnswer::Accepted;
}

bool AnswerReader::read(const Source& source)
{
    PieceStream stream(source);
    Handler handler(*this);
    rapidjson::Reader reader;
    constexpr unsigned kFlags =
        rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag | rapidjson::kParseFullPrecisionFlag;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
    _bytes = stream.total();
    if (result.Code() == rapidjson::kParseErrorDocumentEmpty && stream.atEnd() &&
        (stream.total() == 0 || (stream.total() == 1 && stream.head() == " "))) {
        _emptyBody = true;
        return true;
    }
    QString problem;
    if (result.Code() == rapidjson::kParseErrorStringInvalidEncoding) {
        _error = HttpError(HttpError::CannotDecodeContent, QStringLiteral("Data failed decoding as a UTF-8 string"));
        return false;
    }
    if (handler.tooDeep())
        problem = QStringLiteral("too deeply nested");
    else if (result.IsError())
        problem = QString::fromUtf8(rapidjson::GetParseError_En(result.Code()));
    else if (handler._rootScalar)
        problem = QStringLiteral("the top is neither an object nor an array");
    else if (!stream.atEnd())
        problem = QStringLiteral("garbage at the end of the document");
    if (problem.isEmpty())
        return true;
    _error = HttpError(HttpError::CannotParseResponse, QStringLiteral("The answer is not valid JSON: %1 at offset %2")
                                                           .arg(problem)
                                                           .arg(result.IsError() ? qint64(result.Offset())
                                                                                 : qint64(stream.Tell())));
    return false;
}
