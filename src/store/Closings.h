#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace store {

class Connection;

// What the history holds over a time range [from, until) of xstj.时间; money in fen.
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

// cashier "" reads every cashier's entries.
PeriodFigures readPeriod(Connection& connection, const QString& from, const QString& until, const QString& cashier);

struct NamedTotal
{
    QString name;
    double quantity = 0; // goods: the quantity sold less returned; cashiers: their sales
    qint64 fen = 0;      // net of returns
};

// 单号 of the period's first and last sale ("" when none).
std::pair<QString, QString> firstAndLastSale(Connection& connection, const QString& from, const QString& until);
QList<NamedTotal> cashierTotals(Connection& connection, const QString& from, const QString& until);
QList<NamedTotal> topGoods(Connection& connection, const QString& from, const QString& until); // ten at most

struct ShiftRecord
{
    qint64 id = 0;
    QString cashier, start, end;
    int sales = 0;
    qint64 paidFen = 0, refundedFen = 0, floatFen = 0, expectedFen = 0, countedFen = 0, differenceFen = 0;
};

QList<ShiftRecord> shiftsEnded(Connection& connection, const QString& from, const QString& until);
// The cashier's shift not yet handed over (id, start and float only), if one was opened.
std::optional<ShiftRecord> openShiftOf(Connection& connection, const QString& cashier);
QString lastHandoverOf(Connection& connection, const QString& cashier); // "" when none
// Keeps the float typed for the open shift, opening it at start when there is none.
void keepShiftFloat(Connection& connection, const QString& cashier, const QString& start, qint64 floatFen);
// The handed-over shift: closes the open one (record.id) or, with id 0, inserts it closed.
void writeHandedOverShift(Connection& connection, const ShiftRecord& record);

struct DayCloseRecord
{
    qint64 number = 0; // Z号
    QString start, end, closedBy;
    int sales = 0;
    qint64 fen = 0;
    QString report; // as printed
};

QString lastDayCloseEnd(Connection& connection); // "" before the first close
qint64 insertDayClose(Connection& connection, const DayCloseRecord& record); // the Z号 given
void setDayCloseReport(Connection& connection, qint64 number, const QString& report); // in its transaction
QList<DayCloseRecord> dayCloses(Connection& connection);                       // newest first, without report
std::optional<DayCloseRecord> dayClose(Connection& connection, qint64 number);

} // namespace store
