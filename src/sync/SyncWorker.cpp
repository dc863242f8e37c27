#include "sync/SyncWorker.h"

#include "store/DataManager.h"
#include "store/RecordBatch.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

Q_LOGGING_CATEGORY(lcSyncWorker, "fieldbook.sync")

struct AnswerJob::State
{
    mutable std::mutex mutex;
    std::condition_variable ready;
    std::deque<QByteArray> pieces;
    bool finished = false;
    std::atomic<bool> abandoned{false};
};

AnswerJob::AnswerJob() : _state(std::make_unique<State>()) {}

AnswerJob::~AnswerJob() = default;

void AnswerJob::feed(const QByteArray& piece)
{
    if (piece.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(_state->mutex);
        if (_state->finished || _state->abandoned)
            return;
        _state->pieces.push_back(piece);
    }
    _state->ready.notify_one();
}

void AnswerJob::finish()
{
    {
        std::lock_guard<std::mutex> lock(_state->mutex);
        _state->finished = true;
    }
    _state->ready.notify_one();
}

void AnswerJob::abandon()
{
    {
        std::lock_guard<std::mutex> lock(_state->mutex);
        _state->abandoned = true;
        _state->pieces.clear();
    }
    _state->ready.notify_one();
}

bool AnswerJob::isAbandoned() const
{
    return _state->abandoned;
}

bool AnswerJob::hasEnded() const
{
    std::lock_guard<std::mutex> lock(_state->mutex);
    return _state->finished || _state->abandoned;
}

bool AnswerJob::next(QByteArray& piece)
{
    std::unique_lock<std::mutex> lock(_state->mutex);
    _state->ready.wait(lock, [this] { return _state->abandoned || _state->finished || !_state->pieces.empty(); });
    if (_state->abandoned || _state->pieces.empty())
        return false;
    piece = std::move(_state->pieces.front());
    _state->pieces.pop_front();
    return true;
}

namespace {

// Reads one answer and, when it is to be taken, writes its records through
// the connection `open` gives, in one transaction that is rolled back when
// anything fails or `progress` asks to stop.
AnswerOutcome readAndStore(const SyncWorker::Request& request, const AnswerReader::Source& source,
                           const std::function<DataManager*()>& open, const RecordBatch::Progress& progress)
{
    AnswerOutcome outcome;
    RecordBatch batch(request.owner);
    AnswerReader reader(request.kind, batch);
    if (!reader.read(source)) {
        outcome.error = reader.error();
        return outcome;
    }
    outcome.answer = ServerAnswer(reader.isEmptyBody() ? QVariant()
                                  : reader.isObject()  ? QVariant(reader.envelope())
                                                       : QVariant(QVariantList()));
    outcome.resultMembers = reader.resultMembers();
    outcome.files = reader.files();
    const bool wanted = !request.onlyWhenAccepted || outcome.answer.verdict() == ServerAnswer::Accepted;
    if (!wanted || batch.size() == 0)
        return outcome;
    outcome.stored = false;
    DataManager* store = open();
    if (!store)
        return outcome;
    Transaction transaction(store);
    if (!transaction.isActive()) {
        qCWarning(lcSyncWorker) << "Cannot start applying the server's records:" << store->lastError();
        return outcome;
    }
    const RecordBatch::Written written = batch.write(store, progress);
    if (written.storageFailed || written.stopped)
        return outcome; // the transaction rolls back as it goes
    outcome.stored = transaction.commit();
    if (!outcome.stored)
        qCWarning(lcSyncWorker) << "The server's records could not be stored:" << store->lastError();
    return outcome;
}

struct Entry
{
    SyncWorker::Request request;
    std::shared_ptr<AnswerJob> job;
    SyncWorker::Done done;
    SyncWorker::Storing storing;
};

class Worker
{
public:
    Worker()
    {
        // Outcomes are delivered through an object of the main thread's.
        _context = new QObject(QCoreApplication::instance());
        if (QCoreApplication::instance())
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { SyncWorker::shutdown(); });
        _thread = std::thread([this] { run(); });
    }

    ~Worker()
    {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _stopping = true;
            for (Entry& entry : _queue)
                entry.job->abandon();
            if (_current)
                _current->abandon();
        }
        _wake.notify_one();
        _thread.join();
        delete _context.data();
    }

    void add(Entry entry)
    {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _queue.push_back(std::move(entry));
        }
        _wake.notify_one();
    }

    // Nothing is left to do for the bodies that have ended: jobs still
    // waiting for their first byte do not count.
    bool isIdle() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_current && _current->hasEnded())
            return false;
        for (const Entry& entry : _queue) {
            if (entry.job->hasEnded())
                return false;
        }
        return _delivering == 0;
    }

private:
    void run()
    {
        for (;;) {
            Entry entry;
            {
                std::unique_lock<std::mutex> lock(_mutex);
                _wake.wait(lock, [this] { return _stopping || !_queue.empty(); });
                if (_stopping)
                    return;
                entry = std::move(_queue.front());
                _queue.pop_front();
                _current = entry.job;
            }
            process(entry);
            std::lock_guard<std::mutex> lock(_mutex);
            _current.reset();
        }
    }

    void process(const Entry& entry)
    {
        std::unique_ptr<DataManager> connection;
        const auto outcome = std::make_shared<AnswerOutcome>(readAndStore(
            entry.request, [&entry](QByteArray& piece) { return entry.job->next(piece); },
            [&entry, &connection]() -> DataManager* {
                connection = DataManager::openConnection(entry.request.databasePath);
                if (!connection)
                    qCWarning(lcSyncWorker) << "Cannot open the store to apply the server's records";
                return connection.get();
            },
            [&entry, this](qsizetype done, qsizetype total) {
                if (entry.job->isAbandoned())
                    return false;
                if (entry.storing)
                    deliver([storing = entry.storing, done, total] { storing(done, total); });
                return true;
            }));
        connection.reset();
        if (entry.job->isAbandoned())
            return;
        deliver([done = entry.done, outcome] {
            if (done)
                done(*outcome);
        });
    }

    void deliver(std::function<void()> call)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_stopping || !_context)
            return;
        ++_delivering;
        QMetaObject::invokeMethod(
            _context.data(),
            [this, call = std::move(call)] {
                call();
                --_delivering;
            },
            Qt::QueuedConnection);
    }

    mutable std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<Entry> _queue;
    std::shared_ptr<AnswerJob> _current;
    bool _stopping = false;
    // Calls on their way to the main thread.
    std::atomic<int> _delivering{0};
    QPointer<QObject> _context;
    std::thread _thread;
};

std::unique_ptr<Worker>& workerSlot()
{
    static std::unique_ptr<Worker> worker;
    return worker;
}

} // namespace

std::shared_ptr<AnswerJob> SyncWorker::start(const Request& request, Done done, Storing storing)
{
    std::unique_ptr<Worker>& worker = workerSlot();
    if (!worker)
        worker = std::make_unique<Worker>();
    auto job = std::make_shared<AnswerJob>();
    worker->add(Entry{request, job, std::move(done), std::move(storing)});
    return job;
}

bool SyncWorker::isIdle()
{
    const std::unique_ptr<Worker>& worker = workerSlot();
    return !worker || worker->isIdle();
}

void SyncWorker::shutdown()
{
    workerSlot().reset();
}

AnswerOutcome SyncWorker::apply(const Request& request, const QByteArray& body, DataManager* store)
{
    bool given = false;
    return readAndStore(
        request,
        [&body, &given](QByteArray& piece) {
            if (given)
                return false;
            given = true;
            piece = body;
            return true;
        },
        [store] { return store; }, {});
}
