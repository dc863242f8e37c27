#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "support/FakeTransport.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
// A fresh queue on a fake transport; the queue file of the sandbox is loaded.
struct QueueFixture : ::testing::Test {
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QObject observer;
    QStringList completions;

    void SetUp() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(transport);
        NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("downloadComplete"),
                                                        [this](const QVariantMap& info) {
                                                            completions << info.value(QStringLiteral("type")).toString();
                                                        });
    }
    void TearDown() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    // A restart: the queue is dropped and created again from its file.
    DownloadManager* restart()
    {
        DownloadManager::releaseManager();
        return DownloadManager::sharedManager();
    }
    static HttpError status(int code)
    {
        return HttpError(HttpError::UnacceptableStatusCode, QStringLiteral("Request failed (%1)").arg(code), code);
    }
    static QVariantMap picture(const QString& name)
    {
        return {{QStringLiteral("url"), QStringLiteral("http://h/__files__/material/") + name},
                {QStringLiteral("filename"), QStringLiteral("/material/") + name}};
    }
    QStringList targets() const
    {
        QStringList list;
        for (const DownloadData& d : DownloadManager::sharedManager()->entries())
            list << d.targetPath;
        return list;
    }
};
} // namespace

TEST_F(QueueFixture, DuplicatesAreQueuedOnceAndTheQueueStartsWhenIdle)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    EXPECT_EQ(transport->pendingCount(), 0);
    queue->addDownload(QStringLiteral("http://h/__files__/material/A.jpg"), QStringLiteral("/material/A.jpg"));
    queue->addDownload(QStringLiteral("http://h/__files__/material/A.jpg"), QStringLiteral("/material/A.jpg"));
    queue->addDownload(QStringLiteral("http://h/y.pdf"), QStringLiteral("/other/Y.pdf"));
    queue->addDownload(QString(), QStringLiteral("/material/C.jpg"));
    EXPECT_EQ(targets(), QStringList({"/material/A.jpg", "/other/Y.pdf"}));
    // The catalogue's requests are not written one by one.
    EXPECT_EQ(queue->saveStats().saves, 0);
    // One download at a time, into the cache.
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().path, sandbox.caches() + "/material/A.jpg");

    transport->finishDownload("jpeg-a");
    EXPECT_EQ(completions, QStringList({"material"}));
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().url, QStringLiteral("http://h/y.pdf"));
    transport->finishDownload("pdf");
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(completions, QStringList({"material"})) << "only item pictures are announced";
    QFile a(sandbox.caches() + "/material/A.jpg");
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), QByteArray("jpeg-a"));
    // Gone idle, the queue has saved itself: a crash now fetches nothing again.
    queue->loadDownloadQueue();
    EXPECT_TRUE(queue->entries().isEmpty());
}

TEST_F(QueueFixture, AnAnswersPicturesAreSavedInOneWriteBeforeTheyAreFetched)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    queue->addDownload(QStringLiteral("http://h/__files__/material/B.jpg"), QStringLiteral("/material/B.jpg"));
    QVariantMap unsafe = picture(QStringLiteral("D.jpg"));
    unsafe[QStringLiteral("filename")] = QStringLiteral("/../Documents/data.sqlite");
    queue->downloadFile({picture(QStringLiteral("A.jpg")), picture(QStringLiteral("B.jpg")), unsafe,
                         QVariantMap{{QStringLiteral("url"), QString()}, {QStringLiteral("filename"), QStringLiteral("/material/E.jpg")}},
                         picture(QStringLiteral("C.jpg")), picture(QStringLiteral("A.jpg"))});
    const QStringList expected = {"/material/B.jpg", "/material/A.jpg", "/material/C.jpg"};
    EXPECT_EQ(targets(), expected);
    EXPECT_EQ(queue->saveStats().saves, 1);
    EXPECT_EQ(transport->pendingCount(), 1);
    // A crash right after the answer: the file holds every picture it named.
    queue->loadDownloadQueue();
    EXPECT_EQ(targets(), expected);
}

