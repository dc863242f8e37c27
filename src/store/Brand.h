#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// A brand of the catalogue. Brand names reach the screens through
// Material::brandname; the store returns no Brand records.
struct Brand
{
    Brand() = default;
    // Fills the fields, by column position, from the current row: a brand row.
    explicit Brand(const Statement& row);
    static Brand fromStatement(const Statement& row) { return Brand(row); }

    bool operator==(const Brand&) const = default;

    QString creationDate;
    QString brandCode;
    QString brandLanguage;
    QString brandName;
    QString lastupdate;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(Brand, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(Brand)
