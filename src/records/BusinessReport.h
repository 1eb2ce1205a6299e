#pragma once

#include "store/DayTotals.h"

#include <QList>
#include <QString>
#include <QStringList>

class QChart;

namespace records {

// One view of 营业报表 over a date range, as read from the store, and what the window shows of
// it: the table's headings and rows (a 合计 row last), the chart, the exported workbook.
struct BusinessReport
{
    store::ReportView view = store::ReportView::Goods;
    store::sql::ReportStep step = store::sql::ReportStep::Day;
    QList<store::ReportRow> rows;

    QStringList headings() const;         // 期间, the name, the figures, 金额
    QStringList periods() const;          // as stored, in order, each once
    QList<QStringList> tableRows() const; // as shown: periods labelled, amounts in yuan, 合计 last
    // The names the chart draws, the highest net amounts over the range first, at most `most`;
    // any others are drawn together as 其他.
    QStringList chartedNames(int most) const;
};

constexpr int ChartedNames = 5;
extern const QString OtherNames; // 其他

BusinessReport readBusinessReport(store::Connection& connection, store::ReportView view, store::sql::ReportStep step,
                                  const QDate& first, const QDate& last);

// A day as it is, a week as its Monday to Sunday ("2026-12-07～12-13"), a month as it is.
QString periodLabel(const QString& period, store::sql::ReportStep step);

// Net amounts in yuan, one series a charted name: stacked bars a day or a week, lines over months.
// The caller owns the chart.
QChart* reportChart(const BusinessReport& report);

// The table as shown, written to path as .xls: texts as text, figures and amounts as numbers.
// Throws core::Error when the file cannot be written; it is then left as it was.
void exportBusinessReport(const BusinessReport& report, const QString& path);

} // namespace records
