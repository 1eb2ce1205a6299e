#pragma once

#include <QString>
#include <QVariant>

namespace store {

// Number texts. Parsing takes optional blanks and sign, digits with at most one '.',
// and an optional exponent; anything else (an empty text, a lone '.') is refused.
bool tryParseNumber(const QString& text, long double* value);
long double parseNumber(const QString& text); // throws store::Error naming the text

// General form: at most 15 significant digits, no trailing zeros, '.' as decimal point,
// scientific ("1E-5", "1E15") only below 0.0001 or from 10^15 up.
QString formatNumber(long double value);

// A stored number as the grids show it (formatNumber); a null is empty, and a text that is no
// number stays as it stands.
QString numberText(const QVariant& value);

// "0.00": exactly two decimals, halves away from zero on the value's 15-digit text.
QString formatFixed2(long double value);

// "#0.##": at least one integer digit, at most two decimals, trailing zeros dropped.
QString formatDisplay(long double value);

// Text -> number -> "0.00" -> number -> text: at most two decimals, no trailing zeros.
QString normalisePrice(const QString& text); // throws on a non-number

// The totals' two-decimal rounding: divide by the double 0.01 in extended precision,
// round half to even, multiply back, store as a double.
double roundToCents(double value);

} // namespace store
