#pragma once

#include "store/Material.h"

#include <QString>

// What one cell of the item catalogue shows: the item's picture over its SKU
// code and description.
struct ItemListViewCell
{
    QString skuCode;
    QString description;
    // The picture, as a path the picture lookup understands: the first of
    // "/material/<sku>.jpg" and "/materialImage/<sku>.jpg" that holds a
    // picture, else "no_image.png".
    QString picture;
    // Neither picture is on the device: the cell asks the server for it.
    bool pictureMissing = true;

    static ItemListViewCell forMaterial(const Material& item);
    // Where the picture of an item is downloaded to and photographed into.
    static QString picturePath(const QString& skuCode);
    static QString noImage() { return QStringLiteral("no_image.png"); }
    // The picture lookup's first readable path for the item, or a null text.
    static QString findPicture(const QString& skuCode);
};
