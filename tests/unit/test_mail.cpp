#include "core/AppDelegate.h"
#include "platform/DesktopMailer.h"
#include "platform/MailMessage.h"
#include "platform/UserDefaults.h"
#include "support/StoreFixtures.h"
#include "support/TestSandbox.h"
#include "workflow/OrderListViewController.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace StoreFixtures;

namespace {
// What Python's mail parser makes of the message (tests/support/parse_mime.py).
QJsonObject parse(const QByteArray& mime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("message.eml");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(mime) != mime.size())
        return {};
    file.close();
    QProcess python;
    python.start(
        qEnvironmentVariable("FIELDBOOK_PYTHON3", "python3"),
        {qEnvironmentVariable("FIELDBOOK_SOURCE_DIR") + "/tests/support/parse_mime.py", path});
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        ADD_FAILURE() << "the parser failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray content(const QJsonObject& part)
{
    return QByteArray::fromBase64(part.value("content").toString().toLatin1());
}

QStringList texts(const QJsonValue& array)
{
    QStringList list;
    for (const QJsonValue& v : array.toArray())
        list << v.toString();
    return list;
}

// Lines end in CRLF only, none longer than 998 characters, 7-bit throughout.
void expectWireForm(const QByteArray& mime)
{
    for (qsizetype i = 0; i < mime.size(); ++i) {
        const auto c = static_cast<unsigned char>(mime[i]);
        ASSERT_LT(c, 0x80) << "8-bit byte at " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && mime[i - 1] == '\r') << "bare LF at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < mime.size() && mime[i + 1] == '\n') << "bare CR at " << i;
        }
    }
    for (const QByteArray& line : mime.split('\n'))
        ASSERT_LE(line.size(), 999);
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
    MailAttachment first;
    first.data = "creationDate\tpurchaseOrderNo\n2025-03-01 09:00:00\tMÜLLER.1005\n";
    first.mimeType = "text/plain";
    first.fileName = "MÜLLER.1005.txt";
    MailAttachment second;
    second.data = QByteArray("no trailing newline, = and -- and \"quotes\"\t");
    second.mimeType = "text/plain";
    second.fileName = "ACME.*\".txt";
    message.attachments = {first, second};

    const QByteArray mime = message.toMime(kDate);
    expectWireForm(mime);
    const QJsonObject parsed = parse(mime);
    ASSERT_FALSE(parsed.isEmpty());
    EXPECT_TRUE(parsed.value("defects").toArray().isEmpty())
        << QJsonDocument(parsed).toJson().toStdString();
    EXPECT_EQ(parsed.value("mime_version").toString(), "1.0");
    EXPECT_EQ(parsed.value("date").toString(), "Thu, 20 Mar 2025 15:04:05 +0100");
    EXPECT_EQ(texts(parsed.value("from")), QStringList({"alice@example.org"}));
    EXPECT_EQ(texts(parsed.value("from_names")), QStringList({"Alice Ärmel"}));
    EXPECT_EQ(texts(parsed.value("to")),
              QStringList({"orders@ardent.example", "office@ardent.example"}));
    EXPECT_EQ(parsed.value("subject").toString(), message.subject);
    EXPECT_EQ(parsed.value("content_type").toString(), "multipart/mixed");

    const QJsonArray parts = parsed.value("parts").toArray();
    ASSERT_EQ(parts.size(), 3);
    const QJsonObject body = parts[0].toObject();
    EXPECT_EQ(body.value("content_type").toString(), "text/plain");
    EXPECT_EQ(body.value("charset").toString(), "utf-8");
    EXPECT_TRUE(body.value("disposition").isNull());
    EXPECT_EQ(body.value("text").toString(), message.body);
    for (int i = 1; i <= 2; ++i) {
        const QJsonObject part = parts[i].toObject();
        const MailAttachment& expected = message.attachments[i - 1];
        EXPECT_TRUE(part.value("defects").toArray().isEmpty()) << i;
        EXPECT_EQ(part.value("content_type").toString(), "text/plain") << i;
        EXPECT_EQ(part.value("charset").toString(), "utf-8") << i;
        EXPECT_EQ(part.value("disposition").toString(), "attachment") << i;
        EXPECT_EQ(part.value("filename").toString(), expected.fileName) << i;
        EXPECT_EQ(content(part), expected.data) << i;
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
    EXPECT_FALSE(texts(parsed.value("header_names")).contains("Bcc"));
    EXPECT_FALSE(parsed.value("subject").toString().contains('\n'));
    // Without a sender a stand-in keeps the message well formed.
    EXPECT_EQ(texts(parsed.value("from")).size(), 1);
    EXPECT_TRUE(parsed.value("defects").toArray().isEmpty());
    // Long non-ASCII subjects fold into words of at most 75 characters.
    const QByteArray words = MailMessage::encodeHeaderText(QString(80, QChar(0x00e9)));
    for (const QByteArray& word : words.split('\n'))
        EXPECT_LE(word.trimmed().size(), 75);
    EXPECT_EQ(MailMessage::encodeHeaderText("[Ardent] Field Book Export Orders"),
              "[Ardent] Field Book Export Orders");
}

