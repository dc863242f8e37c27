#include "http/HttpError.h"
#include "platform/NotificationCenter.h"
#include "support/FakeTransport.h"
#include "support/ListTexts.h"
#include "support/TestSandbox.h"
#include "sync/DownloadManager.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// A fresh queue on a fake transport; the queue file of the sandbox is loaded.
struct QueueFixture : ::testing::Test
{
    TestSandbox sandbox;
    std::shared_ptr<FakeTransport> transport = std::make_shared<FakeTransport>();
    QObject observer;
    QStringList completions;

    void SetUp() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(transport);
        NotificationCenter::defaultCenter().addObserver(
            &observer, u"downloadComplete"_s,
            [this](const QVariantMap& info) { completions << info.value(u"type"_s).toString(); });
    }
    void TearDown() override
    {
        DownloadManager::releaseManager();
        HttpTransport::setShared(nullptr);
    }
    // A restart: the queue is dropped and created again from its file.
    static DownloadManager* restart()
    {
        DownloadManager::releaseManager();
        return DownloadManager::sharedManager();
    }
    // Queues the item picture "/material/<name>" from host h.
    static void add(const QString& name)
    {
        DownloadManager::sharedManager()->addDownload("http://h/__files__/material/" + name,
                                                      "/material/" + name);
    }
    static QVariantMap picture(const QString& name)
    {
        return {{u"url"_s, "http://h/__files__/material/" + name},
                {u"filename"_s, "/material/" + name}};
    }
    // The queued targets' file names, in order.
    static QString targets()
    {
        return texts(DownloadManager::sharedManager()->entries(),
                     [](const DownloadData& d) { return d.targetPath.section(u'/', -1); })
            .join(u' ');
    }
};
} // namespace

TEST_F(QueueFixture, DuplicatesAreQueuedOnceFetchedInTurnAndSavedInFewWrites)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    add(u"A.jpg"_s);
    add(u"A.jpg"_s);
    queue->addDownload(u"http://h/y.pdf"_s, u"/other/Y.pdf"_s);
    queue->addDownload(QString(), u"/material/C.jpg"_s);
    EXPECT_EQ(targets(), "A.jpg Y.pdf");
    // The catalogue's requests are not written one by one.
    EXPECT_EQ(queue->saveStats().saves, 0);
    // One download at a time, into the cache.
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().path, sandbox.caches() + "/material/A.jpg");

    transport->finishDownload("jpeg-a");
    ASSERT_EQ(transport->pendingCount(), 1);
    EXPECT_EQ(transport->pending().url, u"http://h/y.pdf"_s);
    transport->finishDownload("pdf");
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(completions, QStringList{"material"}) << "only item pictures are announced";
    QFile a(sandbox.caches() + "/material/A.jpg");
    EXPECT_TRUE(a.open(QIODevice::ReadOnly) && a.readAll() == "jpeg-a");
    // Gone idle, the queue has saved itself: a crash now fetches nothing again.
    queue->loadDownloadQueue();
    EXPECT_TRUE(queue->entries().isEmpty());

    // An answer's pictures are saved in one write before they are fetched.
    const int saves = queue->saveStats().saves;
    add(u"B.jpg"_s);
    QVariantMap unsafe = picture(u"D.jpg"_s);
    unsafe[u"filename"_s] = u"/../Documents/data.sqlite"_s;
    queue->downloadFile({picture(u"G.jpg"_s), picture(u"B.jpg"_s), unsafe,
                         QVariantMap{{u"url"_s, QString()}, {u"filename"_s, u"/material/E.jpg"_s}},
                         picture(u"C.jpg"_s), picture(u"G.jpg"_s)});
    EXPECT_EQ(targets(), "B.jpg G.jpg C.jpg");
    EXPECT_EQ(queue->saveStats().saves, saves + 1);
    // A crash right after the answer: the file holds every picture it named.
    queue->loadDownloadQueue();
    EXPECT_EQ(targets(), "B.jpg G.jpg C.jpg");
}

TEST_F(QueueFixture, AFileTheServerDoesNotHaveLeavesTheQueueForTheRun)
{
    for (int code : {404, 410}) {
        SCOPED_TRACE(code);
        DownloadManager* queue = restart();
        add(u"A.jpg"_s);
        add(u"B.jpg"_s);
        transport->fail(HttpError(HttpError::UnacceptableStatusCode, QString(), code));
        EXPECT_EQ(targets(), "B.jpg");
        EXPECT_EQ(queue->errorTry(), 0);
        // The catalogue asking again as its cells reappear is refused...
        add(u"A.jpg"_s);
        EXPECT_EQ(targets(), "B.jpg");
        // ...a server answer naming it is not: the server may have it by now.
        queue->downloadFile({picture(u"A.jpg"_s)});
        EXPECT_EQ(targets(), "B.jpg A.jpg");
        transport->finishDownload("b");
        transport->finishDownload("a");
        EXPECT_TRUE(queue->entries().isEmpty());
    }
}

TEST_F(QueueFixture, TargetsOutsideTheCacheAreRefused)
{
    DownloadManager* queue = DownloadManager::sharedManager();
    for (const char* target : {"/../Documents/data.sqlite", "../x.jpg", "/material/../../x.jpg",
                               "/material/./..", "\\material\\x.jpg", "/"})
        queue->addDownload(u"http://h/evil"_s, QString::fromLatin1(target));
    EXPECT_TRUE(queue->entries().isEmpty());
    EXPECT_EQ(transport->pendingCount(), 0);
    EXPECT_TRUE(DownloadManager::isSafeTarget(u"/material/A 1.jpg"_s));
    EXPECT_TRUE(DownloadManager::isSafeTarget(u"material/..hidden.jpg"_s));
}