TEST_F(QueueFixture, AFileTheServerDoesNotHaveLeavesTheQueueForTheRun)
{
    for (int code : {404, 410}) {
        SCOPED_TRACE(code);
        DownloadManager::releaseManager();
        DownloadManager* queue = DownloadManager::sharedManager();
        queue->addDownload(QStringLiteral("http://h/__files__/material/A.jpg"), QStringLiteral("/material/A.jpg"));
        queue->addDownload(QStringLiteral("http://h/__files__/material/B.jpg"), QStringLiteral("/material/B.jpg"));
        transport->fail(status(code));
        EXPECT_EQ(targets(), QStringList({"/material/B.jpg"}));
        EXPECT_EQ(queue->errorTry(), 0);
        ASSERT_EQ(transport->pendingCount(), 1);
        EXPECT_EQ(transport->pending().url, QStringLiteral("http://h/__files__/material/B.jpg"));
        // The catalogue asking again as its cells reappear is refused...
        queue->addDownload(QStringLiteral("http://h/__files__/material/A.jpg"), QStringLiteral("/material/A.jpg"));
        EXPECT_EQ(targets(), QStringList({"/material/B.jpg"}));
        // ...a server answer naming it is not: the server may have it by now.
        queue->downloadFile({picture(QStringLiteral("A.jpg"))});
        EXPECT_EQ(targets(), QStringList({"/material/B.jpg", "/material/A.jpg"}));
        transport->finishDownload("b");
        transport->finishDownload("a");
        EXPECT_TRUE(queue->entries().isEmpty());
    }
}

TEST_F(QueueFixture, FailuresRotateAndTheQueueRestsAfterTen)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    queue->addDownload(QStringLiteral("http://h/1"), QStringLiteral("/material/1.jpg"));
    queue->addDownload(QStringLiteral("http://h/2"), QStringLiteral("/material/2.jpg"));
    queue->addDownload(QStringLiteral("http://h/3"), QStringLiteral("/material/3.jpg"));
    // The first always fails: second, third, first; the good ones get fetched.
    transport->fail(status(500));
    EXPECT_EQ(targets(), QStringList({"/material/2.jpg", "/material/3.jpg", "/material/1.jpg"}));
    transport->finishDownload("2");
    transport->finishDownload("3");
    EXPECT_EQ(targets(), QStringList({"/material/1.jpg"}));

    // Alone and failing: ten tries in a row, then the queue rests with it at the head.
    int tries = 0;
    while (transport->pendingCount() > 0) {
        transport->fail(HttpError::CannotConnectToHost);
        ++tries;
        ASSERT_LE(tries, 20);
    }
    EXPECT_EQ(tries, 10);
    EXPECT_EQ(queue->errorTry(), 0);
    EXPECT_FALSE(queue->isDownloading());
    EXPECT_EQ(targets(), QStringList({"/material/1.jpg"}));
    // Adding an entry wakes it up again.
    queue->addDownload(QStringLiteral("http://h/4"), QStringLiteral("/material/4.jpg"));
    EXPECT_EQ(transport->pendingCount(), 1);
}

TEST_F(QueueFixture, SurvivesARestartInItsLastOrderAndResumes)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    queue->addDownload(QStringLiteral("http://h/1"), QStringLiteral("/material/1.jpg"));
    queue->addDownload(QStringLiteral("http://h/2"), QStringLiteral("/material/2.jpg"));
    transport->fail(HttpError::NetworkConnectionLost); // rotates: 2, 1
    const int callsBefore = int(transport->calls().size());

    auto fresh = std::make_shared<FakeTransport>();
    HttpTransport::setShared(fresh);
    restart();
    EXPECT_EQ(targets(), QStringList({"/material/2.jpg", "/material/1.jpg"}));
    // A queue created with saved entries starts fetching at once.
    ASSERT_EQ(fresh->pendingCount(), 1);
    EXPECT_EQ(fresh->pending().url, QStringLiteral("http://h/2"));
    EXPECT_GT(callsBefore, 0);
}

TEST_F(QueueFixture, TargetsOutsideTheCacheAreRefused)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    for (const char* target : {"/../Documents/data.sqlite", "../x.jpg", "/material/../../x.jpg", "/material/./..",
                               "\\material\\x.jpg", "/"})
        queue->addDownload(QStringLiteral("http://h/evil"), QString::fromLatin1(target));
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(transport->pendingCount(), 0);
    EXPECT_TRUE(DownloadManager::isSafeTarget(QStringLiteral("/material/A 1.jpg")));
    EXPECT_TRUE(DownloadManager::isSafeTarget(QStringLiteral("material/..hidden.jpg")));
}
