#include "platform/DesktopMailer.h"
#include "platform/MailMessage.h"
#include "support/TestSandbox.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
// What Python's mail parser makes of the message (tests/support/parse_mime.py).
QJsonObject parse(const QByteArray& mime)
{
    QProcess python;
    python.start(qEnvironmentVariable("FIELDBOOK_PYTHON3", "python3"),
                 {qEnvironmentVariable("FIELDBOOK_SOURCE_DIR") + "/tests/support/parse_mime.py"});
    python.write(mime);
    python.closeWriteChannel();
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        ADD_FAILURE() << "the parser failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray content(const QJsonValue& part)
{
    return QByteArray::fromBase64(part["content"].toString().toLatin1());
}

// The named fields of what the parser saw, lists joined by ", ", null as "".
QStringList fields(const QJsonValue& parsed, std::initializer_list<const char*> keys)
{
    QStringList values;
    for (const char* key : keys) {
        QStringList items;
        for (const QJsonValue& item : parsed[QLatin1String(key)].toArray())
            items << item.toString();
        values << (parsed[QLatin1String(key)].isArray() ? items.join(", ")
                                                        : parsed[QLatin1String(key)].toString());
    }
    return values;
}

// Lines end in CRLF only, none longer than 998 characters, 7-bit throughout.
void expectWireForm(const QByteArray& mime)
{
    static const QRegularExpression broken(
        u"(^|[^\\r])\\n|\\r([^\\n]|\\z)|[^\\x00-\\x7f]|[^\\r\\n]{999}"_s);
    const QRegularExpressionMatch found = broken.match(QString::fromLatin1(mime));
    EXPECT_FALSE(found.hasMatch()) << "at " << found.capturedStart();
}

const QDateTime kDate(QDate(2025, 3, 20), QTime(15, 4, 5), QTimeZone("Europe/Berlin"));
} // namespace

TEST(MailMessageTest, AMailClientReadsTheBodyAndEveryAttachmentByteForByte)
{
    MailMessage message;
    message.from = "Alice Ärmel <alice@example.org>";
    message.to = {"orders@ardent.example", "Back Office <office@ardent.example>"};
    message.subject = "Bestellungen für März – Müller";
    message.body = "Hi there,\n\nÜbersicht anbei. " + QString(120, QChar('x')) + " \nRegards,";
    message.attachments = {
        {"creationDate\tpurchaseOrderNo\n2025-03-01 09:00:00\tMÜLLER.1005\n", "text/plain",
         "MÜLLER.1005.txt"},
        {"no trailing newline, = and -- and \"quotes\"\t", "text/plain", "ACME.*\".txt"}};

    const QByteArray mime = message.toMime(kDate);
    expectWireForm(mime);
    const QJsonObject parsed = parse(mime);
    EXPECT_EQ(fields(parsed, {"defects", "mime_version", "date", "from", "from_names", "to",
                              "subject", "content_type"}),
              QStringList({"", "1.0", "Thu, 20 Mar 2025 15:04:05 +0100", "alice@example.org",
                           "Alice Ärmel", "orders@ardent.example, office@ardent.example",
                           message.subject, "multipart/mixed"}));
    const QJsonArray parts = parsed["parts"].toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(fields(parts[0], {"defects", "content_type", "charset", "disposition", "text"}),
              QStringList({"", "text/plain", "utf-8", "", message.body}));
    for (int i = 1; i <= 2; ++i) {
        SCOPED_TRACE(i);
        const MailAttachment& expected = message.attachments[i - 1];
        EXPECT_EQ(
            fields(parts[i], {"defects", "content_type", "charset", "disposition", "filename"}),
            QStringList({"", "text/plain", "utf-8", "attachment", expected.fileName}));
        EXPECT_EQ(content(parts[i]), expected.data);
    }
}

TEST(MailMessageTest, HeaderValuesCannotAddHeaders)
{
    MailMessage message;
    message.to = {"orders@ardent.example\r\nBcc: thief@example.net"};
    message.subject = "Orders\r\nBcc: thief@example.net";
    const QByteArray mime = message.toMime(kDate);
    expectWireForm(mime);
    const QJsonObject parsed = parse(mime);
    EXPECT_FALSE(fields(parsed, {"header_names"})[0].contains("Bcc"));
    EXPECT_FALSE(parsed["subject"].toString().contains('\n'));
    // Without a sender a stand-in keeps the message well formed.
    EXPECT_EQ(parsed["from"].toArray().size(), 1);
    EXPECT_TRUE(parsed["defects"].toArray().isEmpty());
    // Long non-ASCII subjects fold into words of at most 75 characters.
    const QByteArray words = MailMessage::encodeHeaderText(QString(80, QChar(0x00e9)));
    for (const QByteArray& word : words.split('\n'))
        EXPECT_LE(word.trimmed().size(), 75);
}

