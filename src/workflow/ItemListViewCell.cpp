#include "workflow/ItemListViewCell.h"

#include "support/RQImage.h"

#include <QImageReader>

namespace {
// A file that is there but holds no picture (a download the server answered
// with an error page) counts as missing.
bool holdsPicture(const QString& name)
{
    const QString path = RQImage::pathForImageNamed(name);
    return !path.isNull() && QImageReader(path).canRead();
}
} // namespace

QString ItemListViewCell::picturePath(const QString& skuCode)
{
    return QStringLiteral("/material/%1.jpg").arg(skuCode);
}

QString ItemListViewCell::findPicture(const QString& skuCode)
{
    if (skuCode.isEmpty())
        return QString();
    const QString downloaded = picturePath(skuCode);
    if (holdsPicture(downloaded))
        return downloaded;
    const QString shipped = QStringLiteral("/materialImage/%1.jpg").arg(skuCode);
    if (holdsPicture(shipped))
        return shipped;
    return QString();
}

ItemListViewCell ItemListViewCell::forMaterial(const Material& item)
{
    ItemListViewCell cell;
    cell.skuCode = item.skuCode;
    cell.description = item.description;
    const QString found = findPicture(item.skuCode);
    cell.pictureMissing = found.isNull();
    cell.picture = cell.pictureMissing ? noImage() : found;
    return cell;
}
