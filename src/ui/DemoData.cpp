#include "ui/DemoData.h"

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "store/DataManager.h"
#include "support/RQFile.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>

namespace {
const QString kSalesmanCode = QStringLiteral("S100");

struct Customer
{
    const char* code;
    const char* name;
    const char* group;
    const char* shipTo;
    const char* description;
    const char* address;
    const char* district;
    const char* colour; // of its picture; none: no picture
};

const Customer kCustomers[] = {
    {"C1001", "Harbour Fresh Market", "North", "SH1001", "Harbour Main Depot", "12 Quay Street",
     "Harbour", "#2e86c1"},
    {"C1002", "Bolt Hardware", "South", "SH1002", "Bolt Yard", "4 Riverside Road", "Riverside",
     "#c0392b"},
    {"C1003", "Green Valley Grocers", "North", "SH1003", "Green Valley Store", "88 Valley Lane",
     "Old Town", "#27ae60"},
    {"C1004", "Sunrise Pharmacy", "East", "SH1004", "Sunrise Hillside", "3 Hill Road", "Hill",
     "#8e44ad"},
    {"C1005", "Müller Bäckerei", "Süd", "SH1005", "Müller Backstube", "Bahnhofstraße 7",
     "Riverside", nullptr},
};

struct Order
{
    const char* purchaseOrderNo;
    const char* orderNo; // null: the purchase order number (not numbered by the server)
    int customer;        // index in kCustomers
    int daysAgo;
    const char* time;
    int uploadStatus;
    int type;
    int priority;
};

const Order kOrders[] = {
    {"Harbour.1718000101", nullptr, 0, 0, "09:12:00", 10, 1, 1},
    {"Bolt.1718000202", nullptr, 1, 1, "14:40:00", 10, 1, 0},
    {"Sunrise.1718000303", "4500123", 3, 2, "11:05:00", 20, 1, 0},
    {"Green.1718000404", "4500118", 2, 3, "16:30:00", 30, 2, 0},
    {"Müller.1718000505", nullptr, 4, 4, "08:45:00", 10, 1, 0},
    {"Harbour.1718000606", "4500101", 0, 6, "10:20:00", 30, 1, 1},
    {"Bolt.1718000707", "4500097", 1, 8, "13:15:00", 20, 1, 0},
    {"Green.1718000808", nullptr, 2, 9, "15:55:00", 10, 1, 0},
    {"Sunrise.1718000909", "4500090", 3, 12, "09:00:00", 30, 1, 0},
    {"Harbour.1718001010", nullptr, 0, 15, "17:35:00", 10, 2, 0},
    {"Bolt.1718001111", "4500072", 1, 18, "12:10:00", 30, 1, 0},
    {"Green.1718001212", "4500064", 2, 21, "10:45:00", 30, 1, 1},
};

struct Item
{
    const char* sku;
    const char* description;
};
const Item kItems[] = {{"A100", "Sparkling water 24 x 0.5 l"},
                       {"A120", "Orange juice 12 x 1 l"},
                       {"B200", "Whole-grain crackers 20 x 250 g"},
                       {"C310", "Dish soap 12 x 750 ml"}};

bool write(const QString& sql, const QVariantList& values)
{
    return DataManager::sharedManager()->executeUpdate(sql, values);
}

QString dayOffset(int days, const char* time = "00:00:00")
{
    return Clock::now().toLocalTime().date().addDays(days).toString(QStringLiteral("yyyy-MM-dd")) +
           QLatin1Char(' ') + QLatin1String(time);
}

// A customer's picture: its initials on its colour.
bool drawPicture(const Customer& customer)
{
    if (!customer.colour)
        return true;
    const QString path = RQFile::makeFilePathInCache(
        QStringLiteral("/customerImage/%1.png").arg(QLatin1String(customer.code)));
    if (QFileInfo::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(160, 160, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(QLatin1String(customer.colour)));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, 160, 160), 18, 18);
    QString initials;
    for (const QString& word :
         QString::fromUtf8(customer.name).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (initials.size() < 2)
            initials += word.front().toUpper();
    }
    QFont font;
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 160, 160), Qt::AlignCenter, initials);
    painter.end();
    return image.save(path);
}
} // namespace

