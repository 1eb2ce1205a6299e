#pragma once

#include "printing/ClosingSlip.h"
#include "sales/Money.h"
#include "store/Closings.h"

#include <QDateTime>
#include <QString>

namespace store {
class Connection;
}

namespace shifts {

class SlipHandOff;

// How history times are written: they compare as text in time order.
QString timeText(const QDateTime& at);

// What the drawer should hold: the float, plus the cash taken, less the change given and the cash
// refunded (all positive).
struct CashCount
{
    sales::Fen floatFen = 0, received = 0, change = 0, refunded = 0;
};
sales::Fen expectedCash(const CashCount& cash);
sales::Fen cashDifference(sales::Fen counted, sales::Fen expected); // over is positive, short negative

// The logged-in cashier's shift up to now: from the open shift's start, else the cashier's last
// handover, else the login; the cashier's own sales and returns in it, with those recorded since
// the last handover but dated before it.
struct Shift
{
    qint64 openId = 0; // jb row of the open shift, 0 when none was opened
    QString cashier, start, end;
    std::optional<qint64> afterRow; // the last handover's last history row
    sales::Fen floatFen = 0;
    store::PeriodFigures figures;

    CashCount cash() const;
    sales::Fen expected() const { return expectedCash(cash()); }
};

Shift readShift(store::Connection& connection, const QString& cashier, const QDateTime& loggedInAt,
                const QDateTime& now);

// The float typed for the shift, kept on its open row until the handover.
void keepFloat(store::Connection& connection, const Shift& shift, sales::Fen floatFen);

struct HandedOver
{
    Shift shift;
    sales::Fen counted = 0;
    QString notice; // what the cashier must be told about the slip; "" when it printed
    sales::Fen difference() const { return cashDifference(counted, shift.expected()); }
};

// Records the shift as handed over at now, with the float and the cash counted, and prints its
// slip, in one transaction that reads the figures again: the next shift begins at now. Throws
// core::Error with nothing written when the slip cannot print or the store refuses.
HandedOver handOver(store::Connection& connection, const QString& cashier, const QDateTime& loggedInAt,
                    sales::Fen floatFen, sales::Fen counted, const QDateTime& now, SlipHandOff* slip);

printing::ClosingSlip handoverSlip(const Shift& shift, sales::Fen counted);

// Lines shared with the day close: the sales and returns by method.
void addPaymentLines(printing::ClosingSlip& slip, const store::PeriodFigures& figures);
QString entriesText(int entries); // "3笔"

} // namespace shifts
