// A day at the shop on the real windows, start to end: the administrator sets up a cashier and
// the goods, the cashier (a second start of the program on the same data.mdb) sells and prints
// through the system's print spooler to a network receipt printer played by this test, looks
// the sales up, opens one, exports the list, and the administrator deletes a sale. The files
// (data.mdb, the printed PDFs, the .xls) are checked after every step, not the windows alone.
// Needs a running cupsd and the right to add a queue; skips with the reason otherwise.

#include "records/XscxUnit.h"
#include "records/XsmxUnit.h"
#include "records/XstjUnit.h"
#include "settings/SptjUnit.h"
#include "settings/XtUnit.h"
#include "settings/YhtjUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "store/Passwords.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/PrintingQueue.h"
#include "support/RecordsWorkbook.h"
#include "support/ShellFixture.h"
#include "ui/DataGrid.h"
#include "ui/Messages.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QTableView>
#include <QtTest>
#include <cmath>
#include <memory>

using testsupport::control;
using testsupport::retype;
using testsupport::ShellFixture;
using testsupport::typeInto;

namespace {

const QString Cashier = QStringLiteral("王小明");
const QString CashierPassword = QStringLiteral("Wang#2024");
constexpr int JobTimeoutMs = 60000;
constexpr double PointsPerUnit = 0.75; // layout units are 1/96 inch
constexpr double Width58 = 219;        // 57.94 mm
constexpr double Width76 = 287;        // 75.94 mm

// Columns of the statistics list and of a sale's detail.
constexpr int ReceiptColumn = 1;
constexpr int QuantityColumn = 3;
constexpr int AmountColumn = 4;
constexpr int DiscountedColumn = 5;

// Presses the button as the mouse does; false when it is disabled (a click would do nothing).
[[nodiscard]] bool press(QAbstractButton* button)
{
    if (!button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

// Picks an item from the open list with the mouse: goods names are Chinese, which cannot be typed.
[[nodiscard]] bool pick(QComboBox* box, const QString& item)
{
    const int index = box->findText(item);
    if (index < 0)
        return false;
    box->showPopup();
    QAbstractItemView* list = box->view();
    if (!QTest::qWaitFor([list] { return list->isVisible(); }))
        return false;
    list->scrollTo(box->model()->index(index, 0));
    const QRect rect = list->visualRect(box->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    return QTest::qWaitFor([list] { return !list->isVisible(); }) && box->currentText() == item;
}

QPoint rowCentre(ui::DataGrid& grid, int row)
{
    QTableView* view = grid.view();
    return view->visualRect(view->model()->index(row, ReceiptColumn)).center();
}

[[nodiscard]] bool clickRow(ui::DataGrid& grid, int row)
{
    QTableView* view = grid.view();
    if (!view->visualRect(view->model()->index(row, ReceiptColumn)).isValid())
        return false; // no such row on screen
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowCentre(grid, row));
    return true;
}

int rowOf(ui::DataGrid& grid, const QString& receipt)
{
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        if (grid.cellText(row, ReceiptColumn) == receipt)
            return row;
    }
    return -1;
}

QStringList listedReceipts(ui::DataGrid& grid)
{
    QStringList receipts;
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        receipts << grid.cellText(row, ReceiptColumn);
    return receipts;
}

QStringList sumFooters(ui::DataGrid& grid)
{
    return {grid.footerText(QuantityColumn), grid.footerText(AmountColumn), grid.footerText(DiscountedColumn)};
}

QStringList shownRows(ui::DataGrid& grid)
{
    QStringList rows;
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.model()->columnCount(); ++column)
            cells << grid.cellText(row, column);
        rows << cells.join('|');
    }
    return rows;
}

QStringList saleLines(const ShellFixture& shop)
{
    return shop.db.rows("SELECT 单号, 品名, 单价, 数量, 金额, 折后 FROM xsxx ORDER BY ID");
}

QStringList historyLines(const ShellFixture& shop, const QString& receipt)
{
    return shop.db.rows(QStringLiteral("SELECT 时间, 客户, 电话, 品名, 单价, 数量, 金额, 折后 FROM xsmx "
                                       "WHERE 单号 = '%1' ORDER BY rowid")
                            .arg(receipt));
}

