#include "sales/LineAmounts.h"

#include "store/Numbers.h"

#include <cmath>

namespace sales {

namespace {

// The extended-precision constant nearest to one tenth, as the discount rule asks for.
constexpr long double OneTenth = 0.1L;

} // namespace

LineAmounts computeLineAmounts(const QString& price, const QString& quantity, const QString& discount)
{
    const long double p = store::parseNumber(price);
    const long double q = store::parseNumber(quantity);
    const long double d = store::parseNumber(discount);
    const long double amount = p * q;
    return {store::formatNumber(amount), store::formatNumber(d * amount * OneTenth)};
}

QStringList discountItems()
{
    QStringList items{QStringLiteral("10")};
    // Whole tenths counted down as integers, so no step drifts.
    for (int tenths = 99; tenths >= 1; --tenths)
        items << QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
    return items;
}

QString dropFraction(const QString& text)
{
    return store::formatNumber(std::trunc(store::parseNumber(text)));
}

QString changeText(const QString& received, const QString& due)
{
    return store::formatNumber(store::parseNumber(received) - store::parseNumber(due));
}

} // namespace sales
