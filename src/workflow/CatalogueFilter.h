#pragma once

#include "store/Material.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// The catalogue of one visit to the purchase list, with every item's texts
// case-folded once, so that a search keystroke or a category choice over tens
// of thousands of items stays within a frame. Results are positions in the
// catalogue, in catalogue order; the records themselves are never copied.
//
// Matching is "contains, letter case ignored" throughout: the category value
// "A" keeps items whose category reads "a", "AB" or "XA".
class CatalogueFilter
{
public:
    static constexpr int kCategories = 6;
    using Rows = QList<qsizetype>;
    using Categories = std::array<QString, kCategories>; // an empty value filters nothing

    void setItems(const QList<Material>& items);
    const QList<Material>& items() const { return _items; }
    qsizetype size() const { return _items.size(); }
    const Material& at(qsizetype row) const { return _items.at(row); }

    // Every position, in order.
    Rows all() const;
    // The items whose code, description, six categories or brand name
    // contain the keyword. An empty keyword keeps everything.
    Rows search(const QString& keyword) const;
    // The items whose category n contains the n-th value, for every
    // non-empty value.
    Rows filter(const Categories& values) const;
    // The distinct non-empty values of the six categories among the given
    // items, each list in the order the values are first met.
    std::array<QStringList, kCategories> categoryValues(const Rows& rows) const;

    // Category n (0 to 5) of an item.
    static const QString& category(const Material& item, int n);

private:
    QList<Material> _items;
    // The nine searched texts of each item, folded and joined by a character
    // a keyword typed on a keyboard does not hold, so one search covers all
    // nine without matching across two of them.
    QStringList _searchText;
    // A catalogue holds few distinct values per category: each category's
    // values are kept once (with their folded form) and every item refers to
    // its value by number, -1 for none. Filters then test each value once,
    // and value lists are gathered by number instead of by text.
    struct Category
    {
        QStringList values;
        QStringList folded;
        QList<int> valueOfItem;
    };
    std::array<Category, kCategories> _categories;
};
