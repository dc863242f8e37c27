#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// A catalogue item, read from "SELECT material.*, brand.brandName" rows: the
// item's columns followed by its brand's name. Column 4 (the server's item
// type) is not read. A record made on the device for a code missing from the
// catalogue carries only skuCode.
struct Material
{
    Material() = default;
    // Fills the fields, by column position, from the current row: the item's columns and the brand
    // name.
    explicit Material(const Statement& row);
    static Material fromStatement(const Statement& row) { return Material(row); }

    bool operator==(const Material&) const = default;

    QString creationDate;
    QString skuCode;
    QString language;
    QString description;
    QString category;
    QString subCategory;
    QString brand;
    QString subBrand;
    int status = 0;
    QString barcode;
    QString lastupdate;
    QString phototype;
    QString priority;
    QString unit1;
    QString unit2;
    QString cate1;
    QString cate2;
    QString cate3;
    QString cate4;
    QString cate5;
    QString cate6;
    QString brandname;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(Material, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(Material)
