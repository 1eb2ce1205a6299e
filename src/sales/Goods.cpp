#include "sales/Goods.h"

#include "store/Catalogue.h"
#include "store/Dataset.h"

namespace sales {

namespace {

const QString NameColumn = QStringLiteral("品名");
const QString PriceColumn = QStringLiteral("单价");

void writeGoods(store::Dataset& goods, const QString& name, const QString& price)
{
    goods.setField(NameColumn, name);
    goods.setField(PriceColumn, price);
    goods.post();
}

} // namespace

void lookUpGoods(store::Dataset& goods, const QString& name)
{
    goods.requery(store::sql::GoodsByName, name);
}

void updateGoods(store::Dataset& goods, const QString& foundName, const QString& name, const QString& price)
{
    if (name != foundName) {
        goods.append();
    } else {
        goods.first();
        // On an empty result this inserts: an empty name nobody has stored yet is added too.
        goods.edit();
    }
    writeGoods(goods, name, price);
}

} // namespace sales
