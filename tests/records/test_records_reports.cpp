// 营业报表: each view's figures for a small known history (sales, a split payment, a return),
// by day, week and month, the charts drawn from them and the export read back.
#include "records/BbUnit.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWorkbook.h"
#include "support/TestDatabase.h"

#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QtTest>

using namespace testsupport;
using store::ReportView;

namespace {

HistorySale saleOf(const QString& number, const QString& time, const QString& quantity, const QString& discounted,
                   const QString& cashier)
{
    return {number, time, quantity, discounted, discounted, cashier};
}

HistoryLine lineOf(const QString& number, const QString& goods, const QString& quantity, const QString& discounted)
{
    HistoryLine line = testsupport::lineOf(number, goods);
    line.quantity = quantity;
    line.amount = line.discounted = discounted;
    return line;
}

// One sale before December and one after it, so a range that leaves them out is seen to.
void addKnownHistory(const TestDatabase& db)
{
    addHistory(db,
               {saleOf("S0", "2026-11-30 23:50:00", "1", "5", "admin"),
                saleOf("S1", "2026-12-01 09:00:00", "3", "13.5", "admin"),
                saleOf("S2", "2026-12-01 10:00:00", "1", "5", "张三"),
                saleOf("R1", "2026-12-03 11:00:00", "-1", "-5", "admin"),
                saleOf("S3", "2026-12-31 23:59:59", "2", "7", "张三"),
                saleOf("S4", "2027-01-01 00:00:00", "1", "4", "admin")},
               {lineOf("S0", "苹果", "1", "5"), lineOf("S1", "苹果", "2", "10"), lineOf("S1", "香蕉", "1", "3.5"),
                lineOf("S2", "苹果", "1", "5"), lineOf("R1", "苹果", "-1", "-5"), lineOf("S3", "香蕉", "2", "7"),
                lineOf("S4", "橙子", "1", "4")});
    db.exec("UPDATE xsmx SET 时间 = (SELECT 时间 FROM xstj WHERE xstj.单号 = xsmx.单号)");
    db.exec("UPDATE xstj SET 原单号 = 'S1', 授权人 = 'admin' WHERE 单号 = 'R1'");
    db.exec(
        "INSERT INTO xsfk (单号, 方式, 金额, 实收, 找零) VALUES ('S2', '现金', 200, 200, 0), ('S2', '微信', 300, NULL, "
        "NULL), ('R1', '现金', -500, NULL, NULL), ('S3', '微信', 700, NULL, NULL)");
}

QList<QStringList> gridRows(const QTableWidget* grid)
{
    QList<QStringList> rows;
    for (int row = 0; row < grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid->columnCount(); ++column)
            cells << grid->item(row, column)->text();
        rows << cells;
    }
    return rows;
}

} // namespace

class RecordsReportsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        addKnownHistory(*db);
        window = std::make_unique<TBbForm>();
    }
    void cleanup()
    {
        window.reset();
        db.reset();
    }

    void figuresByDay()
    {
        show("2026-12-01", "2026-12-31", 0);
        QCOMPARE(gridRows(control<QTableWidget>(*window, "StringGrid1")),
                 (QList<QStringList>{{"2026-12-01", "苹果", "3", "15.00"},
                                     {"2026-12-01", "香蕉", "1", "3.50"},
                                     {"2026-12-03", "苹果", "-1", "-5.00"},
                                     {"2026-12-31", "香蕉", "2", "7.00"},
                                     {"合计", "", "5", "20.50"}}));
        QCOMPARE(gridRows(control<QTableWidget>(*window, "StringGrid2")),
                 (QList<QStringList>{{"2026-12-01", "admin", "1", "0", "3", "13.50"},
                                     {"2026-12-01", "张三", "1", "0", "1", "5.00"},
                                     {"2026-12-03", "admin", "0", "1", "-1", "-5.00"},
                                     {"2026-12-31", "张三", "1", "0", "2", "7.00"},
                                     {"合计", "", "3", "1", "5", "20.50"}}));
        QCOMPARE(gridRows(control<QTableWidget>(*window, "StringGrid3")),
                 (QList<QStringList>{{"2026-12-01", "现金", "2", "15.50"},
                                     {"2026-12-01", "微信", "1", "3.00"},
                                     {"2026-12-03", "现金", "1", "-5.00"},
                                     {"2026-12-31", "微信", "1", "7.00"},
                                     {"合计", "", "5", "20.50"}}));
    }

    void weeksStartOnMonday()
    {
        show("2026-12-01", "2026-12-31", 1);
        const QList<QStringList> rows = gridRows(control<QTableWidget>(*window, "StringGrid3"));
        QCOMPARE(rows.first(), (QStringList{"2026-11-30～12-06", "现金", "3", "10.50"}));
        QCOMPARE(rows.at(rows.size() - 2), (QStringList{"2026-12-28～01-03", "微信", "1", "7.00"}));
    }

    void figuresByMonthAndTheirLines()
    {
        show("2026-11-01", "2027-01-31", 2);
        QCOMPARE(gridRows(control<QTableWidget>(*window, "StringGrid1")),
                 (QList<QStringList>{{"2026-11", "苹果", "1", "5.00"},
                                     {"2026-12", "香蕉", "3", "10.50"},
                                     {"2026-12", "苹果", "2", "10.00"},
                                     {"2027-01", "橙子", "1", "4.00"},
                                     {"合计", "", "7", "29.50"}}));
        const QList<QAbstractSeries*> series = window->chartView(ReportView::Goods)->chart()->series();
        QCOMPARE(series.size(), 3);
        for (QAbstractSeries* one : series) {
            auto* line = qobject_cast<QLineSeries*>(one);
            QVERIFY(line);
            QCOMPARE(line->count(), 3);
        }
        // 苹果 charted first (the most over the range): 5, 10, 0 yuan in the three months.
        const auto* apples = qobject_cast<QLineSeries*>(series.first());
        QCOMPARE(apples->name(), QString("苹果"));
        QCOMPARE(apples->at(1).y(), 10.0);
        QCOMPARE(apples->at(2).y(), 0.0);
    }

    void barsPerDayAndTheRestAsOther()
    {
        show("2026-12-01", "2026-12-31", 0);
        auto* bars =
            qobject_cast<QStackedBarSeries*>(window->chartView(ReportView::Payments)->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->count(), 2);
        for (QBarSet* set : bars->barSets())
            QCOMPARE(set->count(), 3);
        QCOMPARE(bars->barSets().first()->label(), QString("现金"));
        QCOMPARE(bars->barSets().first()->at(0), 15.5);
        QCOMPARE(bars->barSets().first()->at(1), -5.0);
        records::BusinessReport many{ReportView::Goods, store::sql::ReportStep::Day, {}};
        for (int i = 0; i < records::ChartedNames + 2; ++i)
            many.rows << store::ReportRow{"2026-12-01", QString("货%1").arg(i), {1}, 100 * (i + 1)};
        const QStringList charted = many.chartedNames(records::ChartedNames);
        QCOMPARE(charted.size(), records::ChartedNames + 1);
        QCOMPARE(charted.first(), QString("货6"));
        QCOMPARE(charted.last(), records::OtherNames);
        // The scale holds the whole stack (1 + 2 + … + 7 yuan), not only its highest piece.
        const std::unique_ptr<QChart> chart(records::reportChart(many));
        const auto* yuan = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(yuan);
        QVERIFY2(yuan->max() >= 28, qPrintable(QString::number(yuan->max())));
    }

    void aReversedRangeIsRefusedAndKeepsThePages()
    {
        show("2026-12-01", "2026-12-31", 0);
        ui::MessageRecorder messages;
        control<QDateEdit>(*window, "DateEdit1")->setDate(QDate(2026, 12, 31));
        control<QDateEdit>(*window, "DateEdit2")->setDate(QDate(2026, 12, 1));
        window->SpeedButton1Click();
        QCOMPARE(messages.texts(), QStringList{"开始日期不能晚于结束日期。"});
        QCOMPARE(control<QTableWidget>(*window, "StringGrid1")->rowCount(), 5);
    }

    void theShownPageExports()
    {
        show("2026-12-01", "2026-12-31", 0);
        control<QTabWidget>(*window, "PageControl1")->setCurrentIndex(1);
        const QString chosen = db->folder() + "/收银员";
        ui::SaveNameOverride save({chosen});
        ui::MessageRecorder messages;
        window->SpeedButton2Click();
        QString error;
        const QList<WorkbookSheet> sheets = readWorkbook(chosen + ".xls", &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QList<WorkbookRow>& rows = sheets.value(0).rows;
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows.at(0).at(1).value.toString(), QString("收银员"));
        QCOMPARE(rows.at(3).at(0).value.toString(), QString("2026-12-03"));
        QCOMPARE(rows.at(3).at(3).type, int(WorkbookCell::Number));
        QCOMPARE(rows.at(3).at(3).value.toDouble(), 1.0);
        QCOMPARE(rows.at(3).at(5).value.toDouble(), -5.0);
        QCOMPARE(rows.at(5).at(5).value.toDouble(), 20.5);
        QCOMPARE(messages.texts(), QStringList{"成功导出按收银员报表!"});
    }

private:
    void show(const char* first, const char* last, int step)
    {
        control<QDateEdit>(*window, "DateEdit1")->setDate(QDate::fromString(first, Qt::ISODate));
        control<QDateEdit>(*window, "DateEdit2")->setDate(QDate::fromString(last, Qt::ISODate));
        control<QComboBox>(*window, "ComboBox1")->setCurrentIndex(step);
        window->SpeedButton1Click();
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<TBbForm> window;
};

QTEST_MAIN(RecordsReportsTest)
#include "test_records_reports.moc"
