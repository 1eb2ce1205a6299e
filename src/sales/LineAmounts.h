#pragma once

#include <QString>
#include <QStringList>

namespace sales {

// The two result boxes of the line being entered, as their texts.
struct LineAmounts
{
    QString amount;        // 金额 = price x quantity
    QString afterDiscount; // 折后 = discount x amount x 0.1
};

// From the texts of the price, quantity and discount boxes, in extended precision; throws
// core::Error when a text is not a number (a lone "." for instance).
LineAmounts computeLineAmounts(const QString& price, const QString& quantity, const QString& discount);

// The discount pick list in tenths: "10", "9.9", ..., "1.0", "0.9", ..., "0.1".
QStringList discountItems();

// "抹零": the whole part of a number text, cut towards zero (31.875 gives 31).
QString dropFraction(const QString& text);

// The change box: received less the amount due, in extended precision, not rounded further.
QString changeText(const QString& received, const QString& due);

} // namespace sales
