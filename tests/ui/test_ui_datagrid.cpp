#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>
#include <memory>

using store::Connection;
using store::Dataset;
using testsupport::TestDatabase;
using ui::DataGrid;
using ui::DataGridModel;
using ui::GridColumn;
using Footer = ui::GridColumn::Footer;

namespace {

// Column positions in salesColumns().
constexpr int NumberColumn = 0;
constexpr int ReceiptColumn = 1;
constexpr int QuantityColumn = 2;
constexpr int AmountColumn = 3;
constexpr int DiscountedColumn = 4;
constexpr int CashierColumn = 5;

QList<GridColumn> salesColumns()
{
    return {
        {.title = "序号", .field = "", .width = 40},
        {.title = "单号", .field = "单号", .width = 120},
        {.title = "数量", .field = "数量", .width = 60, .numeric = true, .footer = Footer::SumPlain},
        {.title = "金额", .field = "金额", .width = 80, .numeric = true, .footer = Footer::Sum},
        {.title = "折后", .field = "折后", .width = 80, .numeric = true, .footer = Footer::Sum},
        {.title = "收银员", .field = "收银员", .width = 80, .footer = Footer::Caption},
    };
}

QString salesRow(const QString& number, const QString& quantity, const QString& cashier = "admin")
{
    return QStringLiteral(
               "INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('%1', '2024-05-01 10:00:00', "
               "%2, %2, %2, '%3');")
        .arg(number, quantity, cashier);
}

// A sales-history grid over xstj in a fresh data.mdb; rows are inserted before it opens.
struct SalesGrid
{
    explicit SalesGrid(const QString& rowsSql = {})
    {
        if (!rowsSql.isEmpty())
            db.exec(rowsSql);
        dataset.open();
        grid.setColumns(salesColumns());
        grid.setDataset(&dataset);
        grid.setFooterVisible(true);
        grid.resize(520, 260);
    }

    bool show()
    {
        grid.show();
        return QTest::qWaitForWindowExposed(&grid);
    }
    DataGridModel* model() const { return grid.model(); }
    int selectedRow() const
    {
        const QModelIndexList rows = grid.view()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    bool rowIsOnScreen(int row) const
    {
        const QRect cell = grid.view()->visualRect(model()->index(row, 1));
        return grid.view()->viewport()->rect().contains(cell);
    }
    void clickRow(int row, bool twice = false)
    {
        const QPoint at = grid.view()->visualRect(model()->index(row, ReceiptColumn)).center();
        // A real double click arrives as a click, then a press that is also a double click.
        QTest::mouseClick(grid.view()->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(grid.view()->viewport(), Qt::LeftButton, {}, at);
    }

    TestDatabase db;
    Connection connection{"datagrid"};
    Dataset dataset{connection, store::sql::SelectXstj};
    DataGrid grid;
};

QString manyRows(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) "
                          "SELECT printf('%08d', i), '2024-05-01', 1, i, i, 'admin' FROM n;")
        .arg(count);
}

QColor background(const DataGrid& grid, int row)
{
    return grid.model()->index(row, ReceiptColumn).data(Qt::BackgroundRole).value<QBrush>().color();
}

// Bounding box of the pixels clearly darker than the cell's background.
QRect inkBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool isYellow(QRgb pixel)
{
    return QColor(pixel) == QColor(Qt::yellow);
}

} // namespace

class TestUiDataGrid : public QObject
{
    Q_OBJECT

private slots:
    void numbersShowInDisplayForm_data();
    void numbersShowInDisplayForm();
    void rowNumbersCountFromOne();
    void rowNumberDrawnAtItsPlace();
    void rowsAlternateWhiteAndGrey_data();
    void rowsAlternateWhiteAndGrey();
    void footersSumBySql_data();
    void footersSumBySql();
    void footersFollowDeleteAndRequery();
    void footerLinesUpUnderColumns();
    void footerTooWideForItsColumnWidensIt();
    void columnsStretchProportionally_data();
    void columnsStretchProportionally();
    void clicksMoveDatasetBeforeSignals();
    void keyboardMovesDataset();
    void selectionFollowsDataset();
    void showsPostedAndDeletedRows();
    void longListStaysLazy();
    void dropDownListShowsOneFieldPlain();
    void sortMarkOnlyToggles();
    void survivesMissingOrClosedData();
};

