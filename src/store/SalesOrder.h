#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

class Statement;

// An order header. A new order is a draft (uploadStatus 10) with the
// placeholder number "None" and unset times; the first save stamps its
// creation time. After an accepted upload orderNo holds the server's number
// while purchaseOrderNo keeps the device's, which stays the order's identity
// in the store and the number its lines are filed under.
struct SalesOrder
{
    // The text of a time not yet set.
    static QString unsetTime() { return QStringLiteral("0000-00-00 00:00:00"); }

    SalesOrder() = default;
    // Fills every field from the current row of a "SELECT *" on salesOrder.
    explicit SalesOrder(const Statement& row);
    static SalesOrder fromStatement(const Statement& row) { return SalesOrder(row); }

    // The order's text for the e-mail export: a line of field names and a
    // line of values, TAB-separated, each ended by LF, UTF-8.
    QByteArray exportSalesOrder() const;

    // Now plus exactly 48 hours as "yyyy-MM-dd HH:mm:ss": the delivery date a
    // new order starts with.
    static QString generateDeliveryDate();

    // Labels of the choice codes as the export writes them.
    static QString typeLabel(int type);
    static QString vdtypeLabel(int vdtype);
    static QString paymenttypeLabel(int paymenttype);

    bool operator==(const SalesOrder&) const = default;

    QString creationDate = unsetTime();
    QString orderNo = QStringLiteral("None");
    QString purchaseOrderNo;
    QString orderDate = unsetTime();
    QString deliverDate = generateDeliveryDate();
    QString deliverAddress = QStringLiteral("");
    QString soldToCode = QStringLiteral("");
    QString shipToCode = QStringLiteral("");
    int transactionStatus = 20;
    int uploadStatus = 10;
    QString sapStatus = QStringLiteral("");
    QString sapOrderNo = QStringLiteral("");
    int type = 1;
    int priority = -1;
    QString remark = QStringLiteral("");
    QString lastupdate = unsetTime();
    int vdtype = 1;
    int paymenttype = 1;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(SalesOrder, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(SalesOrder)
