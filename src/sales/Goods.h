#pragma once

#include <QString>

namespace store {
class Dataset;
}

namespace sales {

// Catalogue lookup: re-query goods on the rows whose 品名 equals the name exactly, so
// picking 苹果 never takes 青苹果's price. The callers read the first row.
void lookUpGoods(store::Dataset& goods, const QString& name);

// Catalogue update, right after a lookup: foundName is the first row's 品名 ("" without a
// row). A name the catalogue lacks is appended with the line's price; otherwise the first
// row takes the name and the price.
void updateGoods(store::Dataset& goods, const QString& foundName, const QString& name, const QString& price);

} // namespace sales