void TestUiDataGrid::numbersShowInDisplayForm_data()
{
    QTest::addColumn<QString>("stored"); // as SQL
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one decimal") << "12.5" << QuantityColumn << "12.5";
    QTest::newRow("whole") << "3" << QuantityColumn << "3";
    QTest::newRow("rounded to two decimals") << "3.456" << QuantityColumn << "3.46";
    QTest::newRow("trailing zero dropped") << "7.10" << QuantityColumn << "7.1";
    QTest::newRow("negative") << "-2.25" << QuantityColumn << "-2.25";
    QTest::newRow("zero") << "0" << QuantityColumn << "0";
    QTest::newRow("NULL") << "NULL" << QuantityColumn << "";
    // A text column marked numeric: number texts reformatted, other texts left as they are.
    QTest::newRow("number text") << "'12.50'" << ReceiptColumn << "12.5";
    QTest::newRow("not a number") << "'A-001'" << ReceiptColumn << "A-001";
    QTest::newRow("empty text") << "''" << ReceiptColumn << "";
}

void TestUiDataGrid::numbersShowInDisplayForm()
{
    QFETCH(QString, stored);
    QFETCH(int, column);
    QFETCH(QString, shown);
    SalesGrid s;
    QList<GridColumn> columns = salesColumns();
    columns[ReceiptColumn].numeric = true;
    s.grid.setColumns(columns);
    s.db.exec(QStringLiteral("INSERT INTO xstj (单号, 数量) VALUES (%1, %2)")
                  .arg(column == ReceiptColumn ? stored : "'x'", column == QuantityColumn ? stored : "1"));
    s.dataset.requery(store::sql::SelectXstj);
    QCOMPARE(s.grid.cellText(0, column), shown);
    QCOMPARE(s.model()->index(0, column).data().toString(), shown);
    QCOMPARE(s.model()->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);
}

void TestUiDataGrid::rowNumbersCountFromOne()
{
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2") + salesRow("C", "3"));
    QCOMPARE(s.model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(s.grid.cellText(row, NumberColumn), QString::number(row + 1));
    QCOMPARE(s.grid.cellText(3, NumberColumn), QString()); // past the end
    QCOMPARE(s.grid.cellText(1, CashierColumn), QString("admin"));

    // An empty result has no rows, so nothing at all is drawn in the cells' area.
    s.dataset.requery(store::sql::XstjByCashier, "没有这个人");
    QCOMPARE(s.model()->rowCount(), 0);
    QVERIFY(s.show());
    const QImage empty = s.grid.view()->viewport()->grab().toImage();
    QVERIFY(inkBox(empty, empty.rect()).isNull());
}

void TestUiDataGrid::rowNumberDrawnAtItsPlace()
{
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2") + salesRow("C", "3"));
    // What 宋体 becomes on Linux: a CJK font whose line box is much taller than its size.
    QFont cjk("Noto Serif CJK SC");
    cjk.setPixelSize(12);
    s.grid.setFont(cjk);
    QVERIFY(s.show());
    s.dataset.moveTo(3); // the other rows unselected, black on white or grey
    const QImage image = s.grid.view()->viewport()->grab().toImage();
    for (int row = 0; row < 2; ++row) {
        const QRect cell = s.grid.view()->visualRect(s.model()->index(row, NumberColumn));
        const QRect ink = inkBox(image, cell);
        QVERIFY2(!ink.isNull(), qPrintable(QString("row %1 shows no number").arg(row)));
        QVERIFY2(ink.bottom() < cell.bottom(), "number cut off at the bottom"); // not merely clipped
        QVERIFY2(ink.left() >= cell.left() + 3 && ink.left() <= cell.left() + 6,
                 qPrintable(QString("number starts %1 px in").arg(ink.left() - cell.left())));
        QVERIFY2(ink.top() >= cell.top() + 2, qPrintable(QString("number %1 px down").arg(ink.top() - cell.top())));
    }
}

void TestUiDataGrid::rowsAlternateWhiteAndGrey_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("record 1") << 0 << QColor(Qt::white);
    QTest::newRow("record 2") << 1 << QColor(0xEE, 0xEE, 0xEE);
    QTest::newRow("record 3") << 2 << QColor(Qt::white);
    QTest::newRow("record 4") << 3 << QColor(0xEE, 0xEE, 0xEE);
}

