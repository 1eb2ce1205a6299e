#pragma once

#include "printing/PrintRun.h"

#include <QString>

namespace printing {

// What marks a receipt printed again, beside its receipt number.
inline const QString ReprintMark = QStringLiteral("重打");

// Prints the receipt of the recorded sale `number` again from xstj and xsmx (its own number,
// time, cashier, customer, phone, lines and totals) with the width, copies, switches and remark
// that `settings` carries, through the print run's own receipt path. The history is only read.
// The amount received and the change are not kept in the history, so their lines are left off.
// Returns what the cashier must be told when the receipt is still waiting in the queue, else "".
// Throws core::Error when the sale or its lines are not found, the width or copies print
// nothing, or printing fails.
QString reprintSale(const QString& number, const SaleToPrint& settings, TDy58Form& dy58, TDy76Form& dy76);

} // namespace printing
