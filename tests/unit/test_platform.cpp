#include "platform/AppInfo.h"
#include "platform/Keychain.h"
#include "platform/NotificationCenter.h"
#include "platform/Sandbox.h"
#include "platform/Strings.h"
#include "support/RQDevice.h"
#include "support/RQFile.h"
#include "support/RQImage.h"
#include "support/TestSandbox.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
// A system keychain that refuses every write and holds nothing.
struct BrokenKeychain : KeychainBackend {
    int writes = 0;
    std::optional<QString> read(const QString&, const QString&) override { return std::nullopt; }
    bool write(const QString&, const QString&, const QString&) override
    {
        ++writes;
        return false;
    }
    bool remove(const QString&, const QString&) override { return false; }
};

QByteArray png(const QColor& color, int size = 8)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
} // namespace

TEST(Paths, JoinsWithExactlyOneSeparator)
{
    TestSandbox sandbox;
    EXPECT_EQ(RQFile::makeFilePathInDocument(QStringLiteral("data.sqlite")), sandbox.documents() + "/data.sqlite");
    EXPECT_EQ(RQFile::makeFilePathInDocument(QStringLiteral("/data.sqlite")), sandbox.documents() + "/data.sqlite");
    EXPECT_EQ(RQFile::makeFilePathInCache(QStringLiteral("/material/")), sandbox.caches() + "/material/");
    EXPECT_EQ(RQFile::makeFilePathInCache(QStringLiteral("/material/A1.jpg")), sandbox.caches() + "/material/A1.jpg");
    EXPECT_TRUE(RQFile::makeFilePathInCache(QString()).isNull());
    EXPECT_TRUE(RQFile::makeFilePathInApplication(QString()).isNull());
    EXPECT_TRUE(sandbox.caches().startsWith(sandbox.root()));
    EXPECT_TRUE(Sandbox::settingsFilePath().startsWith(sandbox.root()));
}

TEST(Images, CacheComesBeforeTheBundleAndMissingIsAbsent)
{
    TestSandbox sandbox;
    RQImage::setSystemScaleFactor(1.0);
    // The bundle ships no_image.png in the resource folder of every idiom and scale.
    const std::pair<bool, qreal> idioms[] = {{true, 2.0}, {true, 1.0}, {false, 3.0}, {false, 2.0}};
    for (const auto& [tablet, scale] : idioms) {
        RQImage::setResourcePath(RQImage::resourceFolderFor(tablet, scale));
        EXPECT_FALSE(RQImage::imageNamed(QStringLiteral("no_image.png")).isNull()) << tablet << scale;
    }
    RQImage::setResourcePath(RQImage::resourceFolderFor(true, 1.0));
    const QImage bundled = RQImage::imageNamed(QStringLiteral("no_image.png"));
    ASSERT_FALSE(bundled.isNull());
    EXPECT_EQ(bundled.width(), 120);

    sandbox.writeFile(QStringLiteral("Library/Caches/no_image.png"), png(Qt::red));
    const QImage cached = RQImage::imageNamed(QStringLiteral("no_image.png"));
    ASSERT_FALSE(cached.isNull());
    EXPECT_EQ(cached.pixelColor(0, 0), QColor(Qt::red));

    EXPECT_TRUE(RQImage::imageNamed(QStringLiteral("/material/NOPE.jpg")).isNull());
    sandbox.writeFile(QStringLiteral("Library/Caches/material/BAD.jpg"), "not a picture");
    EXPECT_TRUE(RQImage::imageNamed(QStringLiteral("/material/BAD.jpg")).isNull());

    // A replaced file shows at the next call: nothing is cached in memory.
    sandbox.writeFile(QStringLiteral("Library/Caches/material/X.png"), png(Qt::blue));
    EXPECT_EQ(RQImage::imageNamed(QStringLiteral("/material/X.png")).pixelColor(0, 0), QColor(Qt::blue));
    sandbox.writeFile(QStringLiteral("Library/Caches/material/X.png"), png(Qt::green));
    EXPECT_EQ(RQImage::imageNamed(QStringLiteral("/material/X.png")).pixelColor(0, 0), QColor(Qt::green));

    QFile::remove(sandbox.caches() + QStringLiteral("/no_image.png"));
    RQImage::setSystemScaleFactor(2.0);
    RQImage::setResourcePath(RQImage::resourceFolderFor(true, 2.0));
    const QImage retina = RQImage::imageNamed(QStringLiteral("no_image.png"));
    EXPECT_EQ(retina.devicePixelRatio(), 2.0);
    EXPECT_EQ(retina.width(), 240); // drawn at twice the size, shown at the same size in points
    RQImage::setSystemScaleFactor(1.0);
}

