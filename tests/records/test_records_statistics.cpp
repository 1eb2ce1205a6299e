#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "store/Catalogue.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/RecordsHistory.h"
#include "support/RecordsWindows.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"
#include "ui/Messages.h"

#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>
#include <functional>
#include <memory>
#include <sqlite3.h>

using namespace testsupport;

namespace {

constexpr int ReceiptColumn = 1;
constexpr int QuantityColumn = 3;
constexpr int AmountColumn = 4;
constexpr int DiscountedColumn = 5;

const QString Confirmation = QStringLiteral("确定要删除选中的销售信息？");

struct Fixture
{
    explicit Fixture(const std::function<void(const TestDatabase&)>& fill = {})
    {
        if (fill)
            fill(db);
        windows = std::make_unique<RecordsWindows>();
    }

    TXstjForm& statistics() { return *windows->statistics; }
    ui::DataGrid& grid() { return *control<ui::DataGrid>(*windows->statistics, "DBGridEh1"); }

    QStringList listedNumbers()
    {
        QStringList numbers;
        for (int row = 0; row < grid().model()->rowCount(); ++row)
            numbers << grid().cellText(row, ReceiptColumn);
        return numbers;
    }
    QStringList sumFooters()
    {
        return {grid().footerText(QuantityColumn), grid().footerText(AmountColumn),
                grid().footerText(DiscountedColumn)};
    }
    QString storedNumbers() { return db.rows(QStringLiteral("SELECT 单号 FROM xstj ORDER BY rowid")).join(','); }

    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    std::unique_ptr<RecordsWindows> windows;
};

HistorySale sale(const QString& number, const QString& time)
{
    HistorySale sale;
    sale.number = number;
    sale.time = time;
    return sale;
}

void threeSalesOutOfTimeOrder(const TestDatabase& db)
{
    addSale(db, sale("20261209100002", "2026-12-09 10:00:02"));
    addSale(db, sale("20261209100000", "2026-12-09 10:00:00"));
    addSale(db, sale("20261209100001", "2026-12-09 10:00:01"));
}

// Holds the write lock on data.mdb from outside the program, as another program would.
class WriteLock
{
public:
    explicit WriteLock(const QString& path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~WriteLock()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    sqlite3* m_db = nullptr;
};

} // namespace

class TestRecordsStatistics : public QObject
{
    Q_OBJECT

private slots:
    void windowLayout();
    void receiptNumberAndTimeShowWhole();
    void emptyHistoryAsksNothingOnDelete();
    void saleAddedAfterClosingIsListedAtNextOpening();
    void openingListsInTimeOrderAndRefreshInTableOrder();
    void footersTotalTheRowsTheListHolds();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deletingTheLastRowsLeavesAnEmptyGrid();
    void deletingASaleDeletesOnlyLinesNoSaleKeeps_data();
    void deletingASaleDeletesOnlyLinesNoSaleKeeps();
    void searchMatchingNothingDeletesNoLines();
    void lockedDatabaseKeepsTheSaleAndSaysWhy();
    void missingDatabaseIsReportedAndRefreshRecovers();
    void menuItemsRunTheirButtons();
    void scannedNumberGoesToItsSale();
};

void TestRecordsStatistics::windowLayout()
{
    Fixture f;
    TXstjForm& w = f.statistics();
    QCOMPARE(w.caption(), QStringLiteral("销售统计"));
    QCOMPARE(w.clientArea()->size(), QSize(717, 514));

    const QList<QToolButton*> buttons = {
        control<QToolButton>(w, "SpeedButton1"), control<QToolButton>(w, "SpeedButton3"),
        control<QToolButton>(w, "SpeedButton2"), control<QToolButton>(w, "SpeedButton4")};
    const QStringList captions = {"查询", "刷新", "导出", "删除"};
    for (int i = 0; i < buttons.size(); ++i) {
        QToolButton* button = buttons.at(i);
        QCOMPARE(button->text(), captions.at(i));
        QCOMPARE(button->size(), QSize(81, 33));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->font().pixelSize(), 15);
        if (i > 0) {
            QCOMPARE(button->y(), buttons.at(i - 1)->y());
            QVERIFY(button->x() >= buttons.at(i - 1)->geometry().right());
        }
        QVERIFY(button->geometry().bottom() < control<ui::DataGrid>(w, "DBGridEh1")->y());
    }

