#include "sales/Money.h"

#include "sales/Totals.h"

#include <QRegularExpression>

#include <cmath>

namespace sales {

std::optional<Fen> parseYuan(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^(\\d{1,13})(?:\\.(\\d{0,2}))?$|^\\.(\\d{1,2})$"));
    const QRegularExpressionMatch m = shape.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QString whole = m.captured(1);
    const QString cents = (whole.isEmpty() ? m.captured(3) : m.captured(2)).leftJustified(2, QLatin1Char('0'));
    const Fen fen = whole.toLongLong() * 100 + cents.toLongLong();
    if (static_cast<long double>(fen) > LargestAmount * 100)
        return std::nullopt;
    return fen;
}

Fen fenOf(double yuan)
{
    // The history's REAL amounts are two-decimal values stored in binary: 38.38 is 38.3799999...;
    // rounding the scaled value, not cutting it, gives the fen that were meant.
    return static_cast<Fen>(std::llround(static_cast<long double>(yuan) * 100.0L));
}

QString formatYuan(Fen fen)
{
    const Fen magnitude = fen < 0 ? -fen : fen;
    return QStringLiteral("%1%2.%3")
        .arg(fen < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

double yuanOf(Fen fen)
{
    return static_cast<double>(fen) / 100.0;
}

} // namespace sales
