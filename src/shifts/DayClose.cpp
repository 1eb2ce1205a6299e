#include "shifts/DayClose.h"

#include "core/Error.h"
#include "sales/Money.h"
#include "shifts/Shift.h"
#include "shifts/SlipHandOff.h"
#include "store/Connection.h"
#include "store/Numbers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace shifts {

namespace {

QString shownStart(const QString& start)
{
    return start.isEmpty() ? QStringLiteral("（首次日结）") : start;
}

void addCashierLines(printing::ClosingSlip& slip, const QList<store::NamedTotal>& cashiers)
{
    slip.add(QStringLiteral("收银员（笔数 净额）："));
    for (const store::NamedTotal& cashier : cashiers)
        slip.add(cashier.name, sales::formatYuan(cashier.fen), entriesText(int(cashier.quantity)));
}

void addGoodsLines(printing::ClosingSlip& slip, const QList<store::NamedTotal>& goods)
{
    slip.add(QStringLiteral("金额前十的商品（数量 金额）："));
    for (const store::NamedTotal& item : goods)
        slip.add(item.name, sales::formatYuan(item.fen), store::formatNumber(item.quantity));
}

void addShiftLines(printing::ClosingSlip& slip, const QList<store::ShiftRecord>& shifts)
{
    slip.add(QStringLiteral("本日交班（笔数 差额）："));
    for (const store::ShiftRecord& shift : shifts)
        slip.add(shift.cashier + QLatin1Char(' ') + shift.end.mid(11, 5), sales::formatYuan(shift.differenceFen),
                 entriesText(shift.sales));
}

QJsonObject lineObject(const printing::ClosingSlip::Line& line)
{
    QJsonObject object;
    if (line.rule)
        object.insert(QStringLiteral("rule"), true);
    object.insert(QStringLiteral("text"), line.text);
    object.insert(QStringLiteral("count"), line.count);
    object.insert(QStringLiteral("amount"), line.amount);
    return object;
}

} // namespace

BusinessDay readBusinessDay(store::Connection& connection, const QDateTime& now, store::PeriodReading reading)
{
    BusinessDay day;
    if (const std::optional<store::DayCloseRecord> previous = store::lastDayClose(connection)) {
        day.start = previous->end;
        day.afterRow = previous->lastRow;
    }
    day.end = timeText(now);
    if (day.end < day.start)
        throw core::Error(QStringLiteral("电脑时钟（%1）早于上次日结的时间（%2），请先校正时钟再日结。")
                              .arg(day.end, day.start));
    const store::Period period{day.start, day.end, day.afterRow};
    day.figures = store::readPeriod(connection, period, QString(), reading);
    std::tie(day.firstNumber, day.lastNumber) = store::firstAndLastSale(connection, period, reading);
    day.cashiers = store::cashierTotals(connection, period, reading);
    day.goods = store::topGoods(connection, period, reading);
    day.shifts = store::shiftsEnded(connection, day.start, day.end);
    return day;
}

printing::ClosingSlip dayCloseSlip(const BusinessDay& day, qint64 number, const QString& closedBy)
{
    printing::ClosingSlip slip;
    slip.title = QStringLiteral("日结报表");
    // The open day shown before it is closed has no number yet.
    slip.add(number > 0 ? QStringLiteral("Z号：%1").arg(number) : QStringLiteral("Z号：（日结时编号）"));
    slip.add(QStringLiteral("开始：") + shownStart(day.start));
    slip.add(QStringLiteral("日结：") + day.end);
    slip.add(QStringLiteral("日结人：") + closedBy);
    slip.add(QStringLiteral("首单号：") + day.firstNumber);
    slip.add(QStringLiteral("末单号：") + day.lastNumber);
    slip.addRule();
    addPaymentLines(slip, day.figures);
    slip.addRule();
    addCashierLines(slip, day.cashiers);
    slip.addRule();
    addGoodsLines(slip, day.goods);
    slip.addRule();
    addShiftLines(slip, day.shifts);
    return slip;
}

QString snapshotOf(const printing::ClosingSlip& slip)
{
    QJsonArray lines;
    for (const printing::ClosingSlip::Line& line : slip.lines)
        lines.append(lineObject(line));
    QJsonObject report;
    report.insert(QStringLiteral("title"), slip.title);
    report.insert(QStringLiteral("lines"), lines);
    return QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact));
}

printing::ClosingSlip slipFromSnapshot(const QString& snapshot)
{
    const QJsonObject report = QJsonDocument::fromJson(snapshot.toUtf8()).object();
    printing::ClosingSlip slip;
    slip.title = report.value(QStringLiteral("title")).toString();
    for (const QJsonValue& value : report.value(QStringLiteral("lines")).toArray()) {
        const QJsonObject line = value.toObject();
        slip.lines.append({line.value(QStringLiteral("text")).toString(), line.value(QStringLiteral("count")).toString(),
                           line.value(QStringLiteral("amount")).toString(), line.value(QStringLiteral("rule")).toBool()});
    }
    if (slip.title.isEmpty())
        throw core::Error(QStringLiteral("这份日结报表的记录已损坏，无法重印。"));
    return slip;
}

QString dayCloseDocumentName(qint64 number)
{
    return QStringLiteral("日结 Z号 %1").arg(number);
}

ClosedDay closeBusinessDay(store::Connection& connection, const core::LoggedInUser& by, const QDateTime& now,
                           SlipHandOff* slip)
{
    if (!by.isAdministrator())
        throw core::Error(QStringLiteral("只有管理员才能日结！"));
    if (slip)
        slip->ready();
    store::Transaction transaction(connection);
    const BusinessDay day = readBusinessDay(connection, now);
    if (day.isEmpty())
        throw core::Error(QStringLiteral("自上次日结（%1）以来没有销售、退货和交班，无需日结。").arg(shownStart(day.start)));
    store::DayCloseRecord record;
    record.start = day.start;
    record.end = day.end;
    record.closedBy = by.name;
    record.lastRow = store::lastHistoryRow(connection);
    record.sales = day.figures.sales;
    record.fen = day.figures.paidTotal() + day.figures.refundedTotal();
    // The number is the row's own key, given before the report that shows it is written.
    record.report = QStringLiteral("{}");
    ClosedDay closed;
    closed.number = store::insertDayClose(connection, record);
    closed.slip = dayCloseSlip(day, closed.number, by.name);
    store::setDayCloseReport(connection, closed.number, snapshotOf(closed.slip));
    if (slip)
        slip->print(closed.slip, dayCloseDocumentName(closed.number));
    transaction.commit();
    if (slip)
        closed.notice = slip->waitForPrinter();
    return closed;
}

QString reprintDayClose(store::Connection& connection, qint64 number, SlipHandOff* slip)
{
    const std::optional<store::DayCloseRecord> kept = store::dayClose(connection, number);
    if (!kept)
        throw core::Error(QStringLiteral("没有 Z号为 %1 的日结。").arg(number));
    printing::ClosingSlip report = slipFromSnapshot(kept->report);
    report.title += QStringLiteral("（重印）");
    if (!slip)
        return {};
    slip->ready();
    slip->print(report, dayCloseDocumentName(number) + QStringLiteral(" 重印"));
    return slip->waitForPrinter();
}

} // namespace shifts
