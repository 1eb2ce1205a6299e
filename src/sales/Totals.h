#pragma once

#include <QString>
#include <QtGlobal>

namespace store {
class Dataset;
}

namespace sales {

// The largest price, quantity, line amount or total a sale takes, in yuan. Its sums stay exact
// in ten-thousandths and every cent still shows in 15 significant digits.
inline constexpr long double LargestAmount = 1e12L;

// What the cashier is told about a value or a total beyond LargestAmount.
QString outOfRangeMessage();

// A running sum kept in whole ten-thousandths: each value is scaled by 10000 and rounded to
// the nearest whole number, ties to even, before it is added. A NULL adds nothing. A value or
// sum beyond what 64 bits hold throws core::Error instead of wrapping round to a negative total.
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

// The texts of a line about to be stored.
struct LineTexts
{
    QString price;
    QString quantity;
    QString amount;
    QString afterDiscount;
};

// Whether the line, stored in place of the row at replacedIndex (0-based; -1 to add it), keeps
// every one of its values and every total of the sale within LargestAmount. Throws core::Error
// when a text is not a number.
bool lineFitsTheSale(store::Dataset& lines, const LineTexts& line, int replacedIndex);

} // namespace sales
