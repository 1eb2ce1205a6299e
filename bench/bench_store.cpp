// Store figures on a history of any size: run in a folder holding the data.mdb to measure.
// Usage: quorvel_bench LABEL   (figures are printed as NAME_LABEL VALUE UNIT)
#include "BenchSupport.h"
#include "shell/Backups.h"
#include "shifts/DayClose.h"
#include "store/Backup.h"
#include "store/Closings.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/DayTotals.h"
#include "store/Query.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>

using namespace store;

namespace {

struct Named
{
    const char* name;
    const Statement* statement;
    const char* argument;
};

const Named statements[] = {
    {"spxx", &sql::SelectSpxx, ""},
    {"goods_names", &sql::DistinctGoodsNames, ""},
    {"goods_by_name", &sql::GoodsByName, "苹果"},
    {"xsxx", &sql::SelectXsxx, ""},
    {"dynr", &sql::SelectDynr, ""},
    {"xstj", &sql::SelectXstj, ""},
    {"xstj_by_time", &sql::XstjByTime, ""},
    {"xstj_by_number", &sql::XstjByNumber, "20201209"},
    {"xstj_by_cashier", &sql::XstjByCashier, "张"},
    {"receipt_numbers", &sql::DistinctReceiptNumbers, ""},
    {"xsmx", &sql::SelectXsmx, ""},
    {"xsmx_of_sale", &sql::XsmxOfSale, "20201209120114"},
    {"id", &sql::SelectId, ""},
    {"username", &sql::SelectUsername, ""},
    {"user_names", &sql::DistinctUserNames, ""},
    {"user_by_name", &sql::UserByName, "admin"},
};

// What a list window does on opening: the row count and the first screen of rows.
void readFirstScreen(Dataset& dataset)
{
    const int rows = std::min(dataset.recordCount(), 30);
    for (int i = 0; i < rows; ++i)
        dataset.rowTexts(i);
}

// 日结 as read before its slip prints: the first of a shop, which covers the whole history, and
// that of the history's last day after a close at its start (kept only while measured).
void measureDayClose(Connection& connection, const QString& label)
{
    Query newest(connection.openedDatabase(), QStringLiteral("SELECT max(时间) FROM xstj"), QStringLiteral("bench"));
    newest.runToFirstRow();
    const QString lastSale = newest.value(0).toString();
    if (lastSale.isEmpty())
        return;
    const QDateTime now =
        QDateTime::fromString(lastSale, QStringLiteral("yyyy-MM-dd HH:mm:ss")).addSecs(60);
    const double firstClose = bench::medianMs(1, [&] { shifts::readBusinessDay(connection, now); });
    bench::report(QStringLiteral("day_close_first_ms_%1").arg(label), firstClose, "ms");
    Transaction kept(connection);
    DayCloseRecord previous;
    previous.start = lastSale.left(10) + QStringLiteral(" 00:00:00");
    previous.end = previous.start;
    previous.closedBy = QStringLiteral("admin");
    Query lastRow(connection.database(), QStringLiteral("SELECT max(rowid) FROM xstj WHERE 时间 < ?"),
                  QStringLiteral("bench"));
    lastRow.bind(previous.end).runToFirstRow();
    previous.lastRow = lastRow.value(0).toLongLong();
    previous.report = QStringLiteral("{}");
    insertDayClose(connection, previous);
    const double dayClose = bench::medianMs(3, [&] { shifts::readBusinessDay(connection, now); });
    bench::report(QStringLiteral("day_close_ms_%1").arg(label), dayClose, "ms");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString label = argc > 1 ? QString::fromUtf8(argv[1]) : QStringLiteral("run");
    Connection connection(QStringLiteral("bench"));
    connection.open();
    for (const Named& n : statements) {
        Dataset dataset(connection, *n.statement, QString::fromUtf8(n.argument));
        const double open = bench::medianMs(5, [&] { dataset.requery(*n.statement, QString::fromUtf8(n.argument)); });
        const double firstScreen = bench::medianMs(3, [&] {
            dataset.requery(*n.statement, QString::fromUtf8(n.argument));
            readFirstScreen(dataset);
        });
        bench::report(QStringLiteral("dataset_open_%1_%2").arg(QString::fromUtf8(n.name), label), open, "ms");
        bench::report(QStringLiteral("dataset_first_rows_%1_%2").arg(QString::fromUtf8(n.name), label), firstScreen,
                      "ms");
    }
    Dataset history(connection, sql::SelectXstj);
    history.open();
    const double append = bench::medianMs(9, [&] {
        history.append();
        history.setField(QStringLiteral("单号"), QStringLiteral("29991231235959"));
        history.setField(QStringLiteral("时间"), QStringLiteral("2999-12-31 23:59:59"));
        history.setField(QStringLiteral("数量"), QStringLiteral("3"));
        history.setField(QStringLiteral("金额"), QStringLiteral("31.88"));
        history.setField(QStringLiteral("折后"), QStringLiteral("31.87"));
        history.setField(QStringLiteral("收银员"), QStringLiteral("admin"));
        history.post();
    });
    bench::report(QStringLiteral("dataset_append_post_%1").arg(label), append, "ms");
    connection.execute(QStringLiteral("DELETE FROM xstj WHERE 单号 = '29991231235959'"));
    Dataset sales(connection, sql::XstjByTime);
    const double sums = bench::medianMs(3, [&] {
        sales.requery(sql::XstjByTime);
        sales.sum(QStringLiteral("数量"));
        sales.sum(QStringLiteral("金额"));
        sales.sum(QStringLiteral("折后"));
    });
    bench::report(QStringLiteral("stats_sums_%1").arg(label), sums, "ms");
    bench::report(QStringLiteral("peak_rss_%1").arg(label), bench::peakRssMb(), "MB");

    // 营业报表 over the bench history's ten years by month, and over its last month by day.
    const QDate first(2016, 12, 1), last(2026, 12, 31), lastMonth(2026, 11, 1);
    const struct
    {
        const char* name;
        ReportView view;
    } views[] = {{"goods", ReportView::Goods}, {"cashiers", ReportView::Cashiers}, {"payments", ReportView::Payments}};
    for (const auto& v : views) {
        const double years = bench::medianMs(3, [&] { reportRows(connection, v.view, sql::ReportStep::Month, first, last); });
        const double month = bench::medianMs(3, [&] {
            reportRows(connection, v.view, sql::ReportStep::Day, lastMonth, lastMonth.addMonths(1).addDays(-1));
        });
        bench::report(QStringLiteral("report_%1_10y_%2").arg(QString::fromUtf8(v.name), label), years, "ms");
        bench::report(QStringLiteral("report_%1_month_%2").arg(QString::fromUtf8(v.name), label), month, "ms");
    }

    measureDayClose(connection, label);

    // Backups, once each (a copy of the whole file): what the start waits for before it goes on,
    // and the whole checked copy that then runs beside the cashier.
    {
        QElapsedTimer started;
        started.start();
        shell::BackupSchedule schedule;
        schedule.atStart();
        bench::report(QStringLiteral("backup_start_block_ms_%1").arg(label), started.nsecsElapsed() / 1e6, "ms");
        schedule.waitForRunning();
    }
    QDir(QDir::current().filePath(QStringLiteral("备份"))).removeRecursively();
    QElapsedTimer backup;
    backup.start();
    const QString folder = QDir::current().filePath(QStringLiteral("bench-backup"));
    store::backup::makeBackup(Connection::databasePath(), folder, QDateTime::currentDateTime());
    bench::report(QStringLiteral("backup_ms_%1").arg(label), backup.nsecsElapsed() / 1e6, "ms");
    QDir(folder).removeRecursively();
    return 0;
}
