#pragma once

#include "http/HttpError.h"
#include "sync/AnswerReader.h"
#include "sync/ServerAnswer.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class DataManager;

// The body of one answer on its way from the network to the sync thread. The
// main thread feeds it piece by piece as the pieces arrive and then finishes
// it, or abandons it when the call fails; the sync thread reads it meanwhile.
class AnswerJob
{
public:
    AnswerJob();
    ~AnswerJob();
    AnswerJob(const AnswerJob&) = delete;
    AnswerJob& operator=(const AnswerJob&) = delete;

    void feed(const QByteArray& piece);
    // The body is whole.
    void finish();
    // The call failed (or the application is closing): nothing of this answer
    // is applied and its outcome is never delivered.
    void abandon();
    bool isAbandoned() const;
    // Finished or abandoned: nothing more will be fed.
    bool hasEnded() const;

    // Sync thread: waits for the next piece; false once the body is whole or
    // abandoned.
    bool next(QByteArray& piece);

private:
    struct State;
    std::unique_ptr<State> _state;
};

// What became of an answer once it was read and, when accepted, stored.
struct AnswerOutcome
{
    // Set when the body is not an answer that can be read at all.
    std::optional<HttpError> error;
    // The envelope: its members, "result" only when it was not read as
    // records (see AnswerReader::envelope()). Null when the body was empty
    // and not a dictionary when the top was an array.
    ServerAnswer answer{QVariant()};
    QVariantMap resultMembers;
    QVariantList files;
    // The answer's records are committed (true when it had none or was not
    // accepted); false when the storage failed and nothing of it was kept.
    bool stored = true;
};

// One thread that reads the order server's big answers (login, update,
// promotions) while they arrive and writes their records with a connection
// of its own, each answer in one transaction, so the salesman's screen never
// waits for them. Answers are taken one at a time, in the order they were
// started. Readers on the main thread see the store as it was before an
// answer until its commit; the main thread's own writes wait for the commit
// (the store's busy time) and never join the answer's transaction.
class SyncWorker
{
public:
    // Runs on the main thread with the outcome of a job that was not abandoned.
    using Done = std::function<void(const AnswerOutcome& outcome)>;
    // Runs on the main thread while the records are written: done and total.
    using Storing = std::function<void(qsizetype done, qsizetype total)>;

    struct Request
    {
        AnswerReader::Kind kind = AnswerReader::LoginAnswer;
        // The working database the records go to.
        QString databasePath;
        // The salesman the answer's orders belong to.
        QString owner;
        // Write the records only when the answer is accepted ("status" 0);
        // promotions are taken whatever the status says.
        bool onlyWhenAccepted = true;
    };

    // Queues the reading of an answer whose body will be fed to the job.
    static std::shared_ptr<AnswerJob> start(const Request& request, Done done, Storing storing = {});

    // Reads and stores a whole body at once on the calling thread, through
    // the given connection (benchmarks and fuzzing take the same path as the
    // sync thread, without it).
    static AnswerOutcome apply(const Request& request, const QByteArray& body, DataManager* store);

    // Every answer whose body has ended has been read, stored and its
    // outcome delivered (answers still waiting for their body do not count).
    static bool isIdle();

    // Abandons every job (one being written is rolled back) and stops the
    // thread. Safe to call more than once; start() starts it again.
    static void shutdown();
};
