#include "store/Closings.h"

#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/DayTotals.h"
#include "store/Query.h"

#include <QDate>

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

const QString DayFormat = QStringLiteral("yyyy-MM-dd");

// The calendar days wholly inside a period, [from, until) as rtj.日期 ("" from: since the first):
// those after the day it starts in ("" when it starts with the history) and before the day it
// ends in. As text, 时间 >= "yyyy-MM-dd" exactly when its 日期 is that day or later, so the edges
// and the days meet without a gap or an overlap whatever the times hold.
struct WholeDays
{
    QString from, until;
};

std::optional<WholeDays> wholeDaysOf(const Period& period)
{
    WholeDays days{QStringLiteral(""), period.until.left(10)};
    if (!period.from.isEmpty()) {
        const QDate first = QDate::fromString(period.from.left(10), DayFormat);
        if (!first.isValid())
            return std::nullopt;
        days.from = first.addDays(1).toString(DayFormat);
    }
    if (!QDate::fromString(days.until, DayFormat).isValid() || days.from >= days.until)
        return std::nullopt;
    return days;
}

// Binds all but :cashier (Catalogue.h): without whole days, the first edge is the whole period
// and the days are empty.
Query periodQuery(Connection& connection, const QString& sql, const Period& period, PeriodReading reading)
{
    const std::optional<WholeDays> days =
        reading == PeriodReading::WholeDaysFromTotals ? wholeDaysOf(period) : std::nullopt;
    const QString firstEdgeEnd = days ? days->from : period.until;
    const QString lastEdgeStart = days ? days->until : period.until;
    Query query(connection.openedDatabase(), sql, Reading);
    query.bind(QStringLiteral(":from"), textOf(period.from)).bind(QStringLiteral(":until"), textOf(period.until));
    query.bind(QStringLiteral(":first_edge_end"), textOf(firstEdgeEnd));
    query.bind(QStringLiteral(":last_edge_start"), textOf(lastEdgeStart));
    query.bind(QStringLiteral(":after_row"), rowOf(period.afterRow));
    query.bind(QStringLiteral(":days_from"), days ? days->from : QStringLiteral(""));
    query.bind(QStringLiteral(":days_until"), days ? days->until : QStringLiteral(""));
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

PeriodFigures readPeriod(Connection& connection, const Period& period, const QString& cashier, PeriodReading reading)
{
    PeriodFigures figures;
    {
        Query counts = periodQuery(connection, sql::PeriodCounts, period, reading);
        counts.bind(QStringLiteral(":cashier"), textOf(cashier)).runToFirstRow();
        figures.sales = counts.value(0).toInt();
        figures.returns = counts.value(1).toInt();
    }
    Query payments = periodQuery(connection, sql::PeriodPayments, period, reading);
    payments.bind(QStringLiteral(":cashier"), textOf(cashier)).run();
    while (payments.next()) {
        const bool isReturn = payments.value(0).toBool();
        const MethodTotal total{payments.value(1).toString(), payments.value(2).toInt(), payments.value(3).toLongLong()};
        (isReturn ? figures.refunded : figures.paid).append(total);
        if (reading == PeriodReading::EveryEntry && !isReturn && total.method == QStringLiteral("现金")) {
            figures.cashReceived += payments.value(4).toLongLong();
            figures.cashChange += payments.value(5).toLongLong();
        }
    }
    payments.requireNoError();
    return figures;
}

std::pair<QString, QString> firstAndLastSale(Connection& connection, const Period& period, PeriodReading reading)
{
    std::pair<QString, QString> numbers;
    Query first = periodQuery(connection, sql::PeriodFirstSale, period, reading);
    first.run();
    if (first.next())
        numbers.first = first.value(0).toString();
    Query last = periodQuery(connection, sql::PeriodLastSale, period, reading);
    last.run();
    if (last.next())
        numbers.second = last.value(0).toString();
    return numbers;
}

namespace {

QList<NamedTotal> namedTotals(Connection& connection, const QString& sql, const Period& period,
                              PeriodReading reading)
{
    QList<NamedTotal> totals;
    Query query = periodQuery(connection, sql, period, reading);
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

QList<NamedTotal> cashierTotals(Connection& connection, const Period& period, PeriodReading reading)
{
    return namedTotals(connection, sql::PeriodCashiers, period, reading);
}

QList<NamedTotal> topGoods(Connection& connection, const Period& period, PeriodReading reading)
{
    if (pendingGoodsLines(connection))
        reading = PeriodReading::EveryEntry;
    return namedTotals(connection, sql::PeriodTopGoods, period, reading);
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
