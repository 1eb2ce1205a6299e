#pragma once

#include "records/BusinessReport.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_BbUnit.h"

#include <array>

class QChartView;

// "营业报表": the sales of a date range by goods, by cashier and by payment method, summed by day,
// week or month, each page a table with its chart; the page shown exports to .xls. Opened from
// 销售统计; it only reads the history.
class TBbForm : public ui::SkinnedWindow, private Ui::TBbForm
{
    Q_OBJECT

public:
    explicit TBbForm(QWidget* parent = nullptr);

    store::Connection ADOConnection1;

    // This month, by day, read afresh and shown modally.
    void OpenReports();
    void SpeedButton1Click(); // "查询": the three pages read again for the chosen dates and step
    void SpeedButton2Click(); // "导出" the page shown
    void SpeedButton3Click(); // "关闭"
    void ComboBox1Change();

    // What each page shows (for the tests as for the export).
    const records::BusinessReport& report(store::ReportView view) const;
    QChartView* chartView(store::ReportView view) const;

private:
    void setUpPages();
    void showReport(store::ReportView view);
    store::ReportView shownView() const;
    store::sql::ReportStep chosenStep() const;

    std::array<records::BusinessReport, 3> m_reports;
    std::array<QChartView*, 3> m_charts{};
};
