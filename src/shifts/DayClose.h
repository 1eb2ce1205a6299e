#pragma once

#include "core/LoggedInUser.h"
#include "printing/ClosingSlip.h"
#include "store/Closings.h"

#include <QDateTime>
#include <QString>

namespace store {
class Connection;
}

namespace shifts {

class SlipHandOff;

// The business day not yet closed: from the previous close (or the start of the history) up to
// now. A day ends when it is closed, not at midnight; what happens at or after the close's second
// belongs to the next day, and a return counts on the day it is made. An entry recorded after a
// close but dated before it (a forgotten sale typed in with its time) counts on the day it is
// recorded in.
struct BusinessDay
{
    QString start, end; // start "" before the first close
    std::optional<qint64> afterRow; // the previous close's last history row
    store::PeriodFigures figures;
    QString firstNumber, lastNumber;
    QList<store::NamedTotal> cashiers, goods;
    QList<store::ShiftRecord> shifts;

    bool isEmpty() const { return figures.sales == 0 && figures.returns == 0 && shifts.isEmpty(); }
};

// The day open at now, as a close would report it; read every entry only to check the totals.
BusinessDay readBusinessDay(store::Connection& connection, const QDateTime& now,
                            store::PeriodReading reading = store::PeriodReading::WholeDaysFromTotals);

// The report of a day closed as number (Z号) by closedBy.
printing::ClosingSlip dayCloseSlip(const BusinessDay& day, qint64 number, const QString& closedBy);

// The report as it is kept, and back.
QString snapshotOf(const printing::ClosingSlip& slip);
printing::ClosingSlip slipFromSnapshot(const QString& snapshot);

struct ClosedDay
{
    qint64 number = 0;
    printing::ClosingSlip slip;
    QString notice; // what the administrator must be told about the slip; "" when it printed
};

// Closes the business day at now and prints its report, in one transaction: the report is kept
// as printed under the next Z号, which the store never gives twice. Throws core::Error with
// nothing written for anyone but an administrator, for a day with nothing in it, a clock set
// before the previous close, and when the slip cannot print.
ClosedDay closeBusinessDay(store::Connection& connection, const core::LoggedInUser& by, const QDateTime& now,
                           SlipHandOff* slip);

// Prints a kept report again, marked as a reprint; what must be told about the slip, else "".
QString reprintDayClose(store::Connection& connection, qint64 number, SlipHandOff* slip);

QString dayCloseDocumentName(qint64 number); // "日结 Z号 12"

} // namespace shifts
