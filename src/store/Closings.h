#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace store {

class Connection;

// A stretch of the history: the entries dated in [from, until), and those recorded after the
// previous stretch ended (rowid beyond afterRow, none when unknown) but dated before from.
struct Period
{
    QString from, until; // as xstj.时间; from "" for the start of the history
    std::optional<qint64> afterRow;
};

// What the history holds over a period; money in fen.
struct MethodTotal
{
    QString method; // 现金, 微信, 支付宝, 银行卡
    int entries = 0;
    qint64 fen = 0; // a refund's negative
};

struct PeriodFigures
{
    int sales = 0, returns = 0;
    QList<MethodTotal> paid;     // the sales', by method
    QList<MethodTotal> refunded; // the returns', by method (negative)
    qint64 cashReceived = 0, cashChange = 0; // of the sales paid in cash
    qint64 paidTotal() const;
    qint64 refundedTotal() const; // negative
    qint64 refundedIn(const QString& method) const; // negative
};

// How a period is read. A day close reads the calendar days wholly inside it from the per-day
// totals (rtj, rfk, rsp) and only its edges entry by entry, so the first close of a shop, which
// covers its whole history, is as quick as any; the goods are read entry by entry while an
// upgrade's goods totals are still being filled. A shift reads every entry: the totals keep no
// cash received and change. Both give the same figures, as the totals always equal the history.
enum class PeriodReading { WholeDaysFromTotals, EveryEntry };

// cashier "" reads every cashier's entries. cashReceived and cashChange only when read entry by
// entry.
PeriodFigures readPeriod(Connection& connection, const Period& period, const QString& cashier,
                         PeriodReading reading);

struct NamedTotal
{
    QString name;
    double quantity = 0; // goods: the quantity sold less returned; cashiers: their sales
    qint64 fen = 0;      // net of returns
};

// 单号 of the period's first and last sale ("" when none).
std::pair<QString, QString> firstAndLastSale(Connection& connection, const Period& period,
                                             PeriodReading reading);
QList<NamedTotal> cashierTotals(Connection& connection, const Period& period,
                                PeriodReading reading);
QList<NamedTotal> topGoods(Connection& connection, const Period& period,
                           PeriodReading reading); // ten at most
// The largest xstj rowid now; none for an empty history.
std::optional<qint64> lastHistoryRow(Connection& connection);

struct ShiftRecord
{
    qint64 id = 0;
    QString cashier, start, end;
    int sales = 0;
    qint64 paidFen = 0, refundedFen = 0, floatFen = 0, expectedFen = 0, countedFen = 0, differenceFen = 0;
    std::optional<qint64> lastRow; // 末行
};

QList<ShiftRecord> shiftsEnded(Connection& connection, const QString& from, const QString& until); // by 结束
// The cashier's shift not yet handed over (id, start and float only), if one was opened.
std::optional<ShiftRecord> openShiftOf(Connection& connection, const QString& cashier);
// The cashier's latest handover (its end and last row only), if any.
std::optional<ShiftRecord> lastHandoverOf(Connection& connection, const QString& cashier);
// Keeps the float typed for the open shift, opening it at start when there is none.
void keepShiftFloat(Connection& connection, const QString& cashier, const QString& start, qint64 floatFen);
// The handed-over shift: closes the open one (record.id) or, with id 0, inserts it closed.
void writeHandedOverShift(Connection& connection, const ShiftRecord& record);

struct DayCloseRecord
{
    qint64 number = 0; // Z号
    QString start, end, closedBy;
    std::optional<qint64> lastRow; // 末行
    int sales = 0;
    qint64 fen = 0;
    QString report; // as printed
};

// The newest close (its end and last row only), none before the first.
std::optional<DayCloseRecord> lastDayClose(Connection& connection);
qint64 insertDayClose(Connection& connection, const DayCloseRecord& record); // the Z号 given
void setDayCloseReport(Connection& connection, qint64 number, const QString& report); // in its transaction
QList<DayCloseRecord> dayCloses(Connection& connection);                       // newest first, without report
std::optional<DayCloseRecord> dayClose(Connection& connection, qint64 number);

} // namespace store