    QCOMPARE(control<ui::DataGrid>(w, "DBGridEh1")->size(), QSize(689, 386));
    QVERIFY(control<ui::DataGrid>(w, "DBGridEh1")->isFooterVisible());
    QStringList titles;
    QList<int> widths;
    for (const ui::GridColumn& column : control<ui::DataGrid>(w, "DBGridEh1")->model()->columns()) {
        titles << column.title;
        widths << column.width;
    }
    QCOMPARE(titles, QStringList({"序号", "单号", "时间", "数量", "金额", "折后", "收银员", "付款方式", "状态"}));
    // The widths are proportions that fill the grid without a scroll bar.
    int given = 0;
    for (const int width : widths)
        given += width;
    QVERIFY(given <= control<ui::DataGrid>(w, "DBGridEh1")->width() - 4);
    QCOMPARE(control<ui::DataGrid>(w, "DBGridEh1")->view()->contextMenuPolicy(), Qt::CustomContextMenu);
    QVERIFY(control<ui::DataGrid>(w, "DBGridEh1")->view()->horizontalHeader()->isSortIndicatorShown());

    QStringList items;
    for (QAction* action : w.suiPopupMenu1->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, QStringList({"查询", "刷新", "-", "导出", "重打小票", "-", "删除", "退货"}));
    QCOMPARE(w.suiPopupMenu1->actions().at(0), w.N1);
    QCOMPARE(w.suiPopupMenu1->actions().at(4), w.N7);
    QCOMPARE(w.suiPopupMenu1->actions().at(6), w.N6);

    QVERIFY(control<QStatusBar>(w, "StatusBar1")->currentMessage().isEmpty());
    QVERIFY(control<QStatusBar>(w, "StatusBar1")->geometry().bottom() == 513);
    QVERIFY(control<QLineEdit>(w, "Edit1")->isHidden());
}

void TestRecordsStatistics::receiptNumberAndTimeShowWhole()
{
    Fixture f(threeSalesOutOfTimeOrder);
    f.statistics().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.statistics()));
    QTableView* view = f.grid().view();
    QHeaderView* titles = view->horizontalHeader();
    const QFontMetrics metrics(view->font());
    for (const int column : {ReceiptColumn, ReceiptColumn + 1}) {
        for (int row = 0; row < f.grid().model()->rowCount(); ++row) {
            const QString text = f.grid().cellText(row, column);
            QVERIFY(!text.isEmpty());
            QVERIFY2(metrics.horizontalAdvance(text) + 6 <= titles->sectionSize(column), qPrintable(text));
        }
    }
    QCOMPARE(view->horizontalScrollBar()->isVisible(), false);

    // Dragging the time column's right edge widens it, and it stays wide though a scroll bar comes.
    const int time = ReceiptColumn + 1;
    const int before = titles->sectionSize(time);
    const int edge = titles->sectionViewportPosition(time) + before - 1;
    const int middle = titles->height() / 2;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge, middle));
    QTest::mouseMove(titles->viewport(), QPoint(edge + 40, middle));
    QTest::mouseMove(titles->viewport(), QPoint(edge + 80, middle));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge + 80, middle));
    QTRY_VERIFY(view->horizontalScrollBar()->isVisible());
    QCOMPARE(titles->sectionSize(time), before + 80);
    QTest::qWait(50);
    QCOMPARE(titles->sectionSize(time), before + 80);
    f.statistics().hide();
}