void TestUiDataGrid::rowsAlternateWhiteAndGrey()
{
    QFETCH(int, row);
    QFETCH(QColor, colour);
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2") + salesRow("C", "3") + salesRow("D", "4"));
    QCOMPARE(background(s.grid, row), colour);
    // The colour belongs to the record number: after the first row goes, the rest change colour.
    s.dataset.moveTo(1);
    s.dataset.deleteCurrent();
    if (row < 3)
        QCOMPARE(background(s.grid, row), colour);
    QCOMPARE(s.grid.cellText(0, ReceiptColumn), QString("B"));
}

void TestUiDataGrid::footersSumBySql_data()
{
    QTest::addColumn<QStringList>("quantities");
    QTest::addColumn<QString>("sum");
    QTest::addColumn<QString>("plain");
    QTest::newRow("none") << QStringList() << "0"
                          << "0";
    QTest::newRow("whole numbers") << QStringList{"1", "2", "3"} << "6"
                                   << "6";
    QTest::newRow("NULL adds nothing") << QStringList{"12.5", "NULL", "3"} << "15.5"
                                       << "15.5";
    QTest::newRow("rounded only for display") << QStringList{"3.456", "1"} << "4.46"
                                              << "4.456";
    QTest::newRow("negative") << QStringList{"5", "-7.25"} << "-2.25"
                              << "-2.25";
}

void TestUiDataGrid::footersSumBySql()
{
    QFETCH(QStringList, quantities);
    QFETCH(QString, sum);
    QFETCH(QString, plain);
    QString rows;
    for (int i = 0; i < quantities.size(); ++i)
        rows += salesRow(QString::number(i), quantities.at(i));
    SalesGrid s(rows);
    QCOMPARE(s.grid.footerText(NumberColumn), QString());
    QCOMPARE(s.grid.footerText(ReceiptColumn), QString());
    QCOMPARE(s.grid.footerText(QuantityColumn), plain);
    QCOMPARE(s.grid.footerText(AmountColumn), sum);
    QCOMPARE(s.grid.footerText(DiscountedColumn), sum);
    QCOMPARE(s.grid.footerText(CashierColumn), QString("合计"));
}

void TestUiDataGrid::footersFollowDeleteAndRequery()
{
    SalesGrid s(salesRow("1", "10", "张三") + salesRow("2", "2.5", "李四") + salesRow("3", "0.25", "张三"));
    QCOMPARE(s.grid.footerText(AmountColumn), QString("12.75"));

    s.dataset.moveTo(1);
    s.dataset.deleteCurrent();
    QCOMPARE(s.grid.footerText(AmountColumn), QString("2.75"));

    s.dataset.requery(store::sql::XstjByCashier, "张三");
    QCOMPARE(s.grid.footerText(AmountColumn), QString("0.25"));
    QCOMPARE(s.grid.footerText(QuantityColumn), QString("0.25"));

    // Rows written elsewhere count once the list is read again, not before.
    s.db.exec(salesRow("4", "100", "张三"));
    QCOMPARE(s.grid.footerText(AmountColumn), QString("0.25"));
    s.dataset.requery(store::sql::XstjByCashier, "张三");
    QCOMPARE(s.grid.footerText(AmountColumn), QString("100.25"));

    s.dataset.requery(store::sql::XstjByCashier, "没有这个人");
    QCOMPARE(s.grid.footerText(AmountColumn), QString("0"));
    QCOMPARE(s.grid.footerText(CashierColumn), QString("合计"));
}

