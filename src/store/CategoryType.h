#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// A category of the catalogue (code, language, name). Kept for a complete
// record set; no table of this store holds categories.
struct CategoryType
{
    CategoryType() = default;
    // Fills the fields, by column position, from the current row: a category row.
    explicit CategoryType(const Statement& row);
    static CategoryType fromStatement(const Statement& row) { return CategoryType(row); }

    bool operator==(const CategoryType&) const = default;

    QString creationDate;
    QString categoryCode;
    QString categoryLanguage;
    QString categoryName;
    QString lastupdate;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(CategoryType, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(CategoryType)
