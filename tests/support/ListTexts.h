#pragma once

#include <QStringList>

// One text per element, in order: a list compared as one value, so that a
// failure shows the whole list side by side with the expected one.
template <class List, class Text> QStringList texts(const List& list, Text text)
{
    QStringList out;
    for (const auto& element : list)
        out << text(element);
    return out;
}

// The SKU codes of items or order lines: what a list shows.
template <class Rows> QStringList skuCodes(const Rows& rows)
{
    return texts(rows, [](const auto& row) { return row.skuCode; });
}
