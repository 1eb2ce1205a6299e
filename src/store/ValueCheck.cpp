#include "store/ValueCheck.h"

#include "store/Catalogue.h"
#include "store/Numbers.h"

#include <cmath>

namespace store {

namespace {

CheckedValue checkNumber(const QString& text)
{
    if (text.isEmpty())
        return {QVariant(), std::nullopt};
    long double value = 0;
    if (!tryParseNumber(text, &value))
        return {QVariant(), ValueRefusal{ValueRefusal::Reason::NotANumber}};
    // A column holds a double: a number beyond its range is refused, not stored as infinity.
    if (!std::isfinite(static_cast<double>(value)))
        return {QVariant(), ValueRefusal{ValueRefusal::Reason::TooLarge}};
    return {static_cast<double>(value), std::nullopt};
}

CheckedValue checkText(const QString& text, int width)
{
    // Characters as the engine counts them: an emoji is one, not two UTF-16 units.
    const qsizetype characters = text.toUcs4().size();
    if (width > 0 && characters > width)
        return {QVariant(), ValueRefusal{ValueRefusal::Reason::TooLong, characters, width}};
    return {text, std::nullopt};
}

} // namespace

CheckedValue checkValue(const QString& table, const QString& column, const QString& text)
{
    const ColumnRule rule = columnRule(table, column);
    return rule.isNumber ? checkNumber(text) : checkText(text, rule.width);
}

} // namespace store
