// The day close: a business day that runs until it is closed, Z numbers, the kept report, and
// the Z slip as the receipt printer gets it.

#include "core/Error.h"
#include "printing/PrintHandOff.h"
#include "records/Returns.h"
#include "records/XstjUnit.h"
#include "shell/Forms.h"
#include "shifts/DayClose.h"
#include "shifts/RjUnit.h"
#include "shifts/Shift.h"
#include "shifts/SlipHandOff.h"
#include "store/Closings.h"
#include "store/Connection.h"
#include "support/Controls.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingQueue.h"
#include "support/PrintingSale.h"
#include "support/ShellFixture.h"
#include "support/TestDatabase.h"

#include <QtTest>

using testsupport::control;
using testsupport::TestDatabase;

namespace {

const core::LoggedInUser Admin{"admin", "管理员"};

QDateTime at(const char* time)
{
    return QDateTime::fromString(QString::fromLatin1(time), Qt::ISODate);
}

// A sale as the print run records it: its line (one goods) and, unless paid before payments were
// kept ("" method), its payment.
void sell(const TestDatabase& db, const QString& number, const QString& time, const QString& cashier,
          const QString& goods, double quantity, const QString& due, const QString& payment)
{
    db.exec(QString("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('%1', '%2', %3, %4, %4, '%5');"
                    "INSERT INTO xsmx (单号, 时间, 品名, 单价, 数量, 金额, 折后) VALUES ('%1', '%2', '%6', 1, %3, %4, %4)")
                .arg(number, time).arg(quantity).arg(due, cashier, goods));
    if (!payment.isEmpty())
        db.exec(QString("INSERT INTO xsfk VALUES ('%1', %2)").arg(number, payment));
}

QStringList linesOf(const printing::ClosingSlip& slip)
{
    QStringList lines;
    for (const printing::ClosingSlip::Line& line : slip.lines)
        if (!line.rule)
            lines << QStringList{line.text, line.count, line.amount}.join('|');
    return lines;
}

void requireLines(const printing::ClosingSlip& slip, const QStringList& expected)
{
    const QStringList lines = linesOf(slip);
    for (const QString& line : expected)
        QVERIFY2(lines.contains(line), qPrintable(line + " not in:\n" + lines.join('\n')));
}

// Two sales either side of midnight, closed at 01:00; then a forgotten sale of the first day, one in
// the close's own second, one in the morning, a cash return of the first day's sale and a handover,
// closed at 23:00.
void twoDays(const TestDatabase& db, store::Connection& connection, shifts::ClosedDay* first, shifts::ClosedDay* second)
{
    sell(db, "20261208220000", "2026-12-08 22:00:00", "张三", "苹果", 2, "30", "'现金', 3000, 5000, 2000");
    sell(db, "20261209003000", "2026-12-09 00:30:00", "admin", "牛奶", 3, "18.38", "'微信', 1838, NULL, NULL");
    *first = shifts::closeBusinessDay(connection, Admin, at("2026-12-09T01:00:00"), nullptr);
    // A sale forgotten on the first day, typed in with its own time after the close.
    sell(db, "20261208230000", "2026-12-08 23:00:00", "admin", "糖", 1, "3", "'支付宝', 300, NULL, NULL");
    sell(db, "20261209010000", "2026-12-09 01:00:00", "张三", "苹果", 1, "10", "");
    sell(db, "20261209090000", "2026-12-09 09:00:00", "张三", "香蕉", 1, "5", "'现金', 500, 500, 0");
    records::ReturnRequest back;
    back.saleNumber = "20261208220000";
    back.quantities.insert(db.scalar("SELECT rowid FROM xsmx WHERE 单号 = '20261208220000'").toLongLong(), 1);
    back.method = sales::PayMethod::Cash;
    back.returnedBy = Admin;
    back.at = at("2026-12-09T10:00:00");
    records::recordReturn(connection, back);
    shifts::handOver(connection, "张三", at("2026-12-09T08:00:00"), 10000, 11500, at("2026-12-09T12:00:00"), nullptr);
    *second = shifts::closeBusinessDay(connection, Admin, at("2026-12-09T23:00:00"), nullptr);
}

QString shown(const store::PeriodFigures& figures)
{
    QStringList parts{QString("%1 sales %2 returns").arg(figures.sales).arg(figures.returns)};
    for (const auto* totals : {&figures.paid, &figures.refunded})
        for (const store::MethodTotal& total : *totals)
            parts << QString("%1 %2 %3").arg(total.method).arg(total.entries).arg(total.fen);
    return parts.join(", ");
}

QString shown(const QList<store::NamedTotal>& totals)
{
    QStringList parts;
    for (const store::NamedTotal& total : totals)
        parts << QString("%1 %2 %3").arg(total.name).arg(total.quantity).arg(total.fen);
    return parts.join(", ");
}

QStringList shownPeriod(store::Connection& connection, const store::Period& period, store::PeriodReading reading)
{
    const auto [first, last] = store::firstAndLastSale(connection, period, reading);
    return {shown(store::readPeriod(connection, period, QString(), reading)),
                       shown(store::readPeriod(connection, period, "张三", reading)), first + " to " + last,
                       shown(store::cashierTotals(connection, period, reading)),
                       shown(store::topGoods(connection, period, reading))};
}

void returnOne(const TestDatabase& db, store::Connection& connection, const QString& number, sales::PayMethod method,
               const char* time)
{
    records::ReturnRequest back;
    back.saleNumber = number;
    back.quantities.insert(db.scalar("SELECT rowid FROM xsmx WHERE 单号 = '" + number + "'").toLongLong(), 1);
    back.method = method;
    back.returnedBy = Admin;
    back.at = at(time);
    records::recordReturn(connection, back);
}

} // namespace

