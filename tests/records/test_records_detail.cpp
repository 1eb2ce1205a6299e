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

#include <QStatusBar>
#include <QTableView>
#include <QtTest>
#include <memory>

using namespace testsupport;

namespace {

constexpr int GoodsColumn = 3;

struct Fixture
{
    Fixture()
    {
        addSale(db, {"2026120910000", "2026-12-09 10:00:00", "3", "3", "3", "admin"});
        addSale(db, {"20261209100001", "2026-12-09 10:00:01", "1", "1", "1", "admin"});
        addLine(db, lineOf("2026120910000", "苹果"));
        addLine(db, lineOf("20261209100001", "梨"));
        HistoryLine banana = lineOf("2026120910000", "香蕉");
        banana.customer = QStringLiteral("王五");
        banana.phone = QStringLiteral("13800000000");
        banana.price = QStringLiteral("2.5");
        banana.quantity = QStringLiteral("0.125");
        banana.amount = QStringLiteral("12.345");
        banana.discounted = QStringLiteral("NULL");
        addLine(db, banana);
        windows = std::make_unique<RecordsWindows>();
        statistics().OpenFromMain();
    }

    TXstjForm& statistics() { return *windows->statistics; }
    TXsmxForm& detail() { return *windows->detail; }
    ui::DataGrid& grid() { return *control<ui::DataGrid>(*windows->detail, "DBGridEh1"); }
    QStringList shownRows()
    {
        QStringList rows;
        for (int row = 0; row < grid().model()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < grid().model()->columnCount(); ++column)
                cells << grid().cellText(row, column);
            rows << cells.join('|');
        }
        return rows;
    }
    QStringList footers()
    {
        QStringList texts;
        for (int column = 0; column < grid().model()->columnCount(); ++column)
            texts << grid().footerText(column);
        return texts;
    }

    TestDatabase db;
    ui::ModalRecorder modals;
    ui::MessageRecorder messages;
    std::unique_ptr<RecordsWindows> windows;
};

} // namespace

class TestRecordsDetail : public QObject
{
    Q_OBJECT

private slots:
    void windowLayout();
    void showsExactlyTheLinesOfTheSale_data();
    void showsExactlyTheLinesOfTheSale();
    void emptyListOpensWithAnEmptyNumber();
    void lineWrittenElsewhereShowsAtTheNextOpening();
    void doubleClickOnTheGridOpensIt();
};

void TestRecordsDetail::windowLayout()
{
    Fixture f;
    TXsmxForm& w = f.detail();
    QCOMPARE(w.clientArea()->size(), QSize(901, 559));
    QCOMPARE(control<ui::DataGrid>(w, "DBGridEh1")->size(), QSize(873, 465));
    QVERIFY(control<ui::DataGrid>(w, "DBGridEh1")->isFooterVisible());
    QStringList titles;
    QList<int> widths;
    for (const ui::GridColumn& column : control<ui::DataGrid>(w, "DBGridEh1")->model()->columns()) {
        titles << column.title;
        widths << column.width;
    }
    QCOMPARE(titles, QStringList({"序号", "客户", "电话", "品名", "单价", "数量", "金额", "折后", "状态"}));
    QCOMPARE(widths, QList<int>({50, 100, 120, 170, 70, 80, 105, 105, 70}));
    QVERIFY(control<QStatusBar>(w, "StatusBar1")->currentMessage().isEmpty());
    QCOMPARE(control<ui::DataGrid>(w, "DBGridEh1")->view()->contextMenuPolicy(), Qt::DefaultContextMenu);
}

void TestRecordsDetail::showsExactlyTheLinesOfTheSale_data()
{
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("footers");

    // Footers: 数量 as a plain number, 金额 and 折后 as "#0.##"; a NULL adds nothing.
    QTest::newRow("a number inside another's shows only its own lines")
        << 1 << "单号：2026120910000" << QStringList{"1|||苹果|1|1|1|1|", "2|王五|13800000000|香蕉|2.5|0.13|12.35||"}
        << QStringList{"合计", "", "", "", "", "1.125", "13.35", "1", ""};
    QTest::newRow("the longer number shows its own line")
        << 2 << "单号：20261209100001" << QStringList{"1|||梨|1|1|1|1|"}
        << QStringList{"合计", "", "", "", "", "1", "1", "1", ""};
}

void TestRecordsDetail::showsExactlyTheLinesOfTheSale()
{
    QFETCH(int, record);
    QFETCH(QString, caption);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, footers);

    Fixture f;
    f.statistics().ADOQuery1.moveTo(record);
    f.statistics().DBGridEh1DblClick();
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm", "TXsmxForm"}));
    QCOMPARE(f.detail().caption(), caption);
    QCOMPARE(control<QLineEdit>(f.statistics(), "Edit1")->text(), caption.mid(3));
    QCOMPARE(f.shownRows(), rows);
    QCOMPARE(f.footers(), footers);
    QVERIFY(f.detail().ADOQuery1.statement() == store::sql::XsmxOfSale);
}

void TestRecordsDetail::emptyListOpensWithAnEmptyNumber()
{
    Fixture f;
    addLine(f.db, lineOf("", "无单号的商品"));
    f.statistics().ADOQuery1.requery(store::sql::XstjByCashier, QStringLiteral("没有这个人"));
    f.statistics().DBGridEh1DblClick();
    QCOMPARE(f.detail().caption(), QStringLiteral("单号："));
    QCOMPARE(f.shownRows(), QStringList({"1|||无单号的商品|1|1|1|1|"}));
    QCOMPARE(lineRows(f.db).size(), 4); // nothing cleared
    QVERIFY(f.messages.messages().isEmpty());
}

void TestRecordsDetail::lineWrittenElsewhereShowsAtTheNextOpening()
{
    Fixture f;
    f.statistics().ADOQuery1.moveTo(2);
    f.statistics().DBGridEh1DblClick();
    f.detail().close();
    addLine(f.db, lineOf("20261209100001", "桃"));
    f.statistics().DBGridEh1DblClick();
    QCOMPARE(f.shownRows(), QStringList({"1|||梨|1|1|1|1|", "2|||桃|1|1|1|1|"}));
}

void TestRecordsDetail::doubleClickOnTheGridOpensIt()
{
    Fixture f;
    QTableView* view = control<ui::DataGrid>(f.statistics(), "DBGridEh1")->view();
    QVERIFY(QTest::qWaitForWindowExposed(&f.statistics()));
    const QRect second = view->visualRect(view->model()->index(1, GoodsColumn));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm", "TXsmxForm"}));
    QCOMPARE(f.detail().caption(), QStringLiteral("单号：20261209100001"));
    f.detail().close();

    // Below the last row, and on an empty list, it is still a double click on the grid.
    f.statistics().ADOQuery1.requery(store::sql::XstjByNumber, QStringLiteral("没有"));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(f.modals.shown(), QStringList({"TXstjForm", "TXsmxForm", "TXsmxForm"}));
    QCOMPARE(f.detail().caption(), QStringLiteral("单号："));
}

QTEST_MAIN(TestRecordsDetail)
#include "test_records_detail.moc"
