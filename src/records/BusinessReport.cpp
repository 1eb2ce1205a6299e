#include "records/BusinessReport.h"

#include "records/XlsWriter.h"
#include "sales/Money.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QColor>
#include <QHash>
#include <QLineSeries>
#include <QRegularExpression>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <utility>

namespace records {

using store::ReportRow;
using store::ReportView;
using store::sql::ReportStep;

const QString OtherNames = QStringLiteral("其他");

namespace {

const QString DayFormat = QStringLiteral("yyyy-MM-dd");

QStringList figureHeadings(ReportView view)
{
    switch (view) {
    case ReportView::Goods:
        return {QStringLiteral("品名"), QStringLiteral("数量")};
    case ReportView::Cashiers:
        return {QStringLiteral("收银员"), QStringLiteral("笔数"), QStringLiteral("退货笔数"), QStringLiteral("数量")};
    case ReportView::Payments:
        break;
    }
    return {QStringLiteral("付款方式"), QStringLiteral("笔数")};
}

// Weighed goods sell in fractions; counts show as whole numbers.
QString figureText(double figure)
{
    return QString::number(figure, 'f', 3).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

ReportRow totalOf(const QList<ReportRow>& rows, qsizetype figures)
{
    ReportRow total{QStringLiteral("合计"), {}, QList<double>(figures, 0.0), 0};
    for (const ReportRow& row : rows) {
        for (qsizetype i = 0; i < figures && i < row.figures.size(); ++i)
            total.figures[i] += row.figures.at(i);
        total.fen += row.fen;
    }
    return total;
}

QHash<QString, qint64> amountsByName(const QList<ReportRow>& rows)
{
    QHash<QString, qint64> amounts;
    for (const ReportRow& row : rows)
        amounts[row.name] += row.fen;
    return amounts;
}

// The net amount of each charted name (and 其他) in each period, in yuan.
QList<QList<double>> chartValues(const BusinessReport& report, const QStringList& names, const QStringList& periods)
{
    QList<QList<double>> values(names.size(), QList<double>(periods.size(), 0.0));
    // Ten years by day are thousands of periods: each row finds its own by a look-up.
    QHash<QString, qsizetype> periodAt;
    for (qsizetype at = 0; at < periods.size(); ++at)
        periodAt.insert(periods.at(at), at);
    const qsizetype other = names.indexOf(OtherNames);
    for (const ReportRow& row : report.rows) {
        qsizetype series = names.indexOf(row.name);
        if (series < 0)
            series = other;
        if (series >= 0)
            values[series][periodAt.value(row.period)] += sales::yuanOf(row.fen);
    }
    return values;
}

// Stacked bars reach the sum of a period's gains above zero and of its losses below; lines each
// their own value.
std::pair<double, double> valueRange(const QList<QList<double>>& values, bool stacked)
{
    double low = 0, high = 0;
    const qsizetype periods = values.isEmpty() ? 0 : values.first().size();
    for (qsizetype at = 0; at < periods; ++at) {
        double below = 0, above = 0;
        for (const QList<double>& series : values) {
            const double value = series.at(at);
            if (stacked) {
                (value < 0 ? below : above) += value;
            } else {
                below = std::min(below, value);
                above = std::max(above, value);
            }
        }
        low = std::min(low, below);
        high = std::max(high, above);
    }
    return {low, high > low ? high : low + 1};
}

void addAxes(QChart* chart, const QStringList& categories, const QList<QList<double>>& values, bool stacked)
{
    auto* periods = new QBarCategoryAxis(chart);
    periods->append(categories);
    // Side by side, more than a few labels are cut to "1…".
    if (categories.size() > 6)
        periods->setLabelsAngle(-90);
    auto* yuan = new QValueAxis(chart);
    yuan->setLabelFormat(QStringLiteral("%.0f"));
    yuan->setTitleText(QStringLiteral("金额（元）"));
    chart->addAxis(periods, Qt::AlignBottom);
    chart->addAxis(yuan, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(periods);
        series->attachAxis(yuan);
    }
    const auto [low, high] = valueRange(values, stacked);
    yuan->setRange(low, high);
    yuan->applyNiceNumbers();
}

// The theme has five colours; 其他 as a sixth would repeat the first.
QColor seriesColour(qsizetype series)
{
    static const QList<QColor> colours = {QColor(0x20, 0x9f, 0xdf), QColor(0x99, 0xca, 0x53), QColor(0xf6, 0xa6, 0x25),
                                          QColor(0x6d, 0x5f, 0xd5), QColor(0xbf, 0x59, 0x3e), QColor(0x9e, 0x9e, 0x9e)};
    return colours.at(series % colours.size());
}

// Under the bars there is room for little: a day or a week's Monday without the year.
QString chartLabel(const QString& period, ReportStep step)
{
    if (step == ReportStep::Month)
        return period;
    const QDate day = QDate::fromString(period, DayFormat);
    if (!day.isValid())
        return period;
    return day.toString(QStringLiteral("MM-dd")) + (step == ReportStep::Week ? QStringLiteral("起") : QString());
}

} // namespace

QStringList BusinessReport::headings() const
{
    return QStringList{QStringLiteral("期间")} + figureHeadings(view) + QStringList{QStringLiteral("金额")};
}

QStringList BusinessReport::periods() const
{
    QStringList periods;
    for (const ReportRow& row : rows)
        if (periods.isEmpty() || periods.constLast() != row.period)
            periods << row.period;
    return periods;
}

QList<QStringList> BusinessReport::tableRows() const
{
    const qsizetype figures = figureHeadings(view).size() - 1;
    QList<QStringList> shown;
    const auto shownRow = [&](const ReportRow& row, const QString& period) {
        QStringList cells{period, row.name};
        for (double figure : row.figures)
            cells << figureText(figure);
        cells << sales::formatYuan(row.fen);
        return cells;
    };
    for (const ReportRow& row : rows)
        shown << shownRow(row, periodLabel(row.period, step));
    const ReportRow total = totalOf(rows, figures);
    shown << shownRow(total, total.period);
    return shown;
}

QStringList BusinessReport::chartedNames(int most) const
{
    const QHash<QString, qint64> amounts = amountsByName(rows);
    QStringList names = amounts.keys();
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return amounts.value(a) != amounts.value(b) ? amounts.value(a) > amounts.value(b) : a < b;
    });
    if (names.size() > most) {
        names = names.first(most);
        names << OtherNames;
    }
    return names;
}

