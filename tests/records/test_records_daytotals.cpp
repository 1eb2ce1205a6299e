// The per-day totals always equal the history's own sums, whatever the program writes to it, and
// the statistics window's count and footers, read from them, are the history's.
#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/Dy76Unit.h"
#include "printing/PrintRun.h"
#include "records/Returns.h"
#include "records/XstjUnit.h"
#include "store/DayTotals.h"
#include "store/Numbers.h"
#include "support/Controls.h"
#include "support/DayTotalsCheck.h"
#include "support/DesktopRecorders.h"
#include "support/PrintingSale.h"
#include "support/RecordsWindows.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"

#include <QRandomGenerator>
#include <QtTest>
#include <memory>

using namespace testsupport;

namespace {

constexpr int QuantityColumn = 3;
constexpr int AmountColumn = 4;
constexpr int DiscountedColumn = 5;

const QStringList Cashiers = {QStringLiteral("admin"), QStringLiteral("张三"), QStringLiteral("李四")};
const QStringList Days = {QStringLiteral("2026-12-08"), QStringLiteral("2026-12-09"), QStringLiteral("2026-12-10")};

// The program's own write paths on one data folder: the print run (nothing printed: no copies),
// the return, and the statistics window's delete.
struct Shop
{
    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    PrintingMain main;
    TDy58Form dy58;
    TDy76Form dy76;
    std::unique_ptr<RecordsWindows> windows = std::make_unique<RecordsWindows>();
    QRandomGenerator random;
    int sales = 0;
    QStringList refusals;

    explicit Shop(quint32 seed) : random(seed) {}

    QString timeOnSomeDay()
    {
        return QStringLiteral("%1 %2:%3:%4")
            .arg(Days.at(random.bounded(Days.size())))
            .arg(8 + random.bounded(12), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(60), 2, 10, QLatin1Char('0'))
            .arg(random.bounded(60), 2, 10, QLatin1Char('0'));
    }

    QString fenText(qint64 fen) { return store::formatNumber(static_cast<long double>(fen) / 100); }

    void sell()
    {
        const QString number = QStringLiteral("2026121%1").arg(++sales, 5, 10, QLatin1Char('0'));
        const QString time = timeOnSomeDay();
        QList<SaleLine> lines;
        qint64 amount = 0, due = 0;
        int quantity = 0;
        for (int i = 0, n = 1 + random.bounded(3); i < n; ++i) {
            const int count = 1 + random.bounded(3);
            const qint64 price = 100 + random.bounded(2000);
            const qint64 discounted = price * count - random.bounded(50);
            lines.append({QStringLiteral("商品%1").arg(i), fenText(price), QString::number(count),
                          fenText(price * count), fenText(discounted)});
            amount += price * count;
            due += discounted;
            quantity += count;
        }
        addSaleLines(db, number, time, lines);
        main.saleLines.requery(store::sql::SelectXsxx);
        printing::SaleToPrint sale = sampleSale();
        sale.copies = QStringLiteral("0");
        sale.number = number;
        sale.time = time;
        sale.cashier = Cashiers.at(random.bounded(Cashiers.size()));
        sale.totalQuantity = QString::number(quantity);
        sale.totalAmount = fenText(amount);
        sale.totalDue = fenText(due);
        // No payment rows at all, as before payments were kept, one in cash, or a split.
        switch (random.bounded(3)) {
        case 0:
            break;
        case 1:
            sale.payments = {{sales::PayMethod::Cash, due, due + 100, 100}};
            break;
        default:
            sale.payments = {{sales::PayMethod::WeChat, due / 2}, {sales::PayMethod::Card, due - due / 2}};
        }
        printing::printAndRecord(sale, dy58, dy76, main.connection, main.saleLines, main.history, main.historyLines);
    }