namespace {
struct FakeSystem
{
    QMap<QString, QString> installed; // program -> path
    QMap<QString, QString> handlers;  // MIME type -> desktop file
    QList<QStringList> started;       // program, then its arguments
    bool startWorks = true;

    DesktopMailer::System system()
    {
        DesktopMailer::System s;
        s.findExecutable = [this](const QString& program) { return installed.value(program); };
        s.output = [this](const QString& program, const QStringList& arguments) {
            const bool query = program == "xdg-mime" && arguments.value(0) == "query";
            return query ? handlers.value(arguments.value(2)) : QString();
        };
        s.startDetached = [this](const QString& program, const QStringList& arguments) {
            started << QStringList(program) + arguments;
            return startWorks;
        };
        return s;
    }
};

const MailMessage kExport{
    {},
    {"orders@ardent.example"},
    "[Ardent] Field Book Export Orders",
    "Hi there,",
    {{"a\tb\n", "text/plain", "ACME.1001.txt"}, {"c\n", "text/plain", "../evil/x.txt"}}};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

// Composes and waits for the answer, which never comes inside compose().
std::optional<Mailer::Result> composed(DesktopMailer& mailer)
{
    std::optional<Mailer::Result> result;
    mailer.compose(kExport, [&](Mailer::Result r, const QString&) { result = r; });
    EXPECT_FALSE(result);
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }));
    return result;
}
} // namespace

TEST(DesktopMailerTest, TheMessageOpensInTheMailProgramOrTheComposerAndWithoutOneNothingIsSent)
{
    TestSandbox sandbox;
    FakeSystem fake;
    EXPECT_FALSE(DesktopMailer(fake.system()).canSendMail());
    fake.installed = {{"xdg-mime", "/usr/bin/xdg-mime"}, {"xdg-open", "/usr/bin/xdg-open"}};
    DesktopMailer tools(fake.system());
    EXPECT_FALSE(tools.canSendMail()); // the tools, but no program for mail
    EXPECT_EQ(composed(tools), Mailer::Failed);
    EXPECT_TRUE(fake.started.isEmpty());

    fake.handlers = {{"message/rfc822", "thunderbird.desktop"}};
    DesktopMailer mailer(fake.system());
    ASSERT_TRUE(mailer.canSendMail());
    EXPECT_EQ(composed(mailer), Mailer::Handed);
    EXPECT_EQ(fake.started, QList<QStringList>({{"xdg-open", mailer.lastMessagePath()}}));
    EXPECT_TRUE(mailer.lastMessagePath().startsWith(sandbox.documents() + "/Outbox/"));
    const QJsonObject parsed = parse(readAll(mailer.lastMessagePath()));
    EXPECT_EQ(fields(parsed, {"defects", "subject"}), QStringList({"", kExport.subject}));
    EXPECT_EQ(parsed["parts"].toArray().size(), 3);

    // The program does not start: a failure, not a success.
    fake.startWorks = false;
    EXPECT_EQ(composed(mailer), Mailer::Failed);

    // With only a composer the attachments go beside the message.
    fake.started.clear();
    fake.installed = {{"xdg-mime", "/usr/bin/xdg-mime"}, {"xdg-email", "/usr/bin/xdg-email"}};
    fake.handlers = {{"x-scheme-handler/mailto", "evolution.desktop"}};
    DesktopMailer composer(fake.system());
    ASSERT_TRUE(composer.canSendMail());
    composer.compose(kExport);
    ASSERT_EQ(fake.started.size(), 1);
    const QStringList args = fake.started[0];
    const QString folder = QFileInfo(args.value(args.indexOf("--attach") + 1)).absolutePath();
    // A name with folders in it stays one file in the message's folder.
    EXPECT_EQ(args, QStringList({"xdg-email", "--utf8", "--subject", kExport.subject, "--body",
                                 "Hi there,", "--attach", folder + "/ACME.1001.txt", "--attach",
                                 folder + "/.._evil_x.txt", "orders@ardent.example"}));
    EXPECT_EQ(readAll(folder + "/ACME.1001.txt"), QByteArray("a\tb\n"));
}
