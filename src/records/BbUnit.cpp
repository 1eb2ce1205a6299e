#include "records/BbUnit.h"

#include "records/GoodsTotalsWait.h"
#include "records/SalesExport.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QChart>
#include <QChartView>
#include <QDate>
#include <QHeaderView>
#include <QVBoxLayout>

using store::ReportView;
using store::sql::ReportStep;

namespace {

constexpr std::array<ReportView, 3> Views = {ReportView::Goods, ReportView::Cashiers, ReportView::Payments};

int indexOf(ReportView view)
{
    return int(view);
}

QTableWidgetItem* fixedItem(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

void fillGrid(QTableWidget* grid, const records::BusinessReport& report)
{
    const QStringList headings = report.headings();
    const QList<QStringList> rows = report.tableRows();
    grid->clear();
    grid->setColumnCount(int(headings.size()));
    grid->setHorizontalHeaderLabels(headings);
    grid->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < rows.at(row).size(); ++column)
            grid->setItem(row, column, fixedItem(rows.at(row).at(column), column >= 2));
    // The 合计 row stands out; the name takes the room the figures leave.
    QFont bold = grid->font();
    bold.setBold(true);
    for (int column = 0; column < grid->columnCount() && !rows.isEmpty(); ++column)
        grid->item(int(rows.size()) - 1, column)->setFont(bold);
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
}

} // namespace

TBbForm::TBbForm(QWidget* parent) : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TBbForm"))
{
    setupWindow(static_cast<Ui::TBbForm&>(*this), QStringLiteral("TBbForm"), QStringLiteral("营业报表"),
                QSize(960, 600), ui::ControlBox | ui::Close);
    setUpPages();
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TBbForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TBbForm::SpeedButton2Click);
    ui::connectGuarded(SpeedButton3, &QToolButton::clicked, this, &TBbForm::SpeedButton3Click);
    ui::connectGuarded(ComboBox1, &QComboBox::activated, this, &TBbForm::ComboBox1Change);
    ADOConnection1.open();
}

void TBbForm::setUpPages()
{
    QTableWidget* grids[] = {StringGrid1, StringGrid2, StringGrid3};
    QWidget* areas[] = {ChartArea1, ChartArea2, ChartArea3};
    for (ReportView view : Views) {
        const int at = indexOf(view);
        QTableWidget* grid = grids[at];
        grid->verticalHeader()->setVisible(false);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setAlternatingRowColors(true);
        auto* layout = new QVBoxLayout(areas[at]);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* chart = new QChartView(areas[at]);
        chart->setObjectName(QStringLiteral("ChartView%1").arg(at + 1));
        chart->setAccessibleName(PageControl1->tabText(at) + QStringLiteral("图表"));
        chart->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(chart);
        m_charts[at] = chart;
        m_reports[at].view = view;
    }
}

const records::BusinessReport& TBbForm::report(ReportView view) const
{
    return m_reports[indexOf(view)];
}

QChartView* TBbForm::chartView(ReportView view) const
{
    return m_charts[indexOf(view)];
}

void TBbForm::OpenReports()
{
    const QDate today = QDate::currentDate();
    DateEdit1->setDate(QDate(today.year(), today.month(), 1));
    DateEdit2->setDate(QDate(today.year(), today.month(), today.daysInMonth()));
    ComboBox1->setCurrentIndex(0);
    PageControl1->setCurrentIndex(0);
    ADOConnection1.reconnect();
    SpeedButton1Click();
    centreOnScreen();
    ui::showModal(this);
}

ReportStep TBbForm::chosenStep() const
{
    switch (ComboBox1->currentIndex()) {
    case 1:
        return ReportStep::Week;
    case 2:
        return ReportStep::Month;
    default:
        return ReportStep::Day;
    }
}

ReportView TBbForm::shownView() const
{
    const int at = PageControl1->currentIndex();
    return at >= 0 && at < int(Views.size()) ? Views[at] : ReportView::Goods;
}

void TBbForm::SpeedButton1Click()
{
    const QDate first = DateEdit1->date();
    const QDate last = DateEdit2->date();
    if (first > last) {
        ui::message(this, QStringLiteral("开始日期不能晚于结束日期。"), ui::MessageStyle::Warning);
        return;
    }
    records::finishGoodsTotals(this, ADOConnection1);
    // All three are read before any is shown: a failure leaves the pages as they were.
    std::array<records::BusinessReport, 3> read;
    for (ReportView view : Views)
        read[indexOf(view)] = records::readBusinessReport(ADOConnection1, view, chosenStep(), first, last);
    m_reports = read;
    for (ReportView view : Views)
        showReport(view);
}

void TBbForm::showReport(ReportView view)
{
    QTableWidget* grids[] = {StringGrid1, StringGrid2, StringGrid3};
    const records::BusinessReport& shown = report(view);
    fillGrid(grids[indexOf(view)], shown);
    QChartView* chartView = m_charts[indexOf(view)];
    // The view lets go of its old chart without deleting it.
    QChart* old = chartView->chart();
    chartView->setChart(records::reportChart(shown));
    delete old;
}

void TBbForm::SpeedButton2Click()
{
    const QString chosen = ui::askSaveFileName(this);
    if (chosen.isEmpty())
        return;
    const ReportView view = shownView();
    records::exportBusinessReport(report(view), records::exportFileName(chosen));
    ui::message(this, QStringLiteral("成功导出%1报表!").arg(PageControl1->tabText(indexOf(view))),
                ui::MessageStyle::Plain);
}

void TBbForm::SpeedButton3Click()
{
    reject();
}

void TBbForm::ComboBox1Change()
{
    SpeedButton1Click();
}