void TestUiDataGrid::footerLinesUpUnderColumns()
{
    SalesGrid s(salesRow("1", "10"));
    QList<GridColumn> wide = salesColumns();
    for (GridColumn& column : wide)
        column.width *= 3; // wider than the grid: it scrolls sideways
    s.grid.setColumns(wide);
    QVERIFY(s.show());
    QTableView* view = s.grid.view();
    QHeaderView* titles = view->horizontalHeader();
    QVERIFY(view->horizontalScrollBar()->maximum() > 0);

    for (int scrolled : {0, 37, view->horizontalScrollBar()->maximum()}) {
        view->horizontalScrollBar()->setValue(scrolled);
        const QImage image = s.grid.grab().toImage();
        const int y = s.grid.height() - DataGrid::FooterHeight + 1;
        const int left = view->viewport()->mapTo(&s.grid, QPoint(0, 0)).x();
        const int right = left + view->viewport()->width();
        int boundaries = 0;
        for (int column = 0; column < s.model()->columnCount(); ++column) {
            const int edge = left + titles->sectionViewportPosition(column) + titles->sectionSize(column) - 1;
            if (edge - 1 <= left || edge + 1 >= right)
                continue;
            ++boundaries;
            QVERIFY2(!isYellow(image.pixel(edge, y)), qPrintable(QString("no line at column %1").arg(column)));
            QVERIFY(isYellow(image.pixel(edge - 1, y)));
            QVERIFY(isYellow(image.pixel(edge + 1, y)));
        }
        QVERIFY(boundaries >= 1);
    }
}

void TestUiDataGrid::columnsStretchProportionally_data()
{
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<bool>("stretched");
    QTest::newRow("wide grid") << 900 << true;
    QTest::newRow("just wider than the columns") << 470 << true;
    QTest::newRow("narrow grid keeps the widths") << 300 << false;
}

void TestUiDataGrid::columnsStretchProportionally()
{
    QFETCH(int, gridWidth);
    QFETCH(bool, stretched);
    SalesGrid s(salesRow("1", "1"));
    s.grid.resize(gridWidth, 200);
    QVERIFY(s.show());
    const QList<GridColumn> columns = salesColumns();
    int given = 0;
    for (const GridColumn& column : columns)
        given += column.width;
    const int available = s.grid.view()->viewport()->width();
    QHeaderView* titles = s.grid.view()->horizontalHeader();
    int total = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const double expected = stretched ? double(columns.at(i).width) * available / given : columns.at(i).width;
        QVERIFY2(qAbs(titles->sectionSize(i) - expected) <= 1.0,
                 qPrintable(QString("column %1 is %2, not %3").arg(i).arg(titles->sectionSize(i)).arg(expected)));
        total += titles->sectionSize(i);
    }
    QCOMPARE(total, stretched ? available : given);
    QCOMPARE(s.grid.view()->horizontalScrollBar()->maximum() > 0, !stretched);
}

