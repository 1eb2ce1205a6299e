#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace sales {

// Money counted in fen (0.01 yuan): every amount that is paid, handed over, given back or
// refunded is a whole number of fen, so sums and differences are exact.
using Fen = qint64;

// "38.38", "100", "0.5", " 12. " → fen; empty text, a third decimal, a sign, a letter or an
// amount beyond sales::LargestAmount give nothing.
std::optional<Fen> parseYuan(const QString& text);

// An amount in yuan as kept in the history (REAL columns), rounded half away from zero to fen.
Fen fenOf(double yuan);

// "61.62", "-5.00", "0.00": always two decimals, no thousands separator.
QString formatYuan(Fen fen);

// Back to yuan for the REAL columns and the number boxes.
double yuanOf(Fen fen);

} // namespace sales