void TestRecordsStatistics::emptyHistoryAsksNothingOnDelete()
{
    Fixture f;
    f.statistics().OpenFromMain();
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm"}));
    QCOMPARE(f.grid().model()->rowCount(), 0);
    QCOMPARE(f.sumFooters(), QStringList({"0", "0", "0"}));
    QCOMPARE(f.grid().footerText(0), QStringLiteral("合计"));

    control<QToolButton>(f.statistics(), "SpeedButton4")->click();
    f.statistics().N6->trigger();
    QVERIFY(f.messages.messages().isEmpty());
}

void TestRecordsStatistics::saleAddedAfterClosingIsListedAtNextOpening()
{
    Fixture f([](const TestDatabase& db) { addSale(db, sale("20261209100000", "2026-12-09 10:00:00")); });
    f.statistics().OpenFromMain();
    f.statistics().close();
    addSale(f.db, sale("20261209110000", "2026-12-09 11:00:00"));
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000"})); // a snapshot until re-read

    f.statistics().OpenFromMain();
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000", "20261209110000"}));
    QCOMPARE(f.statistics().ADOQuery1.recordNumber(), 1);
}

void TestRecordsStatistics::openingListsInTimeOrderAndRefreshInTableOrder()
{
    Fixture f(threeSalesOutOfTimeOrder);
    f.statistics().OpenFromMain();
    QVERIFY(f.statistics().ADOQuery1.statement() == store::sql::XstjByTime);
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000", "20261209100001", "20261209100002"}));

    control<QToolButton>(f.statistics(), "SpeedButton3")->click();
    QVERIFY(f.statistics().ADOQuery1.statement() == store::sql::SelectXstj);
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100002", "20261209100000", "20261209100001"}));
}

