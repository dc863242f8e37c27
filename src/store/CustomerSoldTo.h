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

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(CustomerSoldTo, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(CustomerSoldTo)