class TestShiftsDayClose : public QObject
{
    Q_OBJECT

private slots:
    void aDayRunsPastMidnightUntilItIsClosed();
    void wholeDaysReadFromTheTotalsAgreeWithEveryEntry();
    void closedDaysKeepTheirReportAndNumbers();
    void zSlipPrintsOnTheReceiptPrinter();
};

void TestShiftsDayClose::aDayRunsPastMidnightUntilItIsClosed()
{
    TestDatabase db;
    store::Connection connection(QStringLiteral("test"));
    shifts::ClosedDay first, second;
    twoDays(db, connection, &first, &second);

    QCOMPARE(first.number, 1);
    requireLines(first.slip, {"Z号：1||", "开始：（首次日结）||", "日结：2026-12-09 01:00:00||", "销售笔数：||2",
                              "首单号：20261208220000||", "末单号：20261209003000||", "现金|1笔|30.00",
                              "微信|1笔|18.38", "销售合计：||48.38", "退货笔数：||0", "净收入：||48.38",
                              "admin|1笔|18.38", "张三|1笔|30.00"});
    const QStringList firstLines = linesOf(first.slip);
    QVERIFY(firstLines.indexOf("苹果|2|30.00") >= 0 && firstLines.indexOf("苹果|2|30.00") < firstLines.indexOf("牛奶|3|18.38"));

    // The sale in the close's own second is the next day's, and so is the sale typed in after the
    // close with an earlier time; the return counts on its own day.
    QCOMPARE(second.number, 2);
    requireLines(second.slip, {"Z号：2||", "开始：2026-12-09 01:00:00||", "销售笔数：||3", "首单号：20261208230000||",
                               "末单号：20261209090000||", "现金|2笔|15.00", "支付宝|1笔|3.00", "销售合计：||18.00",
                               "退货笔数：||1", "退款 现金|1笔|-15.00", "净收入：||3.00", "张三|2笔|15.00",
                               "admin|1笔|-12.00", "香蕉|1|5.00", "糖|1|3.00", "苹果|0|-5.00", "张三 12:00|1笔|10.00"});
    QVERIFY(!linesOf(second.slip).contains("微信|1笔|18.38"));
    QCOMPARE(db.rows("SELECT Z号, 开始, 结束, 末行, 操作员, 笔数, 金额 FROM rj ORDER BY Z号"),
             (QStringList{"1||2026-12-09 01:00:00|2|admin|2|4838",
                          "2|2026-12-09 01:00:00|2026-12-09 23:00:00|6|admin|3|300"}));
    // The figures are read through index ranges of the entries and of the per-day totals, never by
    // scanning a table.
    const QList<std::pair<QString, QString>> statements = {
        {store::sql::PeriodCounts, "rtj_日期"},       {store::sql::PeriodPayments, "xstj_退货时间"},
        {store::sql::PeriodPayments, "rfk_日期"},     {store::sql::PeriodFirstSale, "INDEX xstj_时间 (时间>? AND 时间<?)"},
        {store::sql::PeriodLastSale, "INDEX xstj_时间 (时间>? AND 时间<?)"},
        {store::sql::PeriodCashiers, "rtj_日期"},     {store::sql::PeriodTopGoods, "rsp_日期"}};
    for (const auto& [statement, days] : statements) {
        const QString plan =
            db.rows("EXPLAIN QUERY PLAN " + QString(statement).replace(QRegularExpression(":[a-z_]+"), "''")).join('\n');
        QVERIFY2(plan.contains("USING COVERING INDEX xstj_时间 (时间>? AND 时间<?)") &&
                     plan.contains("USING INTEGER PRIMARY KEY (rowid>?)") && plan.contains(days) &&
                     !plan.contains(QRegularExpression("SCAN (t|m|f|xstj|xsmx|xsfk|rtj|rfk|rsp)\\b")),
                 qPrintable(statement + '\n' + plan));
    }
}