void TestRecordsStatistics::footersTotalTheRowsTheListHolds()
{
    Fixture f([](const TestDatabase& db) {
        addSale(db, {"2026120901", "2026-12-09 01:00:00", "1.125", "12.5", "3.456", "张三"});
        addSale(db, {"2026120902", "2026-12-09 02:00:00", "2", "3", "0.004", "李四"});
        addSale(db, {"2026121003", "2026-12-10 03:00:00", "NULL", "10", "1", "张三"});
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    // Quantity is summed as a plain number, the amounts as "#0.##".
    QCOMPARE(f.sumFooters(), QStringList({"3.125", "25.5", "4.46"}));
    QCOMPARE(f.grid().cellText(0, DiscountedColumn), QStringLiteral("3.46"));
    QCOMPARE(f.grid().cellText(0, AmountColumn), QStringLiteral("12.5"));
    QCOMPARE(f.grid().cellText(2, QuantityColumn), QString());

    TXscxForm& query = *f.windows->query;
    w.SpeedButton1Click();
    control<QComboBox>(query, "ComboBox1")->setEditText(QStringLiteral("20261209"));
    query.SpeedButton1Click();
    QCOMPARE(f.listedNumbers(), QStringList({"2026120901", "2026120902"}));
    QCOMPARE(f.sumFooters(), QStringList({"3.125", "15.5", "3.46"}));

    w.SpeedButton1Click();
    control<QComboBox>(query, "ComboBox2")->setEditText(QStringLiteral("张三"));
    query.SpeedButton1Click();
    QCOMPARE(f.listedNumbers(), QStringList({"2026120901", "2026121003"}));
    QCOMPARE(f.sumFooters(), QStringList({"1.125", "22.5", "4.46"}));

    w.SpeedButton3Click();
    QCOMPARE(f.sumFooters(), QStringList({"3.125", "25.5", "4.46"}));
}

void TestRecordsStatistics::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("currentAfter");

    const QStringList all = {"20261209100000", "20261209100001", "20261209100002"};
    const QStringList withoutSecond = {"20261209100000", "20261209100002"};
    QTest::newRow("button, OK deletes and moves to the following row") << false << true << withoutSecond << 2;
    QTest::newRow("menu, OK deletes and moves to the following row") << true << true << withoutSecond << 2;
    QTest::newRow("button, Cancel keeps everything") << false << false << all << 2;
    QTest::newRow("menu, Cancel keeps everything") << true << false << all << 2;
}

void TestRecordsStatistics::deleteAsksFirst()
{
    QFETCH(bool, fromMenu);
    QFETCH(bool, answer);
    QFETCH(QStringList, listed);
    QFETCH(int, currentAfter);

    Fixture f(threeSalesOutOfTimeOrder);
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    w.ADOQuery1.moveTo(2);
    f.messages.setNextAnswers({answer});
    if (fromMenu)
        w.N6->trigger();
    else
        control<QToolButton>(w, "SpeedButton4")->click();

    QCOMPARE(f.messages.messages().size(), 1);
    const ui::RecordedMessage asked = f.messages.messages().first();
    QCOMPARE(asked.text, Confirmation);
    QCOMPARE(asked.style, ui::MessageStyle::WarningOkCancel);
    QCOMPARE(asked.ownerName, QStringLiteral("TXstjForm"));
    QCOMPARE(f.listedNumbers(), listed);
    QCOMPARE(w.ADOQuery1.recordNumber(), currentAfter);
    QStringList stored = f.storedNumbers().split(',');
    stored.sort();
    QCOMPARE(stored, listed);
    QCOMPARE(f.grid().footerText(QuantityColumn), QString::number(listed.size()));
}

void TestRecordsStatistics::deletingTheLastRowsLeavesAnEmptyGrid()
{
    Fixture f([](const TestDatabase& db) {
        addSale(db, sale("20261209100000", "2026-12-09 10:00:00"));
        addSale(db, sale("20261209100001", "2026-12-09 10:00:01"));
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    w.ADOQuery1.last();
    w.SpeedButton4Click();
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000"}));
    QCOMPARE(w.ADOQuery1.recordNumber(), 1);

    w.SpeedButton4Click();
    QCOMPARE(f.grid().model()->rowCount(), 0);
    QCOMPARE(w.ADOQuery1.recordCount(), 0);
    QCOMPARE(f.sumFooters(), QStringList({"0", "0", "0"}));
    QCOMPARE(f.storedNumbers(), QString());
    QCOMPARE(f.messages.messages().size(), 2);

    w.SpeedButton4Click(); // nothing left: no question
    QCOMPARE(f.messages.messages().size(), 2);
}

void TestRecordsStatistics::deletingASaleDeletesOnlyLinesNoSaleKeeps_data()
{
    QTest::addColumn<QStringList>("sales"); // numbers, listed in this (time) order
    QTest::addColumn<QStringList>("lines"); // "number:goods"
    QTest::addColumn<int>("recordToDelete");
    QTest::addColumn<QStringList>("linesLeft"); // "number|goods"

    QTest::newRow("its own lines go, another sale's stay")
        << QStringList{"20261209100000", "20261209100001"}
        << QStringList{"20261209100000:苹果", "20261209100001:梨", "20261209100000:香蕉"} << 1
        << QStringList{"20261209100001|梨"};
    QTest::newRow("a number another sale shares keeps its lines")
        << QStringList{"20261209100000", "20261209100000"} << QStringList{"20261209100000:苹果", "20261209100000:香蕉"}
        << 1 << QStringList{"20261209100000|苹果", "20261209100000|香蕉"};
    QTest::newRow("a number inside another's takes only its own lines")
        << QStringList{"2026120910000", "20261209100001"} << QStringList{"2026120910000:苹果", "20261209100001:梨"} << 1
        << QStringList{"20261209100001|梨"};
    QTest::newRow("the longer number keeps the shorter one's lines")
        << QStringList{"2026120910000", "20261209100001"} << QStringList{"2026120910000:苹果", "20261209100001:梨"} << 2
        << QStringList{"2026120910000|苹果"};
    QTest::newRow("lines of no sale are not this sale's")
        << QStringList{"20261209100000"} << QStringList{"20261209999999:梨", "20261209100000:苹果"} << 1
        << QStringList{"20261209999999|梨"};
    QTest::newRow("a sale without a number leaves every line")
        << QStringList{"NULL"} << QStringList{":苹果", "NULL:梨"} << 1 << QStringList{"|苹果", "|梨"};
    QTest::newRow("quotes in the number are matched literally")
        << QStringList{"1' OR '1'='1", "20261209100001"} << QStringList{"1' OR '1'='1:苹果", "20261209100001:梨"} << 1
        << QStringList{"20261209100001|梨"};
}

void TestRecordsStatistics::deletingASaleDeletesOnlyLinesNoSaleKeeps()
{
    QFETCH(QStringList, sales);
    QFETCH(QStringList, lines);
    QFETCH(int, recordToDelete);
    QFETCH(QStringList, linesLeft);

    Fixture f([&](const TestDatabase& db) {
        for (int i = 0; i < sales.size(); ++i)
            addSale(db, sale(sales.at(i), QStringLiteral("2026-12-09 10:00:%1").arg(i, 2, 10, QLatin1Char('0'))));
        for (const QString& line : lines) {
            addLine(db, lineOf(line.section(':', 0, -2), line.section(':', -1)));
        }
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    w.ADOQuery1.moveTo(recordToDelete);
    w.SpeedButton4Click();

    QCOMPARE(w.ADOQuery1.recordCount(), int(sales.size()) - 1);
    QCOMPARE(f.db.scalar("SELECT count(*) FROM xstj"), QString::number(sales.size() - 1));
    QCOMPARE(lineRows(f.db), linesLeft);
}

void TestRecordsStatistics::searchMatchingNothingDeletesNoLines()
{
    Fixture f([](const TestDatabase& db) {
        addSale(db, sale("20261209100000", "2026-12-09 10:00:00"));
        addLine(db, lineOf("20261209100000", "苹果"));
        addLine(db, lineOf("20261209100000", "梨"));
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    w.DBGridEh1DblClick(); // the detail window now holds the sale's lines
    w.SpeedButton1Click();
    control<QComboBox>(*f.windows->query, "ComboBox1")->setEditText(QStringLiteral("没有这个单号"));
    f.windows->query->SpeedButton1Click();
    QCOMPARE(f.grid().model()->rowCount(), 0);

    w.SpeedButton4Click();
    w.N6Click();
    w.DBGridEh1DblClick();
    w.SpeedButton3Click();
    QVERIFY(f.messages.messages().isEmpty());
    QCOMPARE(lineRows(f.db), QStringList({"20261209100000|苹果", "20261209100000|梨"}));
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000"}));
}

void TestRecordsStatistics::lockedDatabaseKeepsTheSaleAndSaysWhy()
{
    Fixture f([](const TestDatabase& db) {
        addSale(db, sale("20261209100000", "2026-12-09 10:00:00"));
        addLine(db, lineOf("20261209100000", "苹果"));
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    {
        WriteLock lock(f.db.path());
        control<QToolButton>(w, "SpeedButton4")->click(); // through the guard, as the user's click goes
    }
    QCOMPARE(f.messages.messages().size(), 2);
    const ui::RecordedMessage report = f.messages.messages().at(1);
    QVERIFY(report.isErrorReport);
    QVERIFY2(!report.text.isEmpty(), qPrintable(report.text));
    QCOMPARE(f.storedNumbers(), QStringLiteral("20261209100000"));
    QCOMPARE(lineRows(f.db), QStringList({"20261209100000|苹果"}));
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000"}));

    control<QToolButton>(w, "SpeedButton4")->click(); // the lock is gone: now it goes
    QCOMPARE(f.storedNumbers(), QString());
    QVERIFY(lineRows(f.db).isEmpty());
}

void TestRecordsStatistics::missingDatabaseIsReportedAndRefreshRecovers()
{
    Fixture f([](const TestDatabase& db) { addSale(db, sale("20261209100000", "2026-12-09 10:00:00")); });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    const QString moved = f.db.path() + QStringLiteral(".away");
    QVERIFY(QFile::rename(f.db.path(), moved));
    control<QToolButton>(w, "SpeedButton3")->click();
    QVERIFY(QFile::rename(moved, f.db.path()));

    QCOMPARE(f.messages.messages().size(), 1);
    QVERIFY(f.messages.messages().first().isErrorReport);
    QVERIFY2(f.messages.texts().first().contains(QStringLiteral("data.mdb")), qPrintable(f.messages.texts().first()));
    QCOMPARE(f.grid().model()->rowCount(), 0);

    control<QToolButton>(w, "SpeedButton3")->click();
    QCOMPARE(f.listedNumbers(), QStringList({"20261209100000"}));
}

void TestRecordsStatistics::menuItemsRunTheirButtons()
{
    Fixture f(threeSalesOutOfTimeOrder);
    TXstjForm& w = f.statistics();
    w.OpenFromMain();

    w.N2->trigger();
    QVERIFY(w.ADOQuery1.statement() == store::sql::SelectXstj);

    w.N1->trigger();
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm", "TXscxForm"}));

    ui::SaveNameOverride cancelled;
    w.N4->trigger();
    QCOMPARE(cancelled.asked(), 1);
    QVERIFY(f.messages.messages().isEmpty());

    QTableView* view = control<ui::DataGrid>(w, "DBGridEh1")->view();
    emit view->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(w.suiPopupMenu1->isVisible());
    w.suiPopupMenu1->hide();
}

// A scanner types the number on the receipt's bar code, then Enter, into "扫描单号".
void TestRecordsStatistics::scannedNumberGoesToItsSale()
{
    Fixture f([](const TestDatabase& db) {
        threeSalesOutOfTimeOrder(db);
        // Holds the first number inside it: only the exact number is the scanned sale.
        addSale(db, {"202612091000001", "2026-12-09 09:00:00", "1", "1", "1", "李四"});
    });
    TXstjForm& w = f.statistics();
    w.OpenFromMain();
    QCOMPARE(control<QLineEdit>(w, "ScanNumberBox")->accessibleName(), QStringLiteral("扫描单号"));
    const auto scan = [&](const QString& number) {
        QTest::keyClicks(control<QLineEdit>(w, "ScanNumberBox"), number);
        QTest::keyClick(control<QLineEdit>(w, "ScanNumberBox"), Qt::Key_Return);
    };
    const auto selected = [&] {
        return f.grid().cellText(f.grid().view()->currentIndex().row(), ReceiptColumn);
    };

    scan("20261209100000");
    QCOMPARE(w.ADOQuery1.field("单号"), QStringLiteral("20261209100000"));
    QCOMPARE(selected(), QStringLiteral("20261209100000"));
    // The next scan replaces the last one.
    scan("20261209100002");
    QCOMPARE(selected(), QStringLiteral("20261209100002"));

    // A sale hidden by a search: the whole history is listed again, in time order.
    w.showMatching(records::SalesSearch::ByCashier, QStringLiteral("李四"));
    QCOMPARE(f.listedNumbers(), QStringList{"202612091000001"});
    scan("20261209100001");
    QCOMPARE(f.listedNumbers().size(), 4);
    QCOMPARE(selected(), QStringLiteral("20261209100001"));
    QVERIFY(f.messages.messages().isEmpty());

    // An unknown number, or part of one, is said and moves nothing.
    for (const QString unknown : {"20261209", "29991231235959"}) {
        f.messages.clear();
        scan(unknown);
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("销售记录中没有单号为“%1”的销售。").arg(unknown)});
        QCOMPARE(selected(), QStringLiteral("20261209100001"));
    }
}

QTEST_MAIN(TestRecordsStatistics)
#include "test_records_statistics.moc"