TEST(MailExport, TheOrderListsExportAsAMailClientSeesIt)
{
    TestSandbox sandbox;
    AppDelegate delegate(nullptr);
    ASSERT_TRUE(seedAll());
    delegate.setUserName(kAlice);
    SalesOrder undefined = order("MÜLLER.7", "C600", "SH601", "2025-03-05 10:00:00");
    undefined.type = 0;
    ASSERT_TRUE(addOrder(undefined, kAlice));
    ASSERT_TRUE(addOrderLine(line("MÜLLER.7", "A100", 2)));
    ASSERT_TRUE(addOrderLine(line("MÜLLER.7", "A121", 1, "P200")));
    UserDefaults::standard().setObject("orders@ardent.example",
                                       OrderListViewController::exportRecipientKey());

    OrderListViewController list;
    list.setType(1);
    list.startMultiSelectionMode();
    const QList<SalesOrder> rows = list.salesOrderArray();
    for (const QString number : {"ACME.1001", "MÜLLER.7"}) {
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].purchaseOrderNo == number)
                list.rowClicked(i);
    }
    const QJsonObject parsed = parse(list.exportMessage().toMime(kDate));
    EXPECT_TRUE(parsed.value("defects").toArray().isEmpty());
    EXPECT_EQ(parsed.value("subject").toString(), "[Ardent] Field Book Export Orders");
    EXPECT_EQ(texts(parsed.value("to")), QStringList({"orders@ardent.example"}));
    EXPECT_EQ(texts(parsed.value("from")), QStringList({"alice@example.org"}));
    const QJsonArray parts = parsed.value("parts").toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0].toObject().value("text").toString(),
              "Hi there,\n\nThe exported sales order details are attached. Please note "
              "it.\n\nRegards,\nArdentFieldBook");
    EXPECT_EQ(parts[1].toObject().value("filename").toString(), "ACME.1001.txt");
    EXPECT_EQ(parts[2].toObject().value("filename").toString(), "MÜLLER.7.txt");
    // The order of two lines: its two header records and one per line.
    const QString text = QString::fromUtf8(content(parts[2].toObject()));
    const QStringList records = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(records.size(), 4);
    EXPECT_TRUE(records[1].split('\t').contains("Undefined"));
    EXPECT_TRUE(records[1].split('\t').contains("MÜLLER.7"));
    EXPECT_TRUE(records[3].split('\t').contains("A121"));
    EXPECT_EQ(content(parts[1].toObject()).count('\n'), 5);

    // No recipient configured: the mail client asks for one.
    UserDefaults::standard().removeObjectForKey(OrderListViewController::exportRecipientKey());
    EXPECT_TRUE(list.exportMessage().to.isEmpty());
}

