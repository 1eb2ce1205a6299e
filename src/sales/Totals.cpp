#include "sales/Totals.h"

#include "core/Error.h"
#include "store/Dataset.h"
#include "store/Numbers.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace sales {

namespace {

constexpr long double UnitsPerOne = 10000.0L;
// Whole ten-thousandths a single value may bring: far beyond any sale, well inside 64 bits.
constexpr long double LargestUnits = 1e17L;

const QString QuantityColumn = QStringLiteral("数量");
const QString AmountColumn = QStringLiteral("金额");
const QString AfterDiscountColumn = QStringLiteral("折后");

} // namespace

QString outOfRangeMessage()
{
    return QStringLiteral("数值太大：单价、数量、金额以及各项合计都不能超过 1000000000000（一万亿）。");
}

void TenThousandthsSum::add(double value)
{
    // nearbyint rounds in the current mode, which is to nearest with ties to even.
    const long double scaled = std::nearbyint(static_cast<long double>(value) * UnitsPerOne);
    qint64 sum = 0;
    if (!(std::fabs(scaled) <= LargestUnits) || __builtin_add_overflow(m_units, static_cast<qint64>(scaled), &sum))
        throw core::Error(outOfRangeMessage());
    m_units = sum;
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

bool lineFitsTheSale(store::Dataset& lines, const LineTexts& line, int replacedIndex)
{
    auto numberOf = [](const QString& text) { return text.isEmpty() ? 0.0L : store::parseNumber(text); };
    auto withinRange = [](long double value) { return std::fabs(value) <= LargestAmount; };
    const long double quantity = numberOf(line.quantity);
    const long double amount = numberOf(line.amount);
    const long double afterDiscount = numberOf(line.afterDiscount);
    if (!withinRange(numberOf(line.price)) || !withinRange(quantity) || !withinRange(amount) ||
        !withinRange(afterDiscount))
        return false;
    // Summed in extended precision, which no number of stored rows overflows, only to be compared.
    long double totals[] = {quantity, amount, afterDiscount};
    const int count = lines.recordCount();
    if (count > 0) {
        const QStringList columns = lines.columnNames();
        const qsizetype at[] = {columns.indexOf(QuantityColumn), columns.indexOf(AmountColumn),
                                columns.indexOf(AfterDiscountColumn)};
        for (int row = 0; row < count; ++row) {
            if (row == replacedIndex)
                continue;
            const QStringList texts = lines.rowTexts(row);
            for (int total = 0; total < 3; ++total)
                totals[total] += numberOf(texts.value(at[total]));
        }
    }
    return std::all_of(std::begin(totals), std::end(totals), withinRange);
}

} // namespace sales