void TestUiDataGrid::clicksMoveDatasetBeforeSignals()
{
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2") + salesRow("C", "3"));
    QVERIFY(s.show());
    QList<int> seen; // dataset positions when the signal arrived
    connect(&s.grid, &DataGrid::cellClicked, &s.grid, [&](int) { seen << s.dataset.recordNumber(); });
    QSignalSpy clicked(&s.grid, &DataGrid::cellClicked);

    s.clickRow(2);
    QCOMPARE(s.dataset.recordNumber(), 3);
    QCOMPARE(s.dataset.field("单号"), QString("C"));
    s.clickRow(0);
    s.clickRow(0);
    QCOMPARE(clicked.size(), 3);
    QCOMPARE(clicked.at(0).at(0).toInt(), 3);
    QCOMPARE(clicked.at(1).at(0).toInt(), 1);
    QCOMPARE(seen, QList<int>({3, 1, 1}));
    QCOMPARE(s.selectedRow(), 0);

    // Below the last row there is no record to go to.
    const QPoint below(20, s.grid.view()->visualRect(s.model()->index(2, 1)).bottom() + 20);
    QTest::mouseClick(s.grid.view()->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(clicked.size(), 3);
    QCOMPARE(s.dataset.recordNumber(), 1);

    QSignalSpy doubled(&s.grid, &DataGrid::doubleClicked);
    s.clickRow(1, true);
    QCOMPARE(doubled.size(), 1);
    QCOMPARE(doubled.at(0).at(0).toInt(), 2);
    QCOMPARE(s.dataset.recordNumber(), 2);
    QVERIFY(s.grid.findChildren<QLineEdit*>().isEmpty()); // no editor opened
}

void TestUiDataGrid::keyboardMovesDataset()
{
    SalesGrid s(manyRows(50));
    QVERIFY(s.show());
    s.grid.view()->setFocus();
    QTest::keyClick(s.grid.view(), Qt::Key_Down);
    QTest::keyClick(s.grid.view(), Qt::Key_Down);
    QCOMPARE(s.dataset.recordNumber(), 3);
    QTest::keyClick(s.grid.view(), Qt::Key_Up);
    QCOMPARE(s.dataset.recordNumber(), 2);
    QTest::keyClick(s.grid.view(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(s.dataset.recordNumber(), 50);
    QCOMPARE(s.dataset.field("单号"), QString("00000050"));
    QVERIFY(s.rowIsOnScreen(49));
}

void TestUiDataGrid::selectionFollowsDataset()
{
    SalesGrid s(manyRows(300));
    QVERIFY(s.show());
    QCOMPARE(s.selectedRow(), 0); // standing on the first row after opening

    s.dataset.moveTo(250);
    QCOMPARE(s.selectedRow(), 249);
    QVERIFY(s.rowIsOnScreen(249));

    // Deleting moves to the following row, and the grid with it, without moving the dataset again.
    QSignalSpy moves(&s.dataset, &Dataset::currentChanged);
    s.dataset.deleteCurrent();
    QCOMPARE(moves.size(), 1);
    QCOMPARE(s.dataset.recordNumber(), 250);
    QCOMPARE(s.dataset.field("单号"), QString("00000251"));
    QCOMPARE(s.selectedRow(), 249);
    QCOMPARE(s.grid.cellText(249, ReceiptColumn), QString("00000251"));

    s.dataset.last();
    moves.clear();
    s.dataset.deleteCurrent(); // the new last row
    QCOMPARE(moves.size(), 1);
    QCOMPARE(s.dataset.recordNumber(), 298);
    QCOMPARE(s.selectedRow(), 297);

    s.dataset.requery(store::sql::SelectXstj);
    QCOMPARE(s.selectedRow(), 0);
    QVERIFY(s.rowIsOnScreen(0));

    s.dataset.requery(store::sql::XstjByCashier, "没有这个人");
    QCOMPARE(s.selectedRow(), -1);
}

void TestUiDataGrid::showsPostedAndDeletedRows()
{
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2") + salesRow("C", "3"));
    QVERIFY(s.show());
    QCOMPARE(s.grid.cellText(1, ReceiptColumn), QString("B")); // read and kept

    s.dataset.moveTo(2);
    s.dataset.edit();
    s.dataset.setField("单号", "B2");
    s.dataset.setField("金额", "20.5");
    s.dataset.post();
    QCOMPARE(s.grid.cellText(1, ReceiptColumn), QString("B2"));
    QCOMPARE(s.grid.footerText(AmountColumn), QString("24.5"));

    s.dataset.append();
    s.dataset.setField("单号", "D");
    s.dataset.setField("金额", "0.5");
    s.dataset.post();
    QCOMPARE(s.model()->rowCount(), 4);
    QCOMPARE(s.grid.cellText(3, ReceiptColumn), QString("D"));
    QCOMPARE(s.grid.cellText(3, NumberColumn), QString("4"));
    QCOMPARE(s.selectedRow(), 3);
    QCOMPARE(s.grid.footerText(AmountColumn), QString("25"));

    s.dataset.moveTo(1);
    s.dataset.deleteCurrent();
    QCOMPARE(s.model()->rowCount(), 3);
    const QStringList expected{"B2", "C", "D"};
    for (int row = 0; row < 3; ++row)
        QCOMPARE(s.grid.cellText(row, ReceiptColumn), expected.at(row));
    QCOMPARE(s.selectedRow(), 0);
    QCOMPARE(s.grid.footerText(AmountColumn), QString("24"));
}

void TestUiDataGrid::longListStaysLazy()
{
    constexpr int Rows = 200000;
    constexpr int FewPages = 2 * DataGridModel::PageRows;
    SalesGrid s(manyRows(Rows));
    QCOMPARE(s.model()->rowCount(), Rows);
    QCOMPARE(s.model()->fetchedRowCount(), 0); // nothing read before anything is painted
    // Sums come from SQL, not from the rows.
    QCOMPARE(s.grid.footerText(AmountColumn), QString("20000100000"));

    QVERIFY(s.show());
    (void)s.grid.grab();
    const int opened = s.model()->fetchedRowCount();
    QVERIFY2(opened > 0 && opened <= FewPages, qPrintable(QString("%1 rows read to open").arg(opened)));
    QCOMPARE(s.grid.cellText(0, ReceiptColumn), QString("00000001"));

    s.grid.view()->scrollToBottom();
    (void)s.grid.grab();
    const int scrolled = s.model()->fetchedRowCount() - opened;
    QVERIFY2(scrolled > 0 && scrolled <= FewPages, qPrintable(QString("%1 rows read to scroll").arg(scrolled)));
    QVERIFY(s.rowIsOnScreen(Rows - 1));
    QCOMPARE(s.grid.cellText(Rows - 1, ReceiptColumn), QString("00200000"));

    s.dataset.moveTo(123457);
    (void)s.grid.grab();
    QVERIFY(s.rowIsOnScreen(123456));
    QCOMPARE(s.grid.cellText(123456, ReceiptColumn), QString("00123457"));

    // Typing in the grid is no search through the rows.
    const int beforeTyping = s.model()->fetchedRowCount();
    s.grid.view()->setFocus();
    QTest::keyClicks(s.grid.view(), "9z");
    (void)s.grid.grab();
    QVERIFY(s.model()->fetchedRowCount() - beforeTyping <= FewPages);

    // Jumping all over keeps only a few pages.
    for (int jump = 0; jump < 40; ++jump) {
        s.grid.view()->scrollTo(s.model()->index((jump * 4999) % Rows, 1));
        (void)s.grid.grab();
        QVERIFY(s.model()->cachedRowCount() <= DataGridModel::CachedPages * DataGridModel::PageRows);
    }
    QVERIFY(s.model()->fetchedRowCount() <= 45 * FewPages);
}

// The list of a drop-down: the one field it was made for, in plain rows, the same text for an
// editable box, and no search through the rows for typed text.
void TestUiDataGrid::dropDownListShowsOneFieldPlain()
{
    SalesGrid s(salesRow("B", "1", "ann") + salesRow("A", "2", "bob"));
    QObject owner;
    DataGridModel* list = DataGridModel::dropDownList("收银员", &owner);
    QCOMPARE(list->parent(), &owner);
    list->setDataset(&s.dataset);
    QCOMPARE(list->columnCount(), 1);
    QCOMPARE(list->rowCount(), 2);
    const QModelIndex first = list->index(0, 0);
    QCOMPARE(first.data().toString(), QString("ann"));
    QCOMPARE(first.data(Qt::EditRole).toString(), QString("ann"));
    QCOMPARE(list->index(1, 0).data().toString(), QString("bob"));
    QVERIFY(!first.data(Qt::BackgroundRole).isValid());
    QVERIFY(!list->index(1, 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(list->match(first, Qt::DisplayRole, "bob").isEmpty());
    // The grid over the same rows keeps its stripes and gives no text for editing.
    QVERIFY(s.model()->index(0, CashierColumn).data(Qt::BackgroundRole).isValid());
    QVERIFY(!s.model()->index(0, CashierColumn).data(Qt::EditRole).isValid());

    s.db.exec(salesRow("C", "3", "cyd"));
    s.dataset.requery(store::sql::SelectXstj);
    QCOMPARE(list->rowCount(), 3);
    QCOMPARE(list->index(2, 0).data().toString(), QString("cyd"));
}

void TestUiDataGrid::sortMarkOnlyToggles()
{
    SalesGrid s(salesRow("B", "1") + salesRow("A", "2") + salesRow("C", "3"));
    QVERIFY(s.show());
    QHeaderView* titles = s.grid.view()->horizontalHeader();
    auto clickTitle = [&](int column) {
        const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                        titles->height() / 2);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    };

    clickTitle(ReceiptColumn); // off: the title does nothing
    QVERIFY(!titles->isSortIndicatorShown());
    QCOMPARE(titles->sortIndicatorSection(), -1);

    s.grid.setSortMarkToggles(true);
    clickTitle(ReceiptColumn);
    QVERIFY(titles->isSortIndicatorShown());
    QCOMPARE(titles->sortIndicatorSection(), ReceiptColumn);
    const Qt::SortOrder first = titles->sortIndicatorOrder();
    clickTitle(ReceiptColumn);
    QCOMPARE(titles->sortIndicatorSection(), ReceiptColumn);
    QVERIFY(titles->sortIndicatorOrder() != first);
    clickTitle(AmountColumn);
    QCOMPARE(titles->sortIndicatorSection(), AmountColumn);

    const QStringList unsorted{"B", "A", "C"};
    for (int row = 0; row < 3; ++row)
        QCOMPARE(s.grid.cellText(row, ReceiptColumn), unsorted.at(row));
    QCOMPARE(s.dataset.recordNumber(), 1);
}

void TestUiDataGrid::survivesMissingOrClosedData()
{
    SalesGrid s(salesRow("A", "1") + salesRow("B", "2"));
    QSignalSpy clicked(&s.grid, &DataGrid::cellClicked);
    QVERIFY(s.show());
    (void)s.grid.grab();

    // The connection closes its datasets without a word: the grid must still paint and click.
    s.connection.close();
    s.grid.refreshFooter();
    (void)s.grid.grab();
    s.clickRow(1);
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(s.grid.footerText(AmountColumn), QString());
    s.dataset.requery(store::sql::SelectXstj);
    QCOMPARE(s.grid.cellText(1, ReceiptColumn), QString("B"));

    // A field the table lacks shows empty cells and an empty sum.
    QList<GridColumn> columns = salesColumns();
    columns[AmountColumn].field = "没有这列";
    s.grid.setColumns(columns);
    QCOMPARE(s.grid.cellText(0, AmountColumn), QString());
    QCOMPARE(s.grid.footerText(AmountColumn), QString());
    QCOMPARE(s.grid.footerText(DiscountedColumn), QString("3"));

    // Without a dataset, or when it goes away, the grid is empty.
    auto other = std::make_unique<Dataset>(s.connection, store::sql::SelectXstj);
    other->open();
    s.grid.setDataset(other.get());
    QCOMPARE(s.model()->rowCount(), 2);
    other.reset();
    QCOMPARE(s.model()->rowCount(), 0);
    QCOMPARE(s.grid.footerText(DiscountedColumn), QString());
    (void)s.grid.grab();
    s.grid.setDataset(nullptr);
    s.clickRow(0);
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(s.grid.footerText(CashierColumn), QString("合计"));
    QCOMPARE(s.dataset.recordNumber(), 1); // left alone
}

// Ten years of sales: the totals are whole, not cut at their column's edge.
void TestUiDataGrid::footerTooWideForItsColumnWidensIt()
{
    SalesGrid s(salesRow("1", "123456789.25") + salesRow("2", "1"));
    QVERIFY(s.show());
    QHeaderView* titles = s.grid.view()->horizontalHeader();
    const QFontMetrics metrics(s.grid.font());
    for (int column : {QuantityColumn, AmountColumn, DiscountedColumn})
        QVERIFY2(titles->sectionSize(column) > metrics.horizontalAdvance(s.grid.footerText(column)),
                 qPrintable(s.grid.footerText(column)));
    SalesGrid small(salesRow("1", "1.25"));
    QVERIFY(small.show());
    QCOMPARE(titles->sectionSize(CashierColumn), small.grid.view()->horizontalHeader()->sectionSize(CashierColumn));
    QVERIFY(titles->sectionSize(AmountColumn) > small.grid.view()->horizontalHeader()->sectionSize(AmountColumn));
}

QTEST_MAIN(TestUiDataGrid)
#include "test_ui_datagrid.moc"
