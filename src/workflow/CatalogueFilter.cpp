#include "workflow/CatalogueFilter.h"

#include <QHash>
#include <QSet>

namespace {
const QChar kSeparator(u'\0');

QString fold(const QString& text)
{
    return text.toCaseFolded();
}
} // namespace

const QString& CatalogueFilter::category(const Material& item, int n)
{
    switch (n) {
    case 0:
        return item.cate1;
    case 1:
        return item.cate2;
    case 2:
        return item.cate3;
    case 3:
        return item.cate4;
    case 4:
        return item.cate5;
    default:
        return item.cate6;
    }
}

void CatalogueFilter::setItems(const QList<Material>& items)
{
    _items = items;
    _searchText.clear();
    _searchText.reserve(items.size());
    for (QStringList& folded : _foldedCategory) {
        folded.clear();
        folded.reserve(items.size());
    }
    for (const Material& item : items) {
        QString text;
        text.reserve(item.skuCode.size() + item.description.size() + item.brandname.size() + 64);
        text += fold(item.skuCode);
        text += kSeparator;
        text += fold(item.description);
        for (int n = 0; n < kCategories; ++n) {
            QString value = fold(category(item, n));
            text += kSeparator;
            text += value;
            _foldedCategory[n].append(std::move(value));
        }
        text += kSeparator;
        text += fold(item.brandname);
        _searchText.append(std::move(text));
    }
}

CatalogueFilter::Rows CatalogueFilter::all() const
{
    Rows rows(_items.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        rows[i] = i;
    return rows;
}

CatalogueFilter::Rows CatalogueFilter::search(const QString& keyword) const
{
    if (keyword.isEmpty())
        return all();
    Rows rows;
    if (keyword.contains(kSeparator)) {
        // Only a pasted control character gets here: no shortcut, the nine
        // texts one by one.
        for (qsizetype i = 0; i < _items.size(); ++i) {
            const Material& item = _items.at(i);
            bool found = item.skuCode.contains(keyword, Qt::CaseInsensitive) ||
                         item.description.contains(keyword, Qt::CaseInsensitive) ||
                         item.brandname.contains(keyword, Qt::CaseInsensitive);
            for (int n = 0; !found && n < kCategories; ++n)
                found = category(item, n).contains(keyword, Qt::CaseInsensitive);
            if (found)
                rows.append(i);
        }
        return rows;
    }
    const QString folded = fold(keyword);
    for (qsizetype i = 0; i < _searchText.size(); ++i) {
        if (_searchText.at(i).contains(folded))
            rows.append(i);
    }
    return rows;
}

CatalogueFilter::Rows CatalogueFilter::filter(const Categories& values) const
{
    std::array<QString, kCategories> folded;
    bool any = false;
    for (int n = 0; n < kCategories; ++n) {
        folded[n] = fold(values[n]);
        any = any || !folded[n].isEmpty();
    }
    if (!any)
        return all();
    Rows rows;
    for (qsizetype i = 0; i < _items.size(); ++i) {
        bool keep = true;
        for (int n = 0; keep && n < kCategories; ++n)
            keep = folded[n].isEmpty() || _foldedCategory[n].at(i).contains(folded[n]);
        if (keep)
            rows.append(i);
    }
    return rows;
}

std::array<QStringList, CatalogueFilter::kCategories> CatalogueFilter::categoryValues(const Rows& rows) const
{
    std::array<QStringList, kCategories> values;
    std::array<QSet<QString>, kCategories> seen;
    for (qsizetype row : rows) {
        const Material& item = _items.at(row);
        for (int n = 0; n < kCategories; ++n) {
            const QString& value = category(item, n);
            // An item without a value in a category offers nothing to choose
            // there: an empty entry would read as a blank button.
            if (value.isEmpty())
                continue;
            const qsizetype before = seen[n].size();
            seen[n].insert(value);
            if (seen[n].size() != before)
                values[n].append(value);
        }
    }
    return values;
}
