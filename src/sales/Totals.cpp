#include "sales/Totals.h"

#include "store/Dataset.h"
#include "store/Numbers.h"

#include <QStringList>
#include <cmath>

namespace sales {

namespace {

constexpr long double UnitsPerOne = 10000.0L;

const QString QuantityColumn = QStringLiteral("数量");
const QString AmountColumn = QStringLiteral("金额");
const QString AfterDiscountColumn = QStringLiteral("折后");

} // namespace

void TenThousandthsSum::add(double value)
{
    // nearbyint rounds in the current mode, which is to nearest with ties to even.
    m_units += static_cast<qint64>(std::nearbyint(static_cast<long double>(value) * UnitsPerOne));
}

void TenThousandthsSum::addText(const QString& text)
{
    if (text.isEmpty())
        return;
    add(static_cast<double>(store::parseNumber(text)));
}

QString roundedTotalText(qint64 tenThousandths)
{
    const QString plain = store::formatNumber(static_cast<long double>(tenThousandths) / UnitsPerOne);
    const double readBack = static_cast<double>(store::parseNumber(plain));
    return store::formatNumber(store::roundToCents(readBack));
}

Totals totalsOf(store::Dataset& lines)
{
    TenThousandthsSum quantity;
    TenThousandthsSum amount;
    TenThousandthsSum afterDiscount;
    const int count = lines.recordCount();
    if (count > 0) {
        const QStringList columns = lines.columnNames();
        const qsizetype quantityAt = columns.indexOf(QuantityColumn);
        const qsizetype amountAt = columns.indexOf(AmountColumn);
        const qsizetype afterDiscountAt = columns.indexOf(AfterDiscountColumn);
        for (int row = 0; row < count; ++row) {
            const QStringList values = lines.rowTexts(row);
            quantity.addText(values.value(quantityAt));
            amount.addText(values.value(amountAt));
            afterDiscount.addText(values.value(afterDiscountAt));
        }
    }
    return {roundedTotalText(quantity.units()), roundedTotalText(amount.units()),
            roundedTotalText(afterDiscount.units())};
}

} // namespace sales
