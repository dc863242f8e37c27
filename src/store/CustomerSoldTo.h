#pragma once

#include "store/SalesOrder.h"

#include <QMetaType>
#include <QString>

class Statement;

// A sold-to (billing) customer. Status 20 means active.
struct CustomerSoldTo
{
    CustomerSoldTo() = default;
    // Fills the fields, by column position, from the current row: a customerSoldTo row.
    explicit CustomerSoldTo(const Statement& row);
    static CustomerSoldTo fromStatement(const Statement& row) { return CustomerSoldTo(row); }

    bool operator==(const CustomerSoldTo&) const = default;

    QString creationDate = SalesOrder::unsetTime();
    QString customerCode;
    QString customerName;
    QString salesGroup;
    int status = 0;
    QString lastupdate = SalesOrder::unsetTime();
};

Q_DECLARE_METATYPE(CustomerSoldTo)