// Five days of every kind of entry: the days inside a period read from the totals give what its
// entries give, whichever way the period's ends fall.
void TestShiftsDayClose::wholeDaysReadFromTheTotalsAgreeWithEveryEntry()
{
    TestDatabase db;
    store::Connection connection(QStringLiteral("test"));
    for (int day = 1; day <= 5; ++day) {
        const QString date = QString("2026-12-0%1").arg(day);
        const QString stamp = QString("2026120%1").arg(day);
        sell(db, stamp + "090000", date + " 09:00:00", "张三", "苹果", day, QString::number(day * 10),
             QString("'现金', %1, %2, %3").arg(day * 1000).arg(day * 1000 + 500).arg(500));
        sell(db, stamp + "120000", date + " 12:00:00", "admin", "牛奶", 1, "18.38", "'微信', 1838, NULL, NULL");
        sell(db, stamp + "180000", date + " 18:00:00", "张三", "糖", 2, "7.5", "");
        sell(db, stamp + "210000", date + " 21:00:00", "admin", "香蕉", 1, "20", "'银行卡', 1200, NULL, NULL");
        db.exec("INSERT INTO xsfk VALUES ('" + stamp + "210000', '支付宝', 800, NULL, NULL)");
    }
    // Times the old program left: a bare date, none at all, and no cashier.
    sell(db, "20261203000001", "2026-12-03", "张三", "苹果", 1, "3.33", "");
    sell(db, "20261203000002", "", "张三", "苹果", 1, "4", "");
    db.exec("UPDATE xstj SET 时间 = NULL WHERE 单号 = '20261203000002'; UPDATE xsmx SET 时间 = NULL WHERE 单号 = "
            "'20261203000002'; UPDATE xstj SET 收银员 = NULL WHERE 单号 = "
            "'20261204120000'");
    returnOne(db, connection, "20261201090000", sales::PayMethod::Cash, "2026-12-02T10:00:00");
    returnOne(db, connection, "20261202120000", sales::PayMethod::WeChat, "2026-12-04T23:59:59");
    returnOne(db, connection, "20261205210000", sales::PayMethod::Alipay, "2026-12-05T22:00:00");
    const qint64 closedRow = db.scalar("SELECT max(rowid) FROM xstj").toLongLong();
    // Typed in after a close at 12-02 08:00 with an earlier time.
    sell(db, "20261201230000", "2026-12-01 23:00:00", "张三", "糖", 1, "2", "'现金', 200, 200, 0");

    const QList<store::Period> periods = {{"", "2026-12-06 01:00:00", std::nullopt},
                                          {"", "2026-12-04 00:00:00", std::nullopt},
                                          {"2026-12-02 08:00:00", "2026-12-05 21:30:00", closedRow},
                                          {"2026-12-01 00:00:00", "2026-12-04 00:00:00", std::nullopt},
                                          {"2026-12-02 23:00:00", "2026-12-04 08:00:00", closedRow},
                                          {"2026-12-03 09:00:00", "2026-12-03 20:00:00", std::nullopt}};
    for (const store::Period& period : periods)
        QCOMPARE(shownPeriod(connection, period, store::PeriodReading::WholeDaysFromTotals),
                 shownPeriod(connection, period, store::PeriodReading::EveryEntry));

    // The whole days are indeed read from the totals.
    db.exec("UPDATE rtj SET 笔数 = 笔数 + 100 WHERE 日期 = '2026-12-03' AND 收银员 = '张三' AND 退货 = 0");
    QCOMPARE(store::readPeriod(connection, periods[2], QString(), store::PeriodReading::WholeDaysFromTotals).sales,
             store::readPeriod(connection, periods[2], QString(), store::PeriodReading::EveryEntry).sales + 100);
}