namespace {
struct FakeSystem
{
    QMap<QString, QString> installed; // program -> path
    QMap<QString, QString> handlers;  // MIME type -> desktop file
    QList<QPair<QString, QStringList>> started;
    bool startWorks = true;

    DesktopMailer::System system()
    {
        DesktopMailer::System s;
        s.findExecutable = [this](const QString& program) { return installed.value(program); };
        s.output = [this](const QString& program, const QStringList& arguments) {
            if (program == "xdg-mime" && arguments.size() == 3 && arguments[0] == "query")
                return handlers.value(arguments[2]);
            return QString();
        };
        s.startDetached = [this](const QString& program, const QStringList& arguments) {
            started << qMakePair(program, arguments);
            return startWorks;
        };
        return s;
    }
};

MailMessage exportLike()
{
    MailMessage message;
    message.to = {"orders@ardent.example"};
    message.subject = "[Ardent] Field Book Export Orders";
    message.body = "Hi there,";
    message.attachments = {{"a\tb\n", "text/plain", "ACME.1001.txt"},
                           {"c\n", "text/plain", "../evil/x.txt"}};
    return message;
}
// Composes and waits for the answer, which never comes inside compose().
std::optional<Mailer::Result> composed(DesktopMailer& mailer)
{
    std::optional<Mailer::Result> result;
    mailer.compose(exportLike(), [&](Mailer::Result r, const QString&) { result = r; });
    EXPECT_FALSE(result);
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }));
    return result;
}
} // namespace

TEST(DesktopMailerTest, TheMessageFileOpensInTheMailProgramAndWithoutOneNothingIsSent)
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
    ASSERT_EQ(fake.started.size(), 1);
    EXPECT_EQ(fake.started[0].first, "xdg-open");
    const QString eml = fake.started[0].second.value(0);
    EXPECT_EQ(eml, mailer.lastMessagePath());
    EXPECT_TRUE(eml.startsWith(QDir(sandbox.documents()).filePath("Outbox/")));
    QFile file(eml);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject parsed = parse(file.readAll());
    EXPECT_EQ(parsed.value("parts").toArray().size(), 3);
    EXPECT_EQ(parsed.value("subject").toString(), "[Ardent] Field Book Export Orders");

    // The program does not start: a failure, not a success.
    fake.startWorks = false;
    EXPECT_EQ(composed(mailer), Mailer::Failed);
}

TEST(DesktopMailerTest, WithOnlyAComposerTheAttachmentsGoBesideTheMessage)
{
    TestSandbox sandbox;
    FakeSystem fake;
    fake.installed = {{"xdg-mime", "/usr/bin/xdg-mime"}, {"xdg-email", "/usr/bin/xdg-email"}};
    fake.handlers = {{"x-scheme-handler/mailto", "evolution.desktop"}};
    DesktopMailer mailer(fake.system());
    ASSERT_TRUE(mailer.canSendMail());
    mailer.compose(exportLike());
    ASSERT_EQ(fake.started.size(), 1);
    EXPECT_EQ(fake.started[0].first, "xdg-email");
    const QStringList args = fake.started[0].second;
    EXPECT_EQ(args.value(args.indexOf("--subject") + 1), "[Ardent] Field Book Export Orders");
    EXPECT_EQ(args.value(args.indexOf("--body") + 1), "Hi there,");
    EXPECT_EQ(args.last(), "orders@ardent.example");
    QStringList attached;
    for (int i = 0; i < args.size(); ++i)
        if (args[i] == "--attach")
            attached << args.value(i + 1);
    ASSERT_EQ(attached.size(), 2);
    EXPECT_TRUE(attached[0].endsWith("/ACME.1001.txt"));
    // A name with folders in it stays one file in the message's folder.
    EXPECT_EQ(QFileInfo(attached[1]).absolutePath(), QFileInfo(attached[0]).absolutePath());
    QFile first(attached[0]);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("a\tb\n"));
}
