#include "shifts/Shift.h"

#include "core/Error.h"
#include "sales/Payments.h"
#include "shifts/SlipHandOff.h"
#include "store/Connection.h"

namespace shifts {

namespace {

const QString Cash = QStringLiteral("现金");

// The open shift keeps the start it was opened with; a shift begins at the cashier's last handover,
// whose last history row it goes on from, or else at the login.
void findStart(store::Connection& connection, const QDateTime& loggedInAt, Shift& shift)
{
    const std::optional<store::ShiftRecord> handedOver = store::lastHandoverOf(connection, shift.cashier);
    if (handedOver)
        shift.afterRow = handedOver->lastRow;
    if (const std::optional<store::ShiftRecord> open = store::openShiftOf(connection, shift.cashier)) {
        shift.openId = open->id;
        shift.floatFen = open->floatFen;
        shift.start = open->start;
        return;
    }
    shift.start = handedOver ? handedOver->end : timeText(loggedInAt);
}

} // namespace

QString timeText(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

sales::Fen expectedCash(const CashCount& cash)
{
    return cash.floatFen + cash.received - cash.change - cash.refunded;
}

sales::Fen cashDifference(sales::Fen counted, sales::Fen expected)
{
    return counted - expected;
}

CashCount Shift::cash() const
{
    return {floatFen, figures.cashReceived, figures.cashChange, -figures.refundedIn(Cash)};
}

Shift readShift(store::Connection& connection, const QString& cashier, const QDateTime& loggedInAt,
                const QDateTime& now)
{
    if (cashier.isEmpty())
        throw core::Error(QStringLiteral("还没有登录，无法交班。"));
    Shift shift;
    shift.cashier = cashier;
    findStart(connection, loggedInAt, shift);
    shift.end = timeText(now);
    // A clock set back would give a shift that ends before it starts, and no sales in it.
    if (shift.end < shift.start)
        throw core::Error(QStringLiteral("电脑时钟（%1）早于本班的开始时间（%2），请先校正时钟再交班。")
                              .arg(shift.end, shift.start));
    shift.figures = store::readPeriod(connection, {shift.start, shift.end, shift.afterRow}, cashier,
                                     store::PeriodReading::EveryEntry);
    return shift;
}

void keepFloat(store::Connection& connection, const Shift& shift, sales::Fen floatFen)
{
    if (floatFen == shift.floatFen)
        return;
    store::Transaction transaction(connection);
    store::keepShiftFloat(connection, shift.cashier, shift.start, floatFen);
    transaction.commit();
}

HandedOver handOver(store::Connection& connection, const QString& cashier, const QDateTime& loggedInAt,
                    sales::Fen floatFen, sales::Fen counted, const QDateTime& now, SlipHandOff* slip)
{
    if (slip)
        slip->ready();
    HandedOver handed;
    store::Transaction transaction(connection);
    // Read again in the transaction: nothing recorded meanwhile is left out of the slip.
    handed.shift = readShift(connection, cashier, loggedInAt, now);
    handed.shift.floatFen = floatFen;
    handed.counted = counted;
    const Shift& shift = handed.shift;
    store::ShiftRecord record;
    record.id = shift.openId;
    record.cashier = shift.cashier;
    record.start = shift.start;
    record.end = shift.end;
    record.sales = shift.figures.sales;
    record.paidFen = shift.figures.paidTotal();
    record.refundedFen = shift.figures.refundedTotal();
    record.floatFen = floatFen;
    record.expectedFen = shift.expected();
    record.countedFen = counted;
    record.differenceFen = handed.difference();
    record.lastRow = store::lastHistoryRow(connection);
    store::writeHandedOverShift(connection, record);
    if (slip)
        slip->print(handoverSlip(shift, counted), QStringLiteral("交班单 %1 %2").arg(shift.cashier, shift.end));
    transaction.commit();
    if (slip)
        handed.notice = slip->waitForPrinter();
    return handed;
}

QString entriesText(int entries)
{
    return QStringLiteral("%1笔").arg(entries);
}

void addPaymentLines(printing::ClosingSlip& slip, const store::PeriodFigures& figures)
{
    slip.add(QStringLiteral("销售笔数："), QString::number(figures.sales));
    for (const store::MethodTotal& paid : figures.paid)
        slip.add(paid.method, sales::formatYuan(paid.fen), entriesText(paid.entries));
    slip.add(QStringLiteral("销售合计："), sales::formatYuan(figures.paidTotal()));
    slip.add(QStringLiteral("退货笔数："), QString::number(figures.returns));
    for (const store::MethodTotal& refund : figures.refunded)
        slip.add(QStringLiteral("退款 ") + refund.method, sales::formatYuan(refund.fen), entriesText(refund.entries));
    slip.add(QStringLiteral("退款合计："), sales::formatYuan(figures.refundedTotal()));
    slip.add(QStringLiteral("净收入："), sales::formatYuan(figures.paidTotal() + figures.refundedTotal()));
}

printing::ClosingSlip handoverSlip(const Shift& shift, sales::Fen counted)
{
    printing::ClosingSlip slip;
    slip.title = QStringLiteral("交班单");
    slip.add(QStringLiteral("收银员：") + shift.cashier);
    slip.add(QStringLiteral("开始：") + shift.start);
    slip.add(QStringLiteral("交班：") + shift.end);
    slip.addRule();
    addPaymentLines(slip, shift.figures);
    slip.addRule();
    const CashCount cash = shift.cash();
    slip.add(QStringLiteral("备用金："), sales::formatYuan(cash.floatFen));
    slip.add(QStringLiteral("现金收款："), sales::formatYuan(cash.received));
    slip.add(QStringLiteral("找零："), sales::formatYuan(cash.change));
    slip.add(QStringLiteral("现金退款："), sales::formatYuan(cash.refunded));
    slip.add(QStringLiteral("应有现金："), sales::formatYuan(expectedCash(cash)));
    slip.add(QStringLiteral("实点现金："), sales::formatYuan(counted));
    slip.add(QStringLiteral("差额："), sales::formatYuan(cashDifference(counted, expectedCash(cash))));
    slip.addRule();
    slip.add(QStringLiteral("交班人签字："));
    return slip;
}

} // namespace shifts
