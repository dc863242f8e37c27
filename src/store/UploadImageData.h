#pragma once

#include <QMetaType>
#include <QString>

class Statement;

// An order photo as filed: the order's number and the photo's file name.
struct UploadImageData
{
    UploadImageData() = default;
    // Fills the fields, by column position, from the current row: an orderimage row.
    explicit UploadImageData(const Statement& row);
    static UploadImageData fromStatement(const Statement& row) { return UploadImageData(row); }

    bool operator==(const UploadImageData&) const = default;

    QString orderno;
    QString imagename;
};

// Texts and numbers only: a list may move its records in memory as they are.
Q_DECLARE_TYPEINFO(UploadImageData, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(UploadImageData)
