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

// The purchase list's categories (division, group, pack, size, variant,
// channel) for the items above and a few more, and two running promotions.
struct CatalogueItem
{
    const char* sku;
    const char* description; // null: one of kItems, which only gets its categories
    const char* categories[6];
    const char* unit2;
};
const CatalogueItem kCatalogue[] = {
    {"A100", nullptr, {"Beverages", "Water", "Bottle", "0.5 l", "Sparkling", "Retail"}, "PC"},
    {"A101", "Still water 24 x 0.5 l", {"Beverages", "Water", "Bottle", "0.5 l", "Still", "Retail"}, "PC"},
    {"A102", "Still water 6 x 1.5 l", {"Beverages", "Water", "Bottle", "1.5 l", "Still", "Horeca"}, "PC"},
    {"A120", nullptr, {"Beverages", "Juice", "Carton", "1 l", "Orange", "Retail"}, "PC"},
    {"A121", "Apple juice 12 x 1 l", {"Beverages", "Juice", "Carton", "1 l", "Apple", "Retail"}, "PC"},
    {"A122", "Multivitamin juice 12 x 1 l", {"Beverages", "Juice", "Carton", "1 l", "Multivitamin", "Horeca"}, "PC"},
    {"B200", nullptr, {"Snacks", "Crackers", "Box", "250 g", "Whole-grain", "Retail"}, "PK"},
    {"B201", "Salted crackers 20 x 200 g", {"Snacks", "Crackers", "Box", "200 g", "Salted", "Retail"}, "PK"},
    {"B210", "Paprika chips 12 x 175 g", {"Snacks", "Chips", "Bag", "175 g", "Paprika", "Retail"}, "PK"},
    {"B211", "Sea salt chips 12 x 175 g", {"Snacks", "Chips", "Bag", "175 g", "Sea salt", "Horeca"}, "PK"},
    {"C310", nullptr, {"Household", "Cleaning", "Bottle", "750 ml", "Lemon", "Retail"}, "PC"},
    {"C311", "Glass cleaner 12 x 500 ml", {"Household", "Cleaning", "Bottle", "500 ml", "Fresh", "Retail"}, "PC"},
    {"C320", "Laundry powder 4 x 5 kg", {"Household", "Laundry", "Bag", "5 kg", "Color", "Horeca"}, "PC"},
    {"D400", "Espresso beans 6 x 1 kg", {"Coffee", "Beans", "Bag", "1 kg", "Espresso", "Horeca"}, "PK"},
    {"D401", "Ground coffee 12 x 500 g", {"Coffee", "Ground", "Can", "500 g", "Mild", "Retail"}, "PK"},
};

// The colours of the item pictures on the device; the items left out have no
// picture yet, so the catalogue shows its placeholder for them.
struct ItemPicture
{
    const char* sku;
    const char* colour;
};
const ItemPicture kItemPictures[] = {
    {"A100", "#3498db"}, {"A101", "#5dade2"}, {"A120", "#f39c12"}, {"A121", "#27ae60"},
    {"A122", "#e67e22"}, {"B200", "#b9770e"}, {"B210", "#c0392b"}, {"B211", "#2980b9"},
    {"C310", "#16a085"}, {"C320", "#8e44ad"}, {"D400", "#6e2c00"}, {"D401", "#a04000"},
};

bool write(const QString& sql, const QVariantList& values)
{
    return DataManager::sharedManager()->executeUpdate(sql, values);
}

QString dayOffset(int days, const char* time = "00:00:00")
{
    return Clock::now().toLocalTime().date().addDays(days).toString(QStringLiteral("yyyy-MM-dd")) +
           QLatin1Char(' ') + QLatin1String(time);
}

