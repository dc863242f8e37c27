#include "sync/OrderPayload.h"

#include "store/DataManager.h"
#include "support/RQMaths.h"

namespace {
QString cipher(const QString& text)
{
    // Absent texts travel as empty ones: the server deciphers every field.
    return RQMaths::encodeString2(text.isNull() ? QStringLiteral("") : text, RQMaths::keyText());
}
} // namespace

QString OrderPayload::itemList(const QList<SalesOrderDetails>& lines)
{
    QStringList values;
    for (const SalesOrderDetails& line : lines) {
        QString code = line.skuCode;
        if (!line.promocode.isEmpty())
            code.remove(line.promocode);
        values << code << QString::number(line.quantity) << line.uomCode << line.promocode;
    }
    return values.join(QLatin1Char(','));
}

QVariantMap OrderPayload::build(const QString& purchaseOrderNo, const SalesOrder& order,
                                const QList<SalesOrderDetails>& lines)
{
    return {
        {QStringLiteral("purchaseOrderNo"), cipher(purchaseOrderNo)},
        {QStringLiteral("transactionStatus"), QString::number(order.transactionStatus)},
        {QStringLiteral("deliveryDate"), cipher(order.deliverDate)},
        {QStringLiteral("deliveryAddress"), cipher(order.deliverAddress)},
        {QStringLiteral("soldToCode"), cipher(order.soldToCode)},
        {QStringLiteral("shipToCode"), cipher(order.shipToCode)},
        {QStringLiteral("sapOrderNo"), cipher(order.sapOrderNo)},
        // The date the editor shows as the order date is the creation time.
        {QStringLiteral("orderDate"), cipher(order.creationDate)},
        {QStringLiteral("uploadStatus"), QString::number(order.uploadStatus)},
        {QStringLiteral("remark"), cipher(order.remark)},
        {QStringLiteral("sapStatus"), order.sapStatus.isNull() ? QStringLiteral("") : order.sapStatus},
        {QStringLiteral("priority"), QString::number(order.priority)},
        {QStringLiteral("type"), QString::number(order.type)},
        {QStringLiteral("vdtype"), QString::number(order.vdtype)},
        {QStringLiteral("paymenttype"), QString::number(order.paymenttype)},
        {QStringLiteral("item"), cipher(itemList(lines))},
    };
}

std::optional<QVariantMap> OrderPayload::build(const QString& purchaseOrderNo)
{
    DataManager* store = DataManager::sharedManager();
    const std::optional<SalesOrder> order = store->getSalesOrder(purchaseOrderNo);
    if (!order)
        return std::nullopt;
    return build(purchaseOrderNo, *order, store->getSalesOrderDetail(purchaseOrderNo));
}
