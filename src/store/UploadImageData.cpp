#include "store/UploadImageData.h"

#include "store/Statement.h"

UploadImageData::UploadImageData(const Statement& row)
    : orderno(row.columnString(0)), imagename(row.columnString(1))
{}
