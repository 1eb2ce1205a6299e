#include "settings/GoodsPrice.h"

#include "store/Error.h"
#include "store/Numbers.h"

#include <cmath>

namespace settings {

namespace {

constexpr int ShownDigits = 20;

QString shortened(const QString& text)
{
    return text.size() <= ShownDigits ? text : text.left(ShownDigits) + QStringLiteral("…");
}

} // namespace

void requireStorablePrice(const QString& text)
{
    long double value = 0;
    if (!store::tryParseNumber(text, &value))
        return;
    if (!std::isfinite(static_cast<double>(value)))
        throw store::Error(QStringLiteral("单价“%1”（%2 位数字）太大，无法保存").arg(shortened(text)).arg(text.size()));
}

} // namespace settings
