#include "workflow/CatalogueFilter.h"

#include <QHash>

#include <vector>

namespace {
const QChar kSeparator(u'\0');

QString fold(const QString& text)
{
    return text.toCaseFolded();
}

// Appends the folded text. Codes and descriptions are mostly plain ASCII,
// where folding is lowering A to Z, done in place without a string of its own.
void appendFolded(QString& out, const QString& text)
{
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (units[i] >= 0x80) {
            out += text.toCaseFolded();
            return;
        }
    }
    const qsizetype at = out.size();
    out.resize(at + size);
    char16_t* to = reinterpret_cast<char16_t*>(out.data()) + at;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        to[i] = unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    }
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
    std::array<QHash<QString, int>, kCategories> numbers;
    for (Category& category : _categories) {
        category = Category();
        category.valueOfItem.reserve(items.size());
    }
    for (const Material& item : items) {
        QString text;
        text.reserve(item.skuCode.size() + item.description.size() + item.brandname.size() + 64);
        appendFolded(text, item.skuCode);
        text += kSeparator;
        appendFolded(text, item.description);
        for (int n = 0; n < kCategories; ++n) {
            const QString& value = category(item, n);
            text += kSeparator;
            Category& c = _categories[n];
            if (value.isEmpty()) {
                c.valueOfItem.append(-1);
                continue;
            }
            auto it = numbers[n].constFind(value);
            if (it == numbers[n].constEnd()) {
                it = numbers[n].insert(value, int(c.values.size()));
                c.values.append(value);
                c.folded.append(fold(value));
            }
            c.valueOfItem.append(it.value());
            // Each distinct value is folded once.
            text += c.folded.at(it.value());
        }
        text += kSeparator;
        appendFolded(text, item.brandname);
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
    // Which of each category's values pass its filter; categories without a
    // filter stay out of the loop below.
    std::vector<std::pair<const QList<int>*, std::vector<char>>> tests;
    for (int n = 0; n < kCategories; ++n) {
        if (values[n].isEmpty())
            continue;
        const QString folded = fold(values[n]);
        const Category& c = _categories[n];
        std::vector<char> passes(c.values.size());
        for (qsizetype v = 0; v < c.values.size(); ++v)
            passes[v] = c.folded.at(v).contains(folded) ? 1 : 0;
        tests.emplace_back(&c.valueOfItem, std::move(passes));
    }
    if (tests.empty())
        return all();
    Rows rows;
    for (qsizetype i = 0; i < _items.size(); ++i) {
        bool keep = true;
        for (const auto& [valueOfItem, passes] : tests) {
            const int value = valueOfItem->at(i);
            if (value < 0 || !passes[value]) {
                keep = false;
                break;
            }
        }
        if (keep)
            rows.append(i);
    }
    return rows;
}

std::array<QStringList, CatalogueFilter::kCategories>
CatalogueFilter::categoryValues(const Rows& rows) const
{
    std::array<QStringList, kCategories> values;
    for (int n = 0; n < kCategories; ++n) {
        const Category& c = _categories[n];
        // An item without a value in a category offers nothing to choose
        // there: an empty entry would read as a blank button.
        std::vector<char> seen(c.values.size());
        for (qsizetype row : rows) {
            const int value = c.valueOfItem.at(row);
            if (value >= 0 && !seen[value]) {
                seen[value] = 1;
                values[n].append(c.values.at(value));
            }
        }
    }
    return values;
}
