// The picture download queue at catalogue scale: a server answer naming a
// picture for each of 20k items, queued in one call on the main thread, and
// the same 20k pictures fetched through a transport that answers at once, to
// see how much the queue file is rewritten while the queue drains.
//
// Baseline: one bare write of the queue file's bytes (to a temporary file,
// renamed into place), the least that queuing an answer's pictures durably
// must cost.

#include "http/HttpTransport.h"
#include "platform/Sandbox.h"
#include "sync/DownloadManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPictures = 20000;

double milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of this thread: what the main thread spent, whatever else the
// machine was running.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Every download succeeds as soon as the event loop turns, without writing a
// byte: what is measured is the queue, not the disk or the network.
class InstantTransport : public HttpTransport
{
public:
    // Holds every download (none finishes) while true.
    bool holding = false;

    void postForm(const QString&, const QVariantMap&, JsonHandler, FailureHandler failure) override
    {
        failSoon(std::move(failure));
    }
    void postMultipart(const QString&, const QVariantMap&, PartsBuilder, JsonHandler,
                       FailureHandler failure) override
    {
        failSoon(std::move(failure));
    }
    void download(const QString&, const QString& path, DownloadHandler success,
                  FailureHandler) override
    {
        if (holding)
            return;
        QTimer::singleShot(0, qApp, [success = std::move(success), path] { success(path); });
    }

private:
    static void failSoon(FailureHandler failure)
    {
        QTimer::singleShot(0, qApp, [failure = std::move(failure)] {
            failure(HttpError(HttpError::Unknown, QStringLiteral("not in this benchmark")));
        });
    }
};

// The "fileArray" of a login answer: a picture for every item, with one in
// fifty named twice as servers do when two records share a picture.
QVariantList answerPictures()
{
    QVariantList files;
    files.reserve(kPictures + kPictures / 50);
    for (int i = 0; i < kPictures; ++i) {
        const QString target = QStringLiteral("/material/SKU%1.jpg").arg(i, 6, 10, QLatin1Char('0'));
        const QVariantMap record{{QStringLiteral("url"), QStringLiteral("http://192.0.2.1/__files__") + target},
                                 {QStringLiteral("filename"), target}};
        files.append(record);
        if (i % 50 == 0)
            files.append(record);
    }
    return files;
}

struct Sandboxed
{
    QTemporaryDir dir;
    std::shared_ptr<InstantTransport> transport = std::make_shared<InstantTransport>();
    Sandboxed()
    {
        Sandbox::setRoot(dir.path());
        HttpTransport::setShared(transport);
    }
    ~Sandboxed()
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
        Sandbox::setRoot(QString());
    }
    // A new queue on an empty file.
    DownloadManager* freshQueue()
    {
        DownloadManager::releaseManager();
        QFile::remove(DownloadManager::getQueuePath());
        return DownloadManager::sharedManager();
    }
};

// The bytes written to a temporary file and renamed into place.
void writeOnce(const QByteArray& bytes, const QString& path)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        qFatal("could not write %s", qPrintable(path));
}

QByteArray queueFile()
{
    QFile file(DownloadManager::getQueuePath());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void BM_QueueAnswerPictures(benchmark::State& state)
{
    Sandboxed sandbox;
    sandbox.transport->holding = true;
    const QVariantList files = answerPictures();
    const QString baselinePath = sandbox.dir.filePath(QStringLiteral("baseline.dat"));
    double ours = 0, base = 0, cpu = 0;
    qsizetype entries = 0;
    DownloadManager::SaveStats saved;
    for (auto _ : state) {
        state.PauseTiming();
        DownloadManager* queue = sandbox.freshQueue();
        state.ResumeTiming();
        const double c0 = threadCpuMs();
        const auto t0 = Clock::now();
        queue->downloadFile(files);
        const auto t1 = Clock::now();
        cpu += threadCpuMs() - c0;
        state.PauseTiming();
        const QByteArray bytes = queueFile();
        state.ResumeTiming();
        const auto t2 = Clock::now();
        writeOnce(bytes, baselinePath);
        const auto t3 = Clock::now();
        state.SetIterationTime(milliseconds(t0, t1) / 1000);
        ours += milliseconds(t0, t1);
        base += milliseconds(t2, t3);
        entries = queue->entries().size();
        saved = queue->saveStats();
    }
    const double n = double(state.iterations());
    state.counters["ms_per_call"] = ours / n;
    state.counters["cpu_ms"] = cpu / n;
    state.counters["write_ms"] = base / n;
    state.counters["ratio_to_write"] = ours / base;
    state.counters["entries"] = double(entries);
    state.counters["saves"] = saved.saves;
    state.counters["file_mb"] = double(saved.bytes) / 1e6 / std::max(1, saved.saves);
}

void BM_DrainQueue(benchmark::State& state)
{
    Sandboxed sandbox;
    const QVariantList files = answerPictures();
    double ms = 0, written = 0, initial = 0, saves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sandbox.transport->holding = true;
        DownloadManager* queue = sandbox.freshQueue();
        queue->downloadFile(files);
        const DownloadManager::SaveStats queued = queue->saveStats();
        // The held first download is dropped; the queue starts again from its
        // head, read back from the file.
        DownloadManager::releaseManager();
        sandbox.transport->holding = false;
        queue = DownloadManager::sharedManager();
        state.ResumeTiming();
        const auto t0 = Clock::now();
        while (!queue->entries().isEmpty())
            QCoreApplication::processEvents();
        const auto t1 = Clock::now();
        state.SetIterationTime(milliseconds(t0, t1) / 1000);
        ms += milliseconds(t0, t1);
        initial += double(queued.bytes);
        written += double(queue->saveStats().bytes);
        saves += queue->saveStats().saves;
        state.PauseTiming();
        DownloadManager::releaseManager();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["ms_per_download"] = ms / n / kPictures;
    state.counters["saves"] = saves / n;
    state.counters["written_mb"] = written / n / 1e6;
    state.counters["written_to_file"] = written / initial;
}

} // namespace

BENCHMARK(BM_QueueAnswerPictures)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrainQueue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
