#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// A customer's own item code, price and minimum quantity for an item. Kept
// for a complete record set; no table of this store holds them.
struct CustomerMaterial
{
    CustomerMaterial() = default;
    // Fills the fields, by column position, from the current row: a customer item row.
    explicit CustomerMaterial(const Statement& row);
    static CustomerMaterial fromStatement(const Statement& row) { return CustomerMaterial(row); }

    bool operator==(const CustomerMaterial&) const = default;

    QString creationDate;
    QString skuCode;
    QString retailPrice;
    QString customerItemCode;
    int minQuantity = 0;
    QString lastupdate;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(CustomerMaterial, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(CustomerMaterial)
