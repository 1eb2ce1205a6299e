#pragma once

#include "core/LoggedInUser.h"
#include "sales/Payments.h"
#include "store/SaleReturns.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace store {
class Connection;
}

namespace records {

// What a return takes back of one sold line: a quantity and, in fen, its share of the line's
// amounts (positive).
struct ReturnPart
{
    int line = 0; // in SaleOnRecord::lines
    double quantity = 0;
    sales::Fen amount = 0, afterDiscount = 0;
};

struct ReturnPlan
{
    QList<ReturnPart> parts;
    double quantity = 0;
    sales::Fen amount = 0, afterDiscount = 0; // afterDiscount is the refund
    bool takesTheRest = false;                // nothing of the sale is left afterwards
};

// What is left to return of a sold line.
double remainingOf(const store::SoldLine& line);

// Why the entry cannot be returned at all ("" when it can): not found, a return itself, a number
// two entries share, nothing left.
QString whyNotReturnable(const store::SaleOnRecord& sale);

// A typed quantity: a number, not negative; nothing for any other text.
std::optional<double> quantityOf(const QString& text);

// quantities[i] is what to take back now of sale.lines[i] (0: nothing). A part of a line gets its
// share of the line's amounts rounded to fen; the part that takes the last of a line gets what is
// left of it, and the return that takes the last of the sale gets what is left of the sale's
// totals, so the returns of a sale add up to the sale exactly. Throws core::Error naming the line
// when a quantity is beyond what is left, and when nothing is taken back at all.
ReturnPlan planReturn(const store::SaleOnRecord& sale, const QList<double>& quantities);

// The refund goes back the way the sale was paid: its first payment, or cash.
sales::PayMethod defaultRefundMethod(const store::SaleOnRecord& sale);

// "TH" and the moment as yyyyMMddHHmmss.
QString returnNumberAt(const QDateTime& at);

// The user of that name (the first, as the login takes it) is an administrator with that password.
bool administratorConfirms(store::Connection& connection, const QString& name, const QString& password);

struct ReturnRequest
{
    QString saleNumber;
    QHash<qint64, double> quantities; // by the sold line's rowid
    sales::PayMethod method = sales::PayMethod::Cash;
    core::LoggedInUser returnedBy;
    // Asked of anyone who is not an administrator.
    QString authoriserName, authoriserPassword;
    QDateTime at;
};

struct RecordedReturn
{
    struct Line
    {
        QString goods;
        double quantity = 0;               // taken back, positive
        sales::Fen afterDiscount = 0;      // refunded for it
    };
    QString number, originalNumber, time, cashier, authorisedBy;
    sales::PayMethod method = sales::PayMethod::Cash;
    double quantity = 0;
    sales::Fen refund = 0;
    QList<Line> lines;
    QString notice; // what the cashier must be told about the slip; "" when it printed
};

// Where the return slip goes. ready() runs before anything is written (a printer that cannot take
// it refuses the return); print() inside the return's transaction, so a slip that cannot be
// printed leaves nothing recorded; waitForPrinter() after the commit.
class SlipHandOff
{
public:
    virtual ~SlipHandOff() = default;
    virtual void ready() = 0;
    virtual void print(const RecordedReturn& recorded) = 0;
    virtual QString waitForPrinter() = 0;
};

// Records the return in one transaction, checking there, against what is stored then, the sale,
// the quantities and the authoriser: an xstj entry of its own ("TH" + the time, one second on
// while that is taken) with negative totals, 原单号 and 授权人; one xsmx row per part with 原行; one
// xsfk refund row. Throws core::Error with nothing written when anything is refused.
RecordedReturn recordReturn(store::Connection& connection, const ReturnRequest& request, SlipHandOff* slip = nullptr);

} // namespace records