void TestShiftsDayClose::closedDaysKeepTheirReportAndNumbers()
{
    TestDatabase db;
    store::Connection connection(QStringLiteral("test"));
    shifts::ClosedDay first, second;
    twoDays(db, connection, &first, &second);
    const QString kept = store::dayClose(connection, 1)->report;

    // A sale of the closed day deleted, another returned later: the first report stays as printed.
    db.exec("DELETE FROM xstj WHERE 单号 = '20261209003000'; DELETE FROM xsfk WHERE 单号 = '20261209003000'");
    sell(db, "20261210080000", "2026-12-10 08:00:00", "张三", "糖", 1, "2", "'现金', 200, 200, 0");
    QCOMPARE(store::dayClose(connection, 1)->report, kept);
    QCOMPARE(linesOf(shifts::slipFromSnapshot(kept)), linesOf(first.slip));
    printing::PrintCapture capture;
    struct : shifts::SlipHandOff
    {
        void ready() override {}
        void print(printing::ClosingSlip slip, const QString& name) override
        {
            printed = slip;
            printing::printClosingSlip(slip, "58", 1, name);
        }
        QString waitForPrinter() override { return {}; }
        printing::ClosingSlip printed;
    } hand;
    shifts::reprintDayClose(connection, 1, &hand);
    QCOMPARE(hand.printed.title, QStringLiteral("日结报表（重印）"));
    QCOMPARE(linesOf(hand.printed), linesOf(first.slip));
    QCOMPARE(capture.jobs().size(), 1);
    QCOMPARE(capture.jobs().first().documentName, QStringLiteral("日结 Z号 1 重印"));
    QVERIFY(testsupport::textsOf(capture.jobs().first().drawn).contains("末单号：20261209003000"));

    // Refused, with nothing written: a cashier, and a day with nothing in it.
    const QStringList before = db.rows("SELECT * FROM rj");
    for (const auto& [who, now, refusal] :
         {std::tuple{core::LoggedInUser{"张三", "普通用户"}, at("2026-12-11T00:00:00"), QString("只有管理员")},
          std::tuple{Admin, at("2026-12-10T07:00:00"), QString("无需日结")},
          std::tuple{Admin, at("2026-12-09T22:00:00"), QString("早于上次日结")}}) {
        try {
            shifts::closeBusinessDay(connection, who, now, nullptr);
            QFAIL(qPrintable("closed for " + who.name + " at " + now.toString()));
        } catch (const core::Error& error) {
            QVERIFY2(error.message().contains(refusal), qPrintable(error.message()));
        }
    }
    QCOMPARE(db.rows("SELECT * FROM rj"), before);

    // A number once given is never given again, even when its row went.
    db.exec("DELETE FROM rj WHERE Z号 = 2");
    QCOMPARE(shifts::closeBusinessDay(connection, Admin, at("2026-12-10T23:00:00"), nullptr).number, 3);
}