BusinessReport readBusinessReport(store::Connection& connection, ReportView view, ReportStep step, const QDate& first,
                                  const QDate& last)
{
    return {view, step, store::reportRows(connection, view, step, first, last)};
}

QString periodLabel(const QString& period, ReportStep step)
{
    if (step != ReportStep::Week)
        return period;
    const QDate monday = QDate::fromString(period, DayFormat);
    if (!monday.isValid())
        return period;
    return period + QStringLiteral("～") + monday.addDays(6).toString(QStringLiteral("MM-dd"));
}

QChart* reportChart(const BusinessReport& report)
{
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    const QStringList periods = report.periods();
    const QStringList names = report.chartedNames(ChartedNames);
    const QList<QList<double>> values = chartValues(report, names, periods);
    QStringList categories;
    for (const QString& period : periods)
        categories << chartLabel(period, report.step);
    if (report.step == ReportStep::Month) {
        for (qsizetype series = 0; series < names.size(); ++series) {
            auto* line = new QLineSeries(chart);
            line->setName(names.at(series));
            line->setPointsVisible(true);
            line->setColor(seriesColour(series));
            for (qsizetype at = 0; at < periods.size(); ++at)
                line->append(double(at), values.at(series).at(at));
            chart->addSeries(line);
        }
    } else {
        auto* bars = new QStackedBarSeries(chart);
        for (qsizetype series = 0; series < names.size(); ++series) {
            auto* set = new QBarSet(names.at(series));
            set->setColor(seriesColour(series));
            set->append(values.at(series));
            bars->append(set);
        }
        chart->addSeries(bars);
    }
    if (!periods.isEmpty())
        addAxes(chart, categories, values, report.step != ReportStep::Month);
    return chart;
}

void exportBusinessReport(const BusinessReport& report, const QString& path)
{
    XlsWriter writer(path);
    writer.setHeader(report.headings());
    const qsizetype figures = figureHeadings(report.view).size() - 1;
    const auto cellsOf = [](const ReportRow& row, const QString& period) {
        QVector<XlsCell> cells{XlsCell::of(period), row.name.isEmpty() ? XlsCell::empty() : XlsCell::of(row.name)};
        for (double figure : row.figures)
            cells << XlsCell::of(figure);
        cells << XlsCell::of(sales::yuanOf(row.fen));
        return cells;
    };
    for (const ReportRow& row : report.rows)
        writer.addRow(cellsOf(row, periodLabel(row.period, report.step)));
    const ReportRow total = totalOf(report.rows, figures);
    writer.addRow(cellsOf(total, total.period));
    writer.finish();
}

} // namespace records