bool seedCatalogue(const QString& now)
{
    bool ok = true;
    int priority = 1;
    for (const CatalogueItem& item : kCatalogue) {
        QVariantList categories;
        for (const char* category : item.categories)
            categories << QString::fromUtf8(category);
        if (item.description) {
            ok = write(QStringLiteral("INSERT OR REPLACE INTO material (creationDate, skuCode, language, "
                                      "description, brand, status, lastUpdate, priority, unit1, unit2) "
                                      "VALUES (?, ?, 'en', ?, 1, 20, ?, ?, 'CS', ?)"),
                       {now, QLatin1String(item.sku), QString::fromUtf8(item.description), now,
                        QStringLiteral("%1").arg(priority, 3, 10, QLatin1Char('0')), QLatin1String(item.unit2)}) &&
                 ok;
        }
        ok = write(QStringLiteral("UPDATE material SET cate1 = ?, cate2 = ?, cate3 = ?, cate4 = ?, "
                                  "cate5 = ?, cate6 = ?, priority = ?, unit2 = ? WHERE skuCode = ?"),
                   categories + QVariantList{QStringLiteral("%1").arg(priority, 3, 10, QLatin1Char('0')), QLatin1String(item.unit2),
                                             QLatin1String(item.sku)}) &&
             ok;
        ++priority;
    }
    const struct
    {
        int id;
        const char* code;
        const char* name;
        const char* description;
        const char* products;
    } promotions[] = {
        {1, "P1001", "Summer Refresh", "Buy 10 cases of water, get 1 case free",
         R"([{"skuCode": "A100", "status": "20"}, {"skuCode": "A101", "status": "20"},)"
         R"( {"skuCode": "A102", "status": "10"}])"},
        {2, "P1002", "Snack Attack", "Chips: a free display stand with 20 cases",
         R"([{"skuCode": "B210", "status": "20"}, {"skuCode": "B211", "status": "20"}])"},
        {3, "P1003", "Coffee Break", "Espresso beans: 5 percent off from 6 cases",
         R"([{"skuCode": "D400", "status": "20"}])"},
    };
    for (const auto& p : promotions) {
        ok = write(QStringLiteral("INSERT OR REPLACE INTO promote_db VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {p.id, QLatin1String(p.code), QLatin1String(p.name), QLatin1String(p.description),
                    dayOffset(-20), dayOffset(-2), QLatin1String(p.products),
                    dayOffset(30, "23:59:59")}) &&
             ok;
    }
    return ok;
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

// The description of a demo item.
QString descriptionOf(const char* sku)
{
    for (const Item& item : kItems) {
        if (qstrcmp(item.sku, sku) == 0)
            return QString::fromUtf8(item.description);
    }
    for (const CatalogueItem& item : kCatalogue) {
        if (qstrcmp(item.sku, sku) == 0 && item.description)
            return QString::fromUtf8(item.description);
    }
    return QString();
}

// An item's picture: a pack in the item's colour with its code and name.
bool drawItemPicture(const ItemPicture& item)
{
    const QString path =
        RQFile::makeFilePathInCache(QStringLiteral("/material/%1.jpg").arg(QLatin1String(item.sku)));
    if (QFileInfo::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(360, 360, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf1, 0xea));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour(QLatin1String(item.colour));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour.darker(130));
    painter.drawRoundedRect(QRectF(78, 58, 220, 270), 22, 22);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(66, 46, 220, 270), 22, 22);
    painter.setBrush(QColor(255, 255, 255, 225));
    painter.drawRoundedRect(QRectF(86, 150, 180, 110), 12, 12);
    QFont font;
    font.setBold(true);
    font.setPixelSize(40);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(66, 70, 220, 60), Qt::AlignCenter, QLatin1String(item.sku));
    font.setBold(false);
    font.setPixelSize(24);
    painter.setFont(font);
    painter.setPen(QColor(0x33, 0x33, 0x33));
    const QString name = descriptionOf(item.sku).section(QLatin1Char(' '), 0, 1);
    painter.drawText(QRectF(92, 156, 168, 98), Qt::AlignCenter | Qt::TextWordWrap, name);
    painter.end();
    return image.save(path, "JPG", 92);
}
} // namespace

// An order photo: a shelf of coloured packs, as a salesman would take one.
bool drawOrderPhoto(const QString& name, int variant)
{
    const QString path = RQFile::makeFilePathInDocument(name);
    if (QFileInfo::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(480, 360, QImage::Format_RGB32);
    image.fill(QColor(QStringLiteral("#e9e4da")));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor packs[] = {QColor(QStringLiteral("#2e86c1")), QColor(QStringLiteral("#c0392b")),
                            QColor(QStringLiteral("#27ae60")), QColor(QStringLiteral("#f39c12"))};
    for (int shelf = 0; shelf < 3; ++shelf) {
        const int y = 40 + shelf * 110;
        painter.fillRect(QRect(0, y + 90, 480, 12), QColor(QStringLiteral("#8d6e63")));
        for (int pack = 0; pack < 7; ++pack) {
            const QColor colour = packs[(pack + shelf + variant) % 4];
            painter.setBrush(colour);
            painter.setPen(colour.darker(130));
            painter.drawRoundedRect(QRectF(16 + pack * 66, y + 10 + (pack % 2) * 8, 54,
                                           80 - (pack % 2) * 8),
                                    6, 6);
        }
    }
    painter.end();
    return image.save(path, "PNG");
}

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
        // A route lists its customers by their own code and by each address.
        for (const char* stop : {c.code, c.shipTo})
            ok = write(QStringLiteral("INSERT OR REPLACE INTO routing_shipTo VALUES (?, ?, 1, ?, 20)"),
                       {now, now, QLatin1String(stop)}) &&
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

    ok = seedCatalogue(now) && ok;
    for (const ItemPicture& picture : kItemPictures)
        ok = drawItemPicture(picture) && ok;

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
    // Two photos of the newest draft.
    const QString photographed = QString::fromUtf8(kOrders[0].purchaseOrderNo);
    Statement filed = DataManager::sharedManager()->executeQuery(
        QStringLiteral("SELECT COUNT(*) FROM orderimage WHERE orderno = ?"), {photographed});
    const bool alreadyFiled = filed.step() == Statement::Row && filed.columnInt(0) > 0;
    for (int photo = 0; photo < 2; ++photo) {
        const QString name = Clock::now()
                                 .toLocalTime()
                                 .toString(photo == 0 ? QStringLiteral("yyyyMMdd091405")
                                                      : QStringLiteral("yyyyMMdd091540")) +
                             QStringLiteral(".png");
        ok = drawOrderPhoto(name, photo) && ok;
        if (!alreadyFiled)
            ok = write(QStringLiteral("INSERT INTO orderimage (orderno, imagename) VALUES (?, ?)"),
                       {photographed, name}) &&
                 ok;
    }
    return ok;
}