bool DemoData::seed()
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.synchronize();
    defaults.setObject(kSalesmanCode, QStringLiteral("salesmanCode"));
    defaults.synchronize();

    const QString now = dayOffset(0, "08:00:00");
    bool ok = write(
        QStringLiteral(
            "INSERT OR REPLACE INTO salesman (creationDate, salesmanCode, username, email, "
            "status, lastUpdate) VALUES (?, ?, ?, ?, 20, ?)"),
        {now, kSalesmanCode, userName(), QStringLiteral("demo.salesman@fieldbook.example"), now});
    ok = write(QStringLiteral("INSERT OR REPLACE INTO routing (id, creationDate, lastUpdate, "
                              "salesmanCode, start_date, "
                              "end_date, status, routingId) VALUES (1, ?, ?, ?, ?, ?, 20, 1)"),
               {now, now, kSalesmanCode, dayOffset(-60).left(10), dayOffset(60).left(10)}) &&
         ok;
    for (const Customer& c : kCustomers) {
        ok = write(
                 QStringLiteral("INSERT OR REPLACE INTO customerSoldTo VALUES (?, ?, ?, ?, 20, ?)"),
                 {now, QLatin1String(c.code), QString::fromUtf8(c.name), QString::fromUtf8(c.group),
                  now}) &&
             ok;
        ok = write(QStringLiteral("INSERT OR REPLACE INTO customerShipTo VALUES (?, ?, ?, ?, 20, "
                                  "?, ?, ?, '', ?)"),
                   {now, QLatin1String(c.code), QLatin1String(c.shipTo),
                    QString::fromUtf8(c.description), QString::fromUtf8(c.address),
                    QString::fromUtf8(c.district), QString::fromUtf8(c.group), now}) &&
             ok;
        ok = write(QStringLiteral("INSERT OR REPLACE INTO routing_shipTo VALUES (?, ?, 1, ?, 20)"),
                   {now, now, QLatin1String(c.shipTo)}) &&
             ok;
        ok = drawPicture(c) && ok;
    }
    ok =
        write(QStringLiteral("INSERT OR REPLACE INTO brand VALUES (?, '1', 'en', 'Demo Brand', ?)"),
              {now, now}) &&
        ok;
    for (const Item& item : kItems) {
        ok = write(QStringLiteral("INSERT OR REPLACE INTO material (creationDate, skuCode, "
                                  "language, description, "
                                  "brand, status, lastUpdate, priority, unit1, unit2) "
                                  "VALUES (?, ?, 'en', ?, 1, 20, ?, '1', 'CS', 'PC')"),
                   {now, QLatin1String(item.sku), QString::fromUtf8(item.description), now}) &&
             ok;
    }

    int n = 0;
    for (const Order& o : kOrders) {
        const Customer& c = kCustomers[o.customer];
        const QString number = QString::fromUtf8(o.purchaseOrderNo);
        const QString created = dayOffset(-o.daysAgo, o.time);
        ok = write(QStringLiteral(
                       "INSERT OR REPLACE INTO salesOrder (creationDate, orderNo, purchaseOrderNo, "
                       "orderDate, deliveryDate, soldToCode, shipToCode, transactionStatus, "
                       "uploadStatus, "
                       "type, priority, remark, lastUpdate, vdtype, PaymentType, deliverAddress, "
                       "so_salesman) VALUES (?, ?, ?, ?, ?, ?, ?, 20, ?, ?, ?, '', ?, 1, 1, ?, ?)"),
                   {created, o.orderNo ? QString::fromLatin1(o.orderNo) : number, number, created,
                    dayOffset(2 - o.daysAgo, o.time), QLatin1String(c.code),
                    QLatin1String(c.shipTo), o.uploadStatus, o.type, o.priority, created,
                    QString::fromUtf8(c.address), userName()}) &&
             ok;
        // Two or three lines each; every fourth order has one line only.
        const int lines = n % 4 == 3 ? 1 : 2 + n % 2;
        for (int l = 0; l < lines; ++l) {
            const Item& item = kItems[(n + l) % 4];
            ok = write(QStringLiteral("INSERT OR REPLACE INTO salesOrderDetails VALUES (?, ?, ?, "
                                      "?, 'CS', ?, ' ')"),
                       {created, number, QLatin1String(item.sku), 2 + (n * 3 + l * 5) % 11,
                        created}) &&
                 ok;
        }
        ++n;
    }
    return ok;
}
