#include "store/Closings.h"

#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Query.h"

namespace store {

namespace {

const QString Reading = QStringLiteral("读取交班和日结的数字");

// A null text binds NULL, which no comparison matches: "before the first close" and "every
// cashier" are the empty text.
QVariant textOf(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

QVariant rowOf(const std::optional<qint64>& row)
{
    return row ? QVariant(*row) : QVariant(QMetaType::fromType<qint64>());
}

Query periodQuery(Connection& connection, const QString& sql, const Period& period)
{
    Query query(connection.openedDatabase(), sql, Reading);
    query.bind(textOf(period.from)).bind(textOf(period.until)).bind(rowOf(period.afterRow)).bind(textOf(period.from));
    return query;
}

qint64 sumOf(const QList<MethodTotal>& totals)
{
    qint64 sum = 0;
    for (const MethodTotal& total : totals)
        sum += total.fen;
    return sum;
}

QVariant nullable(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

} // namespace

qint64 PeriodFigures::paidTotal() const
{
    return sumOf(paid);
}

qint64 PeriodFigures::refundedTotal() const
{
    return sumOf(refunded);
}

qint64 PeriodFigures::refundedIn(const QString& method) const
{
    for (const MethodTotal& total : refunded)
        if (total.method == method)
            return total.fen;
    return 0;
}

PeriodFigures readPeriod(Connection& connection, const Period& period, const QString& cashier)
{
    PeriodFigures figures;
    {
        Query counts = periodQuery(connection, sql::PeriodCounts, period);
        counts.bind(textOf(cashier)).bind(textOf(cashier)).runToFirstRow();
        figures.sales = counts.value(0).toInt();
        figures.returns = counts.value(1).toInt();
    }
    Query payments = periodQuery(connection, sql::PeriodPayments, period);
    payments.bind(textOf(cashier)).bind(textOf(cashier)).run();
    while (payments.next()) {
        const bool isReturn = payments.value(0).toBool();
        const MethodTotal total{payments.value(1).toString(), payments.value(2).toInt(), payments.value(3).toLongLong()};
        (isReturn ? figures.refunded : figures.paid).append(total);
        if (!isReturn && total.method == QStringLiteral("现金")) {
            figures.cashReceived += payments.value(4).toLongLong();
            figures.cashChange += payments.value(5).toLongLong();
        }
    }
    payments.requireNoError();
    return figures;
}

std::pair<QString, QString> firstAndLastSale(Connection& connection, const Period& period)
{
    std::pair<QString, QString> numbers;
    Query first = periodQuery(connection, sql::PeriodFirstSale, period);
    first.run();
    if (first.next())
        numbers.first = first.value(0).toString();
    Query last = periodQuery(connection, sql::PeriodLastSale, period);
    last.run();
    if (last.next())
        numbers.second = last.value(0).toString();
    return numbers;
}

namespace {

QList<NamedTotal> namedTotals(Connection& connection, const QString& sql, const Period& period)
{
    QList<NamedTotal> totals;
    Query query = periodQuery(connection, sql, period);
    query.run();
    while (query.next())
        totals.append({query.value(0).toString(), query.value(1).toDouble(), query.value(2).toLongLong()});
    query.requireNoError();
    return totals;
}

ShiftRecord shiftFrom(const Query& row)
{
    ShiftRecord shift;
    shift.cashier = row.value(0).toString();
    shift.start = row.value(1).toString();
    shift.end = row.value(2).toString();
    shift.sales = row.value(3).toInt();
    shift.paidFen = row.value(4).toLongLong();
    shift.refundedFen = row.value(5).toLongLong();
    shift.floatFen = row.value(6).toLongLong();
    shift.expectedFen = row.value(7).toLongLong();
    shift.countedFen = row.value(8).toLongLong();
    shift.differenceFen = row.value(9).toLongLong();
    if (!row.value(10).isNull())
        shift.lastRow = row.value(10).toLongLong();
    return shift;
}

DayCloseRecord closeFrom(const Query& row)
{
    DayCloseRecord close;
    close.number = row.value(0).toLongLong();
    close.start = row.value(1).toString();
    close.end = row.value(2).toString();
    close.closedBy = row.value(3).toString();
    close.sales = row.value(4).toInt();
    close.fen = row.value(5).toLongLong();
    if (!row.value(6).isNull())
        close.lastRow = row.value(6).toLongLong();
    return close;
}

} // namespace

QList<NamedTotal> cashierTotals(Connection& connection, const Period& period)
{
    return namedTotals(connection, sql::PeriodCashiers, period);
}

QList<NamedTotal> topGoods(Connection& connection, const Period& period)
{
    return namedTotals(connection, sql::PeriodTopGoods, period);
}

std::optional<qint64> lastHistoryRow(Connection& connection)
{
    Query query(connection.openedDatabase(), sql::LastHistoryRow, Reading);
    query.runToFirstRow();
    if (query.value(0).isNull())
        return std::nullopt;
    return query.value(0).toLongLong();
}

QList<ShiftRecord> shiftsEnded(Connection& connection, const QString& from, const QString& until)
{
    QList<ShiftRecord> shifts;
    Query query(connection.openedDatabase(), sql::ShiftsEnded, Reading);
    query.bind(textOf(from)).bind(textOf(until)).run();
    while (query.next())
        shifts.append(shiftFrom(query));
    query.requireNoError();
    return shifts;
}

std::optional<ShiftRecord> openShiftOf(Connection& connection, const QString& cashier)
{
    Query query(connection.openedDatabase(), sql::OpenShift, Reading);
    query.bind(cashier).run();
    if (!query.next())
        return std::nullopt;
    ShiftRecord shift;
    shift.id = query.value(0).toLongLong();
    shift.cashier = cashier;
    shift.start = query.value(1).toString();
    shift.floatFen = query.value(2).toLongLong();
    return shift;
}

std::optional<ShiftRecord> lastHandoverOf(Connection& connection, const QString& cashier)
{
    Query query(connection.openedDatabase(), sql::LastHandover, Reading);
    query.bind(cashier).run();
    if (!query.next())
        return std::nullopt;
    ShiftRecord shift;
    shift.cashier = cashier;
    shift.end = query.value(0).toString();
    if (!query.value(1).isNull())
        shift.lastRow = query.value(1).toLongLong();
    return shift;
}

void keepShiftFloat(Connection& connection, const QString& cashier, const QString& start, qint64 floatFen)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    const QString doing = QStringLiteral("保存备用金");
    if (const std::optional<ShiftRecord> open = openShiftOf(connection, cashier))
        Query(db, sql::UpdateShiftFloat, doing).bind(floatFen).bind(open->id).run();
    else
        Query(db, sql::InsertOpenShift, doing).bind(cashier).bind(start).bind(floatFen).run();
}

void writeHandedOverShift(Connection& connection, const ShiftRecord& r)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    const QString doing = QStringLiteral("保存到 jb");
    if (r.id > 0) {
        Query(db, sql::CloseShift, doing)
            .bind(r.end).bind(r.sales).bind(r.paidFen).bind(r.refundedFen).bind(r.floatFen)
            .bind(r.expectedFen).bind(r.countedFen).bind(r.differenceFen).bind(rowOf(r.lastRow)).bind(r.id)
            .run();
        return;
    }
    Query(db, sql::InsertShift, doing)
        .bind(r.cashier).bind(r.start).bind(r.end).bind(r.sales).bind(r.paidFen).bind(r.refundedFen)
        .bind(r.floatFen).bind(r.expectedFen).bind(r.countedFen).bind(r.differenceFen).bind(rowOf(r.lastRow))
        .run();
}

std::optional<DayCloseRecord> lastDayClose(Connection& connection)
{
    Query query(connection.openedDatabase(), sql::LastDayCloseEnd, Reading);
    query.run();
    if (!query.next())
        return std::nullopt;
    DayCloseRecord close;
    close.end = query.value(0).toString();
    if (!query.value(1).isNull())
        close.lastRow = query.value(1).toLongLong();
    return close;
}

qint64 insertDayClose(Connection& connection, const DayCloseRecord& r)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    Query insert(db, sql::InsertDayClose, QStringLiteral("保存到 rj"));
    insert.bind(textOf(r.start)).bind(textOf(r.end)).bind(rowOf(r.lastRow)).bind(nullable(r.closedBy)).bind(r.sales).bind(r.fen).bind(r.report).run();
    return insert.lastInsertId().toLongLong();
}

void setDayCloseReport(Connection& connection, qint64 number, const QString& report)
{
    const QSqlDatabase db = connection.openedDatabase();
    connection.requireFileInPlace();
    Query(db, sql::SetDayCloseReport, QStringLiteral("保存到 rj")).bind(report).bind(number).run();
}

QList<DayCloseRecord> dayCloses(Connection& connection)
{
    QList<DayCloseRecord> closes;
    Query query(connection.openedDatabase(), sql::DayCloses, Reading);
    query.run();
    while (query.next())
        closes.append(closeFrom(query));
    query.requireNoError();
    return closes;
}

std::optional<DayCloseRecord> dayClose(Connection& connection, qint64 number)
{
    Query query(connection.openedDatabase(), sql::DayCloseByNumber, Reading);
    query.bind(number).run();
    if (!query.next())
        return std::nullopt;
    DayCloseRecord close = closeFrom(query);
    close.report = query.value(7).toString();
    return close;
}

} // namespace store