    // Some or all of what is left of a random sale, on a random day, refunded a random way.
    void returnSome()
    {
        const QStringList numbers = db.rows("SELECT 单号 FROM xstj WHERE 原单号 IS NULL");
        if (numbers.isEmpty())
            return;
        store::Connection connection(QStringLiteral("returns"));
        records::ReturnRequest request;
        request.saleNumber = numbers.at(random.bounded(numbers.size()));
        const store::SaleOnRecord sale = store::readSaleOnRecord(connection, request.saleNumber);
        for (const store::SoldLine& line : sale.lines)
            if ((request.quantities.isEmpty() || random.bounded(2)) && records::remainingOf(line) > 0)
                request.quantities.insert(line.rowid, records::remainingOf(line));
        request.method = random.bounded(2) ? sales::PayMethod::Cash : sales::PayMethod::Alipay;
        request.returnedBy = {Cashiers.at(random.bounded(Cashiers.size())), QStringLiteral("管理员")};
        request.at = QDateTime::fromString(timeOnSomeDay(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        try {
            records::recordReturn(connection, request);
        } catch (const core::Error& error) {
            // A sale returned whole: refused, nothing written.
            refusals << error.message();
        }
    }

    void deleteOne()
    {
        TXstjForm& statistics = *windows->statistics;
        statistics.OpenFromMain();
        if (statistics.ADOQuery1.recordCount() == 0)
            return;
        statistics.ADOQuery1.moveTo(1 + random.bounded(statistics.ADOQuery1.recordCount()));
        messages.setNextAnswers({true});
        statistics.SpeedButton4Click(); // a sale with returns is refused, as the program refuses it
    }
};

} // namespace

class TestRecordsDayTotals : public QObject
{
    Q_OBJECT

private slots:
    void totalsFollowEveryWrite_data();
    void totalsFollowEveryWrite();
    void disagreeingTotalsAreRepaired();
};

void TestRecordsDayTotals::totalsFollowEveryWrite_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << quint32(1);
    QTest::newRow("seed 2") << quint32(2);
    QTest::newRow("a new seed") << QRandomGenerator::global()->generate();
}

void TestRecordsDayTotals::totalsFollowEveryWrite()
{
    QFETCH(quint32, seed);
    Shop shop(seed);
    for (int step = 0; step < 40; ++step) {
        const int action = shop.random.bounded(4);
        if (action < 2)
            shop.sell();
        else if (action == 2)
            shop.returnSome();
        else
            shop.deleteOne();
        const QString mismatch = dayTotalsMismatch(shop.db);
        QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral("step %1 (seed %2): %3").arg(step).arg(seed).arg(mismatch)));
    }
    QVERIFY2(shop.db.scalar("SELECT count(*) FROM xstj WHERE 原单号 IS NOT NULL").toInt() > 0,
             qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(shop.refusals.join(QLatin1Char(' ')))));
    QVERIFY(shop.db.scalar("SELECT count(DISTINCT 方式) FROM rfk").toInt() >= 3);
    store::Connection connection(QStringLiteral("check"));
    QCOMPARE(store::dayTotalsDisagreements(connection), QStringList());

    // What the window shows, from the totals, is what the history adds up to.
    TXstjForm& statistics = *shop.windows->statistics;
    statistics.OpenFromMain();
    ui::DataGrid& grid = *control<ui::DataGrid>(statistics, "DBGridEh1");
    QCOMPARE(grid.model()->rowCount(), shop.db.scalar("SELECT count(*) FROM xstj").toInt());
    QCOMPARE(QStringList({grid.footerText(QuantityColumn), grid.footerText(AmountColumn), grid.footerText(DiscountedColumn)}),
             shop.db.rows("SELECT total(数量), round(total(金额), 2), round(total(折后), 2) FROM xstj")
                 .first()
                 .split('|')
                 .replaceInStrings(QRegularExpression("\\.0$"), ""));
    statistics.showMatching(records::SalesSearch::ByCashier, QStringLiteral("张"));
    QCOMPARE(grid.model()->rowCount(), shop.db.scalar("SELECT count(*) FROM xstj WHERE 收银员 = '张三'").toInt());
}

// Totals made wrong behind the program's back: the check finds it and sums them again, and the
// statistics window, once its list has been read to the end, does so itself.
void TestRecordsDayTotals::disagreeingTotalsAreRepaired()
{
    Shop shop(3);
    for (int i = 0; i < 5; ++i)
        shop.sell();
    shop.db.exec("UPDATE rtj SET 笔数 = 笔数 + 2 WHERE rowid = (SELECT min(rowid) FROM rtj)");
    store::Connection connection(QStringLiteral("check"));
    QCOMPARE(store::dayTotalsDisagreements(connection).size(), 1);

    TXstjForm& statistics = *shop.windows->statistics;
    statistics.OpenFromMain();
    QCOMPARE(statistics.ADOQuery1.recordCount(), 7); // as the totals count it
    statistics.ADOQuery1.last();
    QVERIFY(!statistics.ADOQuery1.field("单号").isEmpty());
    QCOMPARE(statistics.ADOQuery1.recordCount(), 5); // as the rows are
    QTRY_VERIFY(dayTotalsMismatch(shop.db).isEmpty());
    QCOMPARE(control<ui::DataGrid>(statistics, "DBGridEh1")->model()->rowCount(), 5);

    shop.db.exec("DELETE FROM rfk; UPDATE rsp SET 数量 = 数量 + 1 WHERE rowid = (SELECT min(rowid) FROM rsp)");
    QCOMPARE(store::dayTotalsDisagreements(connection).filter("rsp ").size(), 1);
    QVERIFY(store::repairDayTotals(connection));
    QCOMPARE(store::dayTotalsDisagreements(connection), QStringList());
    QVERIFY(dayTotalsMismatch(shop.db).isEmpty());
    QVERIFY(!store::repairDayTotals(connection));
}

QTEST_MAIN(TestRecordsDayTotals)
#include "test_records_daytotals.moc"
