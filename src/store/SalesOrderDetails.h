#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

class Statement;

// One order line. A line is filed under its order's purchase order number
// (orderNo), so it stays with the order when the server renumbers it. A line
// from the plain catalogue has the promotion code " " (one blank); a line
// ordered inside a promotion has the item code followed by "_promo" and the
// promotion code, and the promotion code in promocode.
struct SalesOrderDetails
{
    // A new line is stamped with the current time, both created and updated.
    SalesOrderDetails();
    // Fills every field from the current row of a "SELECT *" on salesOrderDetails.
    explicit SalesOrderDetails(const Statement& row);
    static SalesOrderDetails fromStatement(const Statement& row) { return SalesOrderDetails(row); }

    // The line's text for the e-mail export: one TAB-separated line ended by
    // LF, UTF-8, without a header.
    QByteArray exportSalesOrderDetail() const;

    // The current local time as "yyyy-MM-dd HH:mm:ss".
    static QString getNow();

    bool operator==(const SalesOrderDetails&) const = default;

    QString creationDate;
    QString orderNo;
    QString skuCode;
    int quantity = 0;
    QString uomCode;
    QString lastupdate;
    QString promocode;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(SalesOrderDetails, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(SalesOrderDetails)