// An administrator closes the day from 销售统计 on a raw receipt queue: the job decodes to the
// report, and a reprint sent there is dot for dot the page whose totals are read.
void TestShiftsDayClose::zSlipPrintsOnTheReceiptPrinter()
{
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_dayclose"));
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    testsupport::ShellFixture shell([](TestDatabase& db) {
        sell(db, "20261209090000", "2026-12-09 09:00:00", "admin", "苹果", 2, "38.38", "'现金', 3838, 5000, 1162");
        sell(db, "20261209100000", "2026-12-09 10:00:00", "admin", "牛奶", 1, "20", "'微信', 2000, NULL, NULL");
    });
    QVERIFY(shell.logIn());
    TXstjForm& statistics = *shell.forms->XstjForm;
    QVERIFY(control<QToolButton>(statistics, "SpeedButton6")->isEnabled());
    shell.modals->clear();
    statistics.SpeedButton6Click();
    QCOMPARE(shell.modals->shown(), QStringList{"TRjForm"});
    TRjForm& dialog = *shell.forms->RjForm;
    QVERIFY(control<QPlainTextEdit>(dialog, "Memo1")->toPlainText().contains("销售合计： 58.38"));
    shell.messages.setNextAnswers({true});
    dialog.SpeedButton1Click();
    QCOMPARE(shell.messages.texts().last(), QStringLiteral("日结完成，Z号 1。"));
    QCOMPARE(control<QTableWidget>(dialog, "TableWidget1")->rowCount(), 1);
    const QByteArray job = queue.printer().receiveJob(60000);
    QVERIFY2(!job.isEmpty(), "no job arrived");
    const testsupport::EscPosDecoding decoded = testsupport::decodeEscPos(job);
    QCOMPARE(decoded.error, QString());
    QCOMPARE(decoded.papers.size(), 1);
    QVERIFY(testsupport::inkColumns(decoded.papers.first()).second > 0);

    const std::optional<printing::EscPosSettings> settings = printing::receiptEscPos(false);
    QVERIFY(settings);
    control<QTableWidget>(dialog, "TableWidget1")->selectRow(0);
    dialog.SpeedButton2Click();
    const QImage reprinted = testsupport::decodeEscPos(queue.printer().receiveJob(60000)).papers.value(0);
    printing::PrintCapture capture;
    capture.keepDots(*settings);
    dialog.SpeedButton2Click();
    QCOMPARE(capture.jobs().size(), 1);
    const printing::CapturedJob page = capture.jobs().first();
    QCOMPARE(testsupport::dotDifference(reprinted, page.dots), QString());
    const QStringList texts = testsupport::textsOf(page.drawn);
    for (const QString shown : {"日结报表（重印）", "Z号：1", "首单号：20261209090000", "末单号：20261209100000", "现金",
                                "38.38", "微信", "20.00", "销售合计：", "58.38", "苹果", "牛奶"})
        QVERIFY2(texts.contains(shown), qPrintable(shown + " not in " + texts.join(" / ")));

    statistics.applyRights(false);
    QVERIFY(!control<QToolButton>(statistics, "SpeedButton6")->isEnabled());
}

QTEST_MAIN(TestShiftsDayClose)
#include "test_shifts_dayclose.moc"