// The next job the printer takes, kept as a file beside data.mdb.
QString receiveReceipt(testsupport::PrintingQueue& queue, const QString& path)
{
    const QByteArray job = queue.printer().receiveJob(JobTimeoutMs);
    if (!job.startsWith("%PDF-"))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(job) != job.size())
        return {};
    return path;
}

QString withoutBlanks(QString text)
{
    return text.remove(' ');
}

// The receipt's line that starts with start, blanks folded.
QString receiptLine(const QString& receipt, const QString& start)
{
    for (const QString& line : receipt.split('\n')) {
        if (line.trimmed().startsWith(start))
            return line.simplified();
    }
    return {};
}

bool isClockTime(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid();
}

bool isNumberCell(const testsupport::WorkbookCell& cell, double value)
{
    return cell.type == testsupport::WorkbookCell::Number && std::abs(cell.value.toDouble() - value) < 1e-9;
}

} // namespace

class TestShellRoad : public QObject
{
    Q_OBJECT

private slots:
    void aDayAtTheShop();
};

void TestShellRoad::aDayAtTheShop()
{
    // A printer that takes PDF, so the receipts can be read back as text.
    testsupport::PrintingQueue queue(QStringLiteral("quorvel_road"), {"-o", "receipt-printer-default=pdf"});
    if (!queue.unavailable().isEmpty())
        QSKIP(qPrintable(queue.unavailable()));
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), queue.name());

    // ---- 1. The administrator logs in on a fresh data.mdb. ----
    ShellFixture shop;
    QVERIFY(shop.logIn("admin", ""));
    TMainForm& adminMain = shop.main();
    Forms& admin = *shop.forms;
    QCOMPARE(adminMain.statusText(1), QStringLiteral("  用户权限：管理员"));

    // ---- 2. A cashier and three goods, through the settings window and its dialogs. ----
    QVERIFY(press(control<QToolButton>(adminMain, "SpeedButton1")));
    QCOMPARE(shop.modals->shown(), QStringList({"TXtForm"}));
    TXtForm& settings = *admin.XtForm;
    QCOMPARE(control<QTabWidget>(settings, "PageControl1")->currentWidget(), control<QWidget>(settings, "TabSheet1"));

    QVERIFY(press(control<QPushButton>(settings, "SpeedButton1")));
    QCOMPARE(shop.modals->shown(), QStringList({"TXtForm", "TYhtjForm"}));
    TYhtjForm& addUser = *admin.YhtjForm;
    // Chinese comes from an input method, which the test cannot type.
    control<QLineEdit>(addUser, "Edit1")->setText(Cashier);
    typeInto(control<QLineEdit>(addUser, "Edit2"), CashierPassword);
    QComboBox* right = control<QComboBox>(addUser, "ComboBox1");
    right->setCurrentIndex(right->findText(QStringLiteral("普通用户")));
    QVERIFY(press(control<QPushButton>(addUser, "SpeedButton1")));
    QCOMPARE(shop.messages.texts(), QStringList({"添加用户成功！"}));
    QVERIFY(press(control<QPushButton>(addUser, "SpeedButton2")));
    QVERIFY(!addUser.isVisible());

    const QStringList users = shop.db.rows("SELECT 用户名, 密码, 权限 FROM username ORDER BY rowid");
    QCOMPARE(users.size(), 2);
    QCOMPARE(users.at(0), QStringLiteral("admin||管理员"));
    const QStringList cashierRow = users.at(1).split('|');
    QCOMPARE(cashierRow.at(0), Cashier);
    QCOMPARE(cashierRow.at(2), QStringLiteral("普通用户"));
    QVERIFY2(cashierRow.at(1).startsWith("$argon2id$"), qPrintable(cashierRow.at(1)));
    QVERIFY(!cashierRow.at(1).contains(CashierPassword));
    QVERIFY(store::verifyPassword(CashierPassword, cashierRow.at(1)));
    // The main window's cashier list followed.
    QVERIFY(control<QComboBox>(adminMain, "ComboBox6")->findText(Cashier) >= 0);

    QVERIFY(press(control<QPushButton>(settings, "SpeedButton4")));
    TSptjForm& addGoods = *admin.SptjForm;
    QVERIFY(addGoods.isVisible());
    shop.messages.clear();
    const QList<std::pair<QString, QString>> goods = {{"苹果", "4.5"}, {"牛奶", "6.85"}, {"面包", "3.25"}};
    for (const auto& [name, price] : goods) {
        control<QLineEdit>(addGoods, "Edit1")->setText(name);
        typeInto(control<QLineEdit>(addGoods, "Edit2"), price);
        QVERIFY(press(control<QPushButton>(addGoods, "SpeedButton1")));
    }
    QCOMPARE(shop.messages.texts(), QStringList(3, QStringLiteral("添加商品成功！")));
    QVERIFY(press(control<QPushButton>(addGoods, "SpeedButton2")));
    QCOMPARE(shop.db.rows("SELECT 品名, 单价 FROM spxx ORDER BY rowid"),
             QStringList({"苹果|4.5", "牛奶|6.85", "面包|3.25"}));
    QCOMPARE(control<ui::DataGrid>(settings, "DBGridEh2")->model()->rowCount(), 3);
    QCOMPARE(control<QComboBox>(adminMain, "ComboBox1")->count(), 3);
    settings.close();
    shop.messages.clear();
    shop.modals->clear();

    // ---- 3. The cashier starts the program on the same data.mdb and logs in. ----
    auto cashierForms = std::make_unique<Forms>();
    Forms& cashier = *cashierForms;
    TMainForm& main = *cashier.MainForm;
    QVERIFY(!testsupport::logIn(cashier, Cashier, QStringLiteral("wang#2024")));
    QCOMPARE(shop.messages.texts(), QStringList({"登录软件密码错误！"}));
    shop.messages.clear();
    QVERIFY(testsupport::logIn(cashier, Cashier, CashierPassword));
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), Cashier);
    QCOMPARE(main.statusText(1), QStringLiteral("  用户权限：普通用户"));
    // An ordinary user neither types the receipt number, adds users nor deletes sales; the
    // administrator's windows keep their rights.
    QVERIFY(control<QLineEdit>(main, "Edit1")->isReadOnly());
    QVERIFY(!control<QPushButton>(*cashier.XtForm, "SpeedButton1")->isEnabled());
    QVERIFY(!control<QToolButton>(*cashier.XstjForm, "SpeedButton4")->isEnabled());
    QVERIFY(!cashier.XstjForm->N6->isEnabled());
    QVERIFY(!control<QLineEdit>(adminMain, "Edit1")->isReadOnly());
    QVERIFY(control<QToolButton>(*admin.XstjForm, "SpeedButton4")->isEnabled());
    const QString receipt1 = control<QLineEdit>(main, "Edit1")->text();
    QCOMPARE(receipt1.size(), 14);
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->count(), 3);

    // ---- 4. The first sale: three lines, one changed, one taken back. ----
    QVERIFY(pick(control<QComboBox>(main, "ComboBox1"), "苹果"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QStringLiteral("4.5"));
    retype(control<QLineEdit>(main, "Edit4"), "3");
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("13.5"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton2")));

    QVERIFY(pick(control<QComboBox>(main, "ComboBox1"), "牛奶"));
    retype(control<QLineEdit>(main, "Edit4"), "3");
    QVERIFY(pick(control<QComboBox>(main, "ComboBox2"), "8.8"));
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("20.55"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("18.084"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton2")));

    QVERIFY(pick(control<QComboBox>(main, "ComboBox1"), "面包"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton2")));
    QCOMPARE(saleLines(shop),
             QStringList({receipt1 + "|苹果|4.5|3.0|13.5|13.5", receipt1 + "|牛奶|6.85|3.0|20.55|18.084",
                          receipt1 + "|面包|3.25|1.0|3.25|3.25"}));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("7"));
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("37.3"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("34.83")); // 34.834

    // Four apples, not three: the quantity is typed again after choosing the line.
    QVERIFY(clickRow(*control<ui::DataGrid>(main, "DBGridEh1"), 0));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("苹果"));
    QVERIFY(!control<QToolButton>(main, "SpeedButton2")->isEnabled());
    retype(control<QLineEdit>(main, "Edit4"), "4");
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("18"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton3")));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("8"));
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("41.8"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("39.33")); // 39.334
    QVERIFY(clickRow(*control<ui::DataGrid>(main, "DBGridEh1"), 2));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("面包"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton4")));
    // Taking a chosen line back leaves "添加" disabled too, until the grid is clicked again.
    QVERIFY(!control<QToolButton>(main, "SpeedButton2")->isEnabled() &&
            !control<QToolButton>(main, "SpeedButton3")->isEnabled() &&
            !control<QToolButton>(main, "SpeedButton4")->isEnabled());
    QCOMPARE(saleLines(shop),
             QStringList({receipt1 + "|苹果|4.5|4.0|18.0|18.0", receipt1 + "|牛奶|6.85|3.0|20.55|18.084"}));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("7"));
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("38.55"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("36.08")); // 36.084
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("36.08"));
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));
    retype(control<QComboBox>(main, "ComboBox4"), "50");
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("13.92"));
    QVERIFY(control<QLineEdit>(main, "Edit9")->isEnabled() && control<QLineEdit>(main, "Edit10")->isEnabled());
    control<QLineEdit>(main, "Edit9")->setText(QStringLiteral("李女士"));
    retype(control<QLineEdit>(main, "Edit10"), "13800138000");
    QVERIFY2(shop.messages.texts().isEmpty(), qPrintable(shop.messages.texts().join('\n')));

    // ---- 5. Printed on 58 mm through the spooler; the sale goes into the history. ----
    QCOMPARE(control<QComboBox>(main, "ComboBox5")->currentText(), QStringLiteral("58"));
    // The next receipt number is the clock's second: let it move on from this one's.
    QTRY_VERIFY(TMainForm::newReceiptNumber(QString()) != receipt1);
    QVERIFY(press(control<QToolButton>(main, "SpeedButton6")));
    QVERIFY2(shop.messages.texts().isEmpty(), qPrintable(shop.messages.texts().join('\n')));
    const QString pdf1 = receiveReceipt(queue, QDir(shop.db.folder()).filePath("receipt1.pdf"));
    QVERIFY2(!pdf1.isEmpty(), "the first receipt did not arrive as a PDF");
    const QString time1 = shop.db.scalar("SELECT 时间 FROM xstj");
    QVERIFY2(isClockTime(time1), qPrintable(time1));

    QCOMPARE(shop.db.rows("SELECT 单号, 时间, 数量, 金额, 折后, 收银员 FROM xstj"),
             QStringList({receipt1 + "|" + time1 + "|7.0|38.55|36.08|" + Cashier}));
    QCOMPARE(historyLines(shop, receipt1), QStringList({time1 + "|李女士|13800138000|苹果|4.5|4.0|18.0|18.0",
                                                        time1 + "|李女士|13800138000|牛奶|6.85|3.0|20.55|18.084"}));
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("2"));
    QVERIFY(saleLines(shop).isEmpty());
    QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->model()->rowCount(), 0);
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>(main, "Edit9")->text(), QString());
    const QString receipt2 = control<QLineEdit>(main, "Edit1")->text();
    QVERIFY2(receipt2 > receipt1, qPrintable(receipt2));

    const QSizeF page1 = testsupport::pdfPageSizeInPoints(pdf1);
    QVERIFY2(std::abs(page1.width() - Width58 * PointsPerUnit) <= 1, qPrintable(QString::number(page1.width())));
    QVERIFY(page1.height() > page1.width());
    const QString text1 = testsupport::pdfText(pdf1);
    for (const QString& expected :
         QStringList{"收银员:" + Cashier, "单号:" + receipt1, "时间:" + time1, "Quorvel便利店", "苹果", "牛奶",
                     "李女士", "电话:13800138000", "应收金额:36.08", "实收金额:50", "找零金额:13.92"})
        QVERIFY2(withoutBlanks(text1).contains(withoutBlanks(expected.normalized(QString::NormalizationForm_KC))),
                 qPrintable(expected + "\n" + text1));
    QVERIFY2(!text1.contains(QStringLiteral("面包")), qPrintable(text1));
    QCOMPARE(receiptLine(text1, "4.50"), QStringLiteral("4.50 4.00 18.00"));
    QCOMPARE(receiptLine(text1, "6.85"), QStringLiteral("6.85 3.00 18.08"));
    QCOMPARE(receiptLine(text1, "合计"), QStringLiteral("合计: 7 36.08"));

    // The second sale on 76 mm, chosen on the main window and kept in the database. The print
    // run left the line buttons as they were: a click into the empty grid brings "添加" back.
    QVERIFY(!control<QToolButton>(main, "SpeedButton2")->isEnabled());
    QTest::mouseClick(control<ui::DataGrid>(main, "DBGridEh1")->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(control<QToolButton>(main, "SpeedButton2")->isEnabled());
    QVERIFY(pick(control<QComboBox>(main, "ComboBox5"), "76"));
    QCOMPARE(shop.db.scalar("SELECT pos FROM id"), QStringLiteral("76"));
    QVERIFY(pick(control<QComboBox>(main, "ComboBox1"), "苹果"));
    QVERIFY(pick(control<QComboBox>(main, "ComboBox2"), "9.0"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("4.05"));
    QVERIFY(press(control<QToolButton>(main, "SpeedButton2")));
    QVERIFY(pick(control<QComboBox>(main, "ComboBox1"), "面包"));
    retype(control<QLineEdit>(main, "Edit4"), "2");
    QVERIFY(press(control<QToolButton>(main, "SpeedButton2")));
    QCOMPARE(saleLines(shop), QStringList({receipt2 + "|苹果|4.5|1.0|4.5|4.05", receipt2 + "|面包|3.25|2.0|6.5|6.5"}));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("10.55"));
    retype(control<QComboBox>(main, "ComboBox4"), "20");
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("9.45"));
    QTRY_VERIFY(TMainForm::newReceiptNumber(QString()) != receipt2);
    QTRY_VERIFY(control<QLineEdit>(main, "Edit2")->text() > time1); // so it is listed after the first sale
    QVERIFY(press(control<QToolButton>(main, "SpeedButton6")));
    QVERIFY2(shop.messages.texts().isEmpty(), qPrintable(shop.messages.texts().join('\n')));
    const QString pdf2 = receiveReceipt(queue, QDir(shop.db.folder()).filePath("receipt2.pdf"));
    QVERIFY2(!pdf2.isEmpty(), "the second receipt did not arrive as a PDF");
    QVERIFY2(queue.printer().receiveJob(2000).isEmpty(), "a job more than the two receipts");
    const QString time2 = shop.db.scalar(QStringLiteral("SELECT 时间 FROM xstj WHERE 单号 = '%1'").arg(receipt2));
    QVERIFY2(time2 > time1, qPrintable(time2));

    QCOMPARE(shop.db.rows("SELECT 单号, 数量, 金额, 折后, 收银员 FROM xstj ORDER BY rowid"),
             QStringList({receipt1 + "|7.0|38.55|36.08|" + Cashier, receipt2 + "|3.0|11.0|10.55|" + Cashier}));
    // The customer is emptied after each receipt, the phone number kept.
    QCOMPARE(historyLines(shop, receipt2), QStringList({time2 + "||13800138000|苹果|4.5|1.0|4.5|4.05",
                                                        time2 + "||13800138000|面包|3.25|2.0|6.5|6.5"}));
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("4"));
    QVERIFY(saleLines(shop).isEmpty());

    const QSizeF page2 = testsupport::pdfPageSizeInPoints(pdf2);
    QVERIFY2(std::abs(page2.width() - Width76 * PointsPerUnit) <= 1, qPrintable(QString::number(page2.width())));
    const QString text2 = testsupport::pdfText(pdf2);
    for (const QString& expected : QStringList{"收银员:" + Cashier, "单号:" + receipt2, "时间:" + time2, "苹果", "面包",
                                               "电话:13800138000", "应收金额:10.55", "实收金额:20", "找零金额:9.45"})
        QVERIFY2(withoutBlanks(text2).contains(withoutBlanks(expected.normalized(QString::NormalizationForm_KC))),
                 qPrintable(expected + "\n" + text2));
    QVERIFY2(!text2.contains(QStringLiteral("牛奶")) && !text2.contains(QStringLiteral("李女士")), qPrintable(text2));
    QCOMPARE(receiptLine(text2, "4.50"), QStringLiteral("4.50 1.00 4.05"));
    QCOMPARE(receiptLine(text2, "3.25"), QStringLiteral("3.25 2.00 6.50"));
    QCOMPARE(receiptLine(text2, "合计"), QStringLiteral("合计: 3 10.55"));

    // ---- 6. The history: list, footers, searches, a sale's lines. ----
    QVERIFY(press(control<QToolButton>(main, "SpeedButton7")));
    QCOMPARE(shop.modals->shown(), QStringList({"TXstjForm"}));
    TXstjForm& statistics = *cashier.XstjForm;
    ui::DataGrid& list = *control<ui::DataGrid>(statistics, "DBGridEh1");
    QVERIFY(QTest::qWaitForWindowExposed(&statistics));
    QCOMPARE(listedReceipts(list), QStringList({receipt1, receipt2}));
    QCOMPARE(sumFooters(list), QStringList({"10", "49.55", "46.63"}));

    TXscxForm& query = *cashier.XscxForm;
    QVERIFY(press(control<QToolButton>(statistics, "SpeedButton1")));
    // Every printed receipt number is offered (the list model finds nothing by text: it is read row by row).
    QStringList offered;
    for (int i = 0; i < control<QComboBox>(query, "ComboBox1")->count(); ++i)
        offered << control<QComboBox>(query, "ComboBox1")->itemText(i);
    offered.sort();
    QCOMPARE(offered, QStringList({receipt1, receipt2}));
    control<QComboBox>(query, "ComboBox1")->setEditText(receipt2);
    QVERIFY(press(control<QToolButton>(query, "SpeedButton1")));
    QVERIFY(!query.isVisible());
    QCOMPARE(listedReceipts(list), QStringList({receipt2}));
    QCOMPARE(sumFooters(list), QStringList({"3", "11", "10.55"}));

    QVERIFY(press(control<QToolButton>(statistics, "SpeedButton1")));
    retype(control<QComboBox>(query, "ComboBox2"), "admin");
    QVERIFY(press(control<QToolButton>(query, "SpeedButton1")));
    QCOMPARE(listedReceipts(list), QStringList());
    QCOMPARE(sumFooters(list), QStringList({"0", "0", "0"}));

    QVERIFY(press(control<QToolButton>(statistics, "SpeedButton1")));
    QVERIFY(pick(control<QComboBox>(query, "ComboBox2"), Cashier));
    QVERIFY(press(control<QToolButton>(query, "SpeedButton1")));
    QCOMPARE(listedReceipts(list), QStringList({receipt1, receipt2}));
    QCOMPARE(shop.modals->shown(), QStringList({"TXstjForm", "TXscxForm", "TXscxForm", "TXscxForm"}));

    // The cashier's delete button is disabled: a click deletes nothing.
    QTest::mouseClick(control<QToolButton>(statistics, "SpeedButton4"), Qt::LeftButton);
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("2"));

    const int row1 = rowOf(list, receipt1);
    QVERIFY(clickRow(list, row1));
    QTest::mouseDClick(list.view()->viewport(), Qt::LeftButton, {}, rowCentre(list, row1));
    QCOMPARE(shop.modals->shown().last(), QStringLiteral("TXsmxForm"));
    TXsmxForm& detail = *cashier.XsmxForm;
    QCOMPARE(detail.caption(), QStringLiteral("单号：") + receipt1);
    QCOMPARE(shownRows(*control<ui::DataGrid>(detail, "DBGridEh1")),
             QStringList({"1|李女士|13800138000|苹果|4.5|4|18|18|", "2|李女士|13800138000|牛奶|6.85|3|20.55|18.08|"}));
    QCOMPARE(control<ui::DataGrid>(detail, "DBGridEh1")->footerText(5), QStringLiteral("7"));
    QCOMPARE(control<ui::DataGrid>(detail, "DBGridEh1")->footerText(6), QStringLiteral("38.55"));
    QCOMPARE(control<ui::DataGrid>(detail, "DBGridEh1")->footerText(7), QStringLiteral("36.08"));
    detail.close();

    // ---- 7. The list exported to .xls. ----
    const QString chosen = QDir(shop.db.folder()).filePath(QStringLiteral("销售记录"));
    ui::SaveNameOverride saveDialog({chosen});
    shop.messages.clear();
    QVERIFY(press(control<QToolButton>(statistics, "SpeedButton2")));
    QCOMPARE(saveDialog.asked(), 1);
    QCOMPARE(shop.messages.texts(), QStringList({"成功导出全部数据!"}));
    QString error;
    const QList<testsupport::WorkbookSheet> sheets = testsupport::readWorkbook(chosen + ".xls", &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(sheets.size(), 1);
    const QList<testsupport::WorkbookRow>& rows = sheets.first().rows;
    QCOMPARE(rows.size(), 3);
    QStringList header;
    for (const testsupport::WorkbookCell& cell : rows.at(0))
        header << cell.describe();
    QCOMPARE(header, QStringList({"text:单号", "text:时间", "text:数量", "text:金额", "text:折后", "text:收银员", "text:原单号",
                                   "text:授权人", "text:付款方式", "text:状态"}));
    const QList<std::pair<QStringList, QList<double>>> exported = {
        {{receipt1, time1, Cashier}, {7, 38.55, 36.08}},
        {{receipt2, time2, Cashier}, {3, 11, 10.55}},
    };
    for (int i = 0; i < exported.size(); ++i) {
        const testsupport::WorkbookRow& row = rows.at(i + 1);
        QCOMPARE(row.size(), 10);
        const auto& [texts, numbers] = exported.at(i);
        QCOMPARE(row.at(0).describe(), "text:" + texts.at(0)); // the receipt number stays text
        QCOMPARE(row.at(1).describe(), "text:" + texts.at(1));
        for (int n = 0; n < 3; ++n)
            QVERIFY2(isNumberCell(row.at(2 + n), numbers.at(n)), qPrintable(row.at(2 + n).describe()));
        QCOMPARE(row.at(5).describe(), "text:" + texts.at(2));
        for (int empty : {6, 7, 9}) // a sale with no return: no original, authoriser or state
            QCOMPARE(row.at(empty).describe(), QStringLiteral("empty"));
        QCOMPARE(row.at(8).describe(), QStringLiteral("text:现金"));
    }
    statistics.close();

    // ---- 8. The administrator deletes the second sale; the first stays, with its lines. ----
    shop.messages.clear();
    shop.modals->clear();
    QVERIFY(press(control<QToolButton>(adminMain, "SpeedButton7")));
    TXstjForm& adminStatistics = *admin.XstjForm;
    ui::DataGrid& adminList = *control<ui::DataGrid>(adminStatistics, "DBGridEh1");
    QVERIFY(QTest::qWaitForWindowExposed(&adminStatistics));
    QCOMPARE(listedReceipts(adminList), QStringList({receipt1, receipt2}));
    const QStringList firstSaleLines = historyLines(shop, receipt1);
    QVERIFY(clickRow(adminList, rowOf(adminList, receipt2))); // the list opens on the first sale

    shop.messages.setNextAnswers({false});
    QVERIFY(press(control<QToolButton>(adminStatistics, "SpeedButton4")));
    QCOMPARE(shop.messages.texts(), QStringList({"确定要删除选中的销售信息？"}));
    QCOMPARE(shop.messages.messages().first().style, ui::MessageStyle::WarningOkCancel);
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xstj"), QStringLiteral("2"));
    QCOMPARE(shop.db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("4"));

    shop.messages.setNextAnswers({true});
    QVERIFY(press(control<QToolButton>(adminStatistics, "SpeedButton4")));
    QCOMPARE(shop.messages.texts().size(), 2);
    QCOMPARE(shop.db.rows("SELECT 单号 FROM xstj"), QStringList({receipt1}));
    QCOMPARE(shop.db.rows("SELECT DISTINCT 单号 FROM xsmx"), QStringList({receipt1}));
    QCOMPARE(historyLines(shop, receipt1), firstSaleLines);
    QCOMPARE(listedReceipts(adminList), QStringList({receipt1}));
    QCOMPARE(sumFooters(adminList), QStringList({"7", "38.55", "36.08"}));

    // The cashier's list, read again, agrees.
    QVERIFY(press(control<QToolButton>(main, "SpeedButton7")));
    QCOMPARE(listedReceipts(list), QStringList({receipt1}));
    QCOMPARE(shop.db.scalar("PRAGMA integrity_check"), QStringLiteral("ok"));
    QCOMPARE(shop.messages.texts().size(), 2);
}

QTEST_MAIN(TestShellRoad)
#include "test_shell_road.moc"
