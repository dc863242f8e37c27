#pragma once

#include "store/SalesOrder.h"

#include <QMetaType>
#include <QString>

class Statement;

// A delivery address of a sold-to customer, keyed by customer and ship-to
// code. Status 20 means active. DelivereyToCode and DelivereyAddress are
// scratch fields for screens; no column feeds them.
struct CustomerShipTo
{
    CustomerShipTo() = default;
    // Fills the fields, by column position, from the current row: a customerShipTo row (or the same
    // ten columns).
    explicit CustomerShipTo(const Statement& row);
    static CustomerShipTo fromStatement(const Statement& row) { return CustomerShipTo(row); }

    bool operator==(const CustomerShipTo&) const = default;

    QString creationDate = SalesOrder::unsetTime();
    QString customerCode;
    QString shipToCode;
    QString description;
    int status = 0;
    QString address;
    QString district;
    QString region;
    QString remarks;
    QString lastupdate = SalesOrder::unsetTime();
    QString DelivereyToCode;
    QString DelivereyAddress;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(CustomerShipTo, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(CustomerShipTo)
