#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>
#include <optional>

struct SalesOrder;
struct SalesOrderDetails;

// What an order upload carries: sixteen text fields built from the stored
// header and its lines. The fields that name the customer, the dates, the
// remark and the goods travel enciphered with the key text shared with the
// server; "sapStatus" and the six numbers travel plain.
class OrderPayload
{
public:
    // The payload of the stored order with that purchase order number, or
    // nothing when no such order is stored.
    static std::optional<QVariantMap> build(const QString& purchaseOrderNo);
    static QVariantMap build(const QString& purchaseOrderNo, const SalesOrder& order,
                             const QList<SalesOrderDetails>& lines);
    // The plain item list: per line the item code (with every occurrence of
    // the line's promotion code removed), quantity, unit and promotion code,
    // all joined by ",".
    static QString itemList(const QList<SalesOrderDetails>& lines);
};
