#pragma once

#include <QString>
#include <QtGlobal>

namespace store {
class Dataset;
}

namespace sales {

// A running sum kept in whole ten-thousandths: each value is scaled by 10000 and rounded to
// the nearest whole number, ties to even, before it is added. A NULL adds nothing.
class TenThousandthsSum
{
public:
    void add(double value);
    void addText(const QString& text); // "" adds nothing; throws on a non-number
    qint64 units() const { return m_units; }

private:
    qint64 m_units = 0;
};

// The sum as the totals bar shows it: written as text, read back, then the two-decimal
// rounding (31.875 gives 31.87).
QString roundedTotalText(qint64 tenThousandths);

// The three totals of the sale: sums of 数量, 金额 and 折后 over every row of the lines.
struct Totals
{
    QString quantity;
    QString amount;
    QString afterDiscount; // the amount due
};

// Reads the rows without moving the dataset's current row, so the grid's selection stays.
Totals totalsOf(store::Dataset& lines);

} // namespace sales