TEST(Device, IdentifierFormatAndStabilityAcrossRestarts)
{
    TestSandbox sandbox;
    const QRegularExpression form(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    EXPECT_TRUE(form.match(RQDevice::createUUID()).hasMatch());
    EXPECT_NE(RQDevice::createUUID(), RQDevice::createUUID());

    // The system keychain refuses to store anything: the fallback keeps the identifier.
    auto broken = std::make_shared<BrokenKeychain>();
    Keychain::setBackends(broken, std::make_shared<FileKeychainBackend>());
    const QString first = RQDevice::uuid();
    EXPECT_TRUE(form.match(first).hasMatch());
    EXPECT_EQ(RQDevice::uuid(), first);
    EXPECT_EQ(broken->writes, 1);

    // A restart: new backends, same sandbox.
    Keychain::setBackends(std::make_shared<BrokenKeychain>(), std::make_shared<FileKeychainBackend>());
    EXPECT_EQ(RQDevice::uuid(), first);

    // Deleting the item gives a new identifier, which is then kept.
    Keychain::deletePassword(AppInfo::bundleIdentifier(), QStringLiteral("UUID"));
    const QString second = RQDevice::uuid();
    EXPECT_NE(second, first);
    EXPECT_EQ(RQDevice::uuid(), second);
    Keychain::setBackends(nullptr, nullptr);
}

TEST(Notifications, DeliveredInOrderAndNeverToDestroyedOwners)
{
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QStringList log;
    auto first = std::make_unique<QObject>();
    auto second = std::make_unique<QObject>();
    center.addObserver(first.get(), QStringLiteral("loginFailed"), [&](const QVariantMap& info) {
        log << QStringLiteral("first:") + info.value(QStringLiteral("message")).toString();
    });
    center.addObserver(second.get(), QStringLiteral("loginFailed"),
                       [&](const QVariantMap&) { log << QStringLiteral("second"); });
    center.addObserver(second.get(), QStringLiteral("loginSuccess"), [&](const QVariantMap&) { log << "ok"; });

    center.post(QStringLiteral("loginFailed"), {{QStringLiteral("message"), QStringLiteral("Unknown error...")}});
    EXPECT_EQ(log, QStringList({QStringLiteral("first:Unknown error..."), QStringLiteral("second")}));

    // An observer that destroys another during delivery: the other is skipped.
    log.clear();
    center.removeObserver(first.get());
    center.removeObserver(second.get(), QStringLiteral("loginFailed"));
    center.addObserver(first.get(), QStringLiteral("loginFailed"), [&](const QVariantMap&) {
        log << QStringLiteral("first");
        second.reset();
    });
    center.addObserver(second.get(), QStringLiteral("loginFailed"),
                       [&](const QVariantMap&) { log << QStringLiteral("second"); });
    center.post(QStringLiteral("loginFailed"));
    EXPECT_EQ(log, QStringList({QStringLiteral("first")}));
    EXPECT_EQ(center.observerCount(QStringLiteral("loginSuccess")), 0);

    first.reset();
    EXPECT_EQ(center.observerCount(QStringLiteral("loginFailed")), 0);
    center.post(QStringLiteral("loginFailed")); // nobody left; must not crash
}

TEST(Strings, KnownKeysHaveTextsAndMissingKeysShowThemselves)
{
    EXPECT_NE(Strings::localized("OREDRDETAILVIEW_SAVE_FAIL_NOITEM"), QStringLiteral("OREDRDETAILVIEW_SAVE_FAIL_NOITEM"));
    EXPECT_TRUE(Strings::localized("VERSION").contains(QLatin1String("%1")));
    EXPECT_EQ(Strings::localized("NO_SUCH_KEY_ANYWHERE"), QStringLiteral("NO_SUCH_KEY_ANYWHERE"));
    // Confirmation sheets are judged by the chosen button's title: the confirm
    // texts must differ from the cancel text.
    const QString cancel = Strings::localized("VIEWCONTROLLER_ACTIONSHEET_CANCEL");
    for (const char* key : {"VIEWCONTROLLER_ACTIONSHEET_CONFIRM_LOGOUT", "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_EXITORDER",
                            "VIEWCONTROLLER_ACTIONSHEET_CONFIRM_DELETE"})
        EXPECT_NE(Strings::localized(key), cancel) << key;
}
