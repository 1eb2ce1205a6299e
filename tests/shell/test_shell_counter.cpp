// The main window at the counter, typed into as a cashier types: keys go to the focused box of
// the active window, where Qt completes text, so whatever the boxes would make of the keys shows.

#include "core/Error.h"
#include "records/XscxUnit.h"
#include "records/XstjUnit.h"
#include "sales/Totals.h"
#include "settings/SptjUnit.h"
#include "settings/XtUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/PrintCapture.h"
#include "support/ShellFixture.h"
#include "ui/DataGrid.h"

#include <QLabel>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

using testsupport::control;
using testsupport::saleLineTexts;
using testsupport::ShellFixture;
using testsupport::storedNumber;

namespace {

void activate(QWidget* window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// As after Tab: the box has the focus and its whole text selected; then the keys.
void typeOver(QWidget* box, const QString& text)
{
    box->setFocus(Qt::TabFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(box))
        combo->lineEdit()->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
    QTest::keyClicks(box, text);
}

void key(Qt::Key key)
{
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, key);
}

// Name and price typed, then Enter from box to box, the discount last: Enter there adds the line.
void enterLineByKeys(const QString& name, const QString& price, const QString& quantity, const QString& discount)
{
    QTest::keyClicks(QApplication::focusWidget(), name);
    key(Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), price);
    key(Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), quantity);
    key(Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), discount);
    key(Qt::Key_Return);
}

bool isNegative(const QString& text)
{
    return text.startsWith(QLatin1Char('-'));
}

} // namespace

class TestShellCounter : public QObject
{
    Q_OBJECT

private slots:
    void discountKeepsWhatIsTyped_data();
    void discountKeepsWhatIsTyped();
    void receivedKeepsWhatIsTyped_data();
    void receivedKeepsWhatIsTyped();
    void amountsBeyondTheBound_data();
    void amountsBeyondTheBound();
    void storedLinesBeyondTheBoundGiveNoNegativeTotal();
    void cashierStaysAfterTheSettingsClose();
    void closingWithAnOpenSaleAsks_data();
    void closingWithAnOpenSaleAsks();
    void wholeSaleFromTheKeyboard();
    void tabLeavesTheGrid();
    void enterSearchesInTheQueryDialog();
    void addGoodsDialogReadyForTheNext();
    void totalsAndStatusBarReadable();
};

void TestShellCounter::discountKeepsWhatIsTyped_data()
{
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("afterDiscount");
    QTest::newRow("9.5") << "9.5"
                         << "35.625";
    QTest::newRow("8.5") << "8.5"
                         << "31.875";
    QTest::newRow("9") << "9"
                       << "33.75";
    QTest::newRow("7") << "7"
                       << "26.25";
    QTest::newRow("10") << "10"
                        << "37.5";
    QTest::newRow("0.5") << "0.5"
                         << "1.875";
}

void TestShellCounter::discountKeepsWhatIsTyped()
{
    QFETCH(QString, discount);
    QFETCH(QString, afterDiscount);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    control<QComboBox>(main, "ComboBox1")->setEditText("苹果");
    typeOver(control<QLineEdit>(main, "Edit3"), "12.5");
    typeOver(control<QLineEdit>(main, "Edit4"), "3");
    typeOver(control<QComboBox>(main, "ComboBox2"), discount);
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), discount);
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), afterDiscount);
    // Leaving the box keeps the text too.
    key(Qt::Key_Tab);
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), discount);
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), afterDiscount);

    QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    QCOMPARE(saleLineTexts(shell), QStringList{"苹果|12.5|3|37.5|" + afterDiscount});
    // The next line, Enter on the preset discount: "10" stays "10", not the last discount picked.
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), QStringLiteral("10"));
    control<QComboBox>(main, "ComboBox1")->setEditText("梨");
    typeOver(control<QLineEdit>(main, "Edit3"), "2");
    typeOver(control<QLineEdit>(main, "Edit4"), "1");
    control<QComboBox>(main, "ComboBox2")->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Return);
    QCOMPARE(saleLineTexts(shell).value(1), QStringLiteral("梨|2|1|2|2"));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellCounter::receivedKeepsWhatIsTyped_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("change");
    QTest::newRow("10") << "10"
                        << "-2.50";
    QTest::newRow("5") << "5"
                       << "-7.50";
    QTest::newRow("20") << "20"
                        << "7.50";
    QTest::newRow("3") << "3"
                       << "-9.50";
    QTest::newRow("50.5") << "50.5"
                          << "38.00";
}

void TestShellCounter::receivedKeepsWhatIsTyped()
{
    QFETCH(QString, received);
    QFETCH(QString, change);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    control<QComboBox>(main, "ComboBox1")->setEditText("苹果");
    typeOver(control<QLineEdit>(main, "Edit3"), "12.5");
    QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("12.5"));

    typeOver(control<QComboBox>(main, "ComboBox4"), received);
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), received);
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), change);
    key(Qt::Key_Return);
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), received);
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), change);
    key(Qt::Key_Tab);
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), received);
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), change);
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellCounter::amountsBeyondTheBound_data()
{
    QTest::addColumn<QStringList>("prices");
    QTest::addColumn<QStringList>("quantities");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("due");
    // A barcode scanned into the quantity box.
    QTest::newRow("scanned quantity") << QStringList{"99999.99"} << QStringList{"99999999999999"} << 0 << "0";
    QTest::newRow("price beyond") << QStringList{"1000000000001"} << QStringList{"1"} << 0 << "0";
    QTest::newRow("quantity beyond") << QStringList{"1"} << QStringList{"1000000000001"} << 0 << "0";
    QTest::newRow("amount at the bound") << QStringList{"1000000"} << QStringList{"1000000"} << 1 << "1000000000000";
    QTest::newRow("amount beyond") << QStringList{"1000000"} << QStringList{"1000000.01"} << 0 << "0";
    QTest::newRow("total beyond") << QStringList{"600000000000", "500000000000"} << QStringList{"1", "1"} << 1
                                  << "600000000000";
    QTest::newRow("total just within") << QStringList{"600000000000", "399999999999.99"} << QStringList{"1", "1"} << 2
                                       << "999999999999.99";
    QTest::newRow("quantity total beyond")
        << QStringList{"0.01", "0.01"} << QStringList{"999999999999", "2"} << 1 << "9999999999.99";
}

void TestShellCounter::amountsBeyondTheBound()
{
    QFETCH(QStringList, prices);
    QFETCH(QStringList, quantities);
    QFETCH(int, stored);
    QFETCH(QString, due);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    for (qsizetype i = 0; i < prices.size(); ++i) {
        control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("货%1").arg(i));
        typeOver(control<QLineEdit>(main, "Edit3"), prices.at(i));
        typeOver(control<QLineEdit>(main, "Edit4"), quantities.at(i));
        QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
        QVERIFY(!isNegative(control<QLabel>(main, "Label13")->text()));
        QVERIFY(!isNegative(control<QLabel>(main, "Label14")->text()));
        QVERIFY(!isNegative(control<QLabel>(main, "Label15")->text()));
    }
    QCOMPARE(saleLineTexts(shell).size(), stored);
    QCOMPARE(control<QLabel>(main, "Label15")->text(), due);
    const bool refused = stored < prices.size();
    QCOMPARE(shell.messages.texts(), refused ? QStringList{sales::outOfRangeMessage()} : QStringList{});
    QVERIFY(sales::outOfRangeMessage().contains(QStringLiteral("1000000000000")));
    // A refused line leaves nothing in the catalogue either.
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM spxx WHERE 品名 LIKE '货%'"), QString::number(stored));
}

void TestShellCounter::storedLinesBeyondTheBoundGiveNoNegativeTotal()
{
    // Rows no entry would make (written by another program, say): the totals refuse, never wrap.
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    shell.db.exec("INSERT INTO xsxx (单号, 品名, 单价, 数量, 金额, 折后) VALUES "
                  "('1', 'a', 99999.99, 99999999999999, 9999998999999900000, 9999998999999900000), "
                  "('1', 'b', 1, 1, 1, 1)");
    main.ADOQuery2.requery(main.ADOQuery2.statement());
    QVERIFY_THROWS_EXCEPTION(core::Error, main.refreshTotals());
    QVERIFY(!isNegative(control<QLabel>(main, "Label15")->text()));
    QVERIFY_THROWS_EXCEPTION(core::Error, sales::totalsOf(main.ADOQuery2));
}

void TestShellCounter::cashierStaysAfterTheSettingsClose()
{
    ShellFixture shell([](testsupport::TestDatabase& db) {
        db.exec("INSERT INTO username VALUES ('lin', '', '普通用户'), ('wang', '', '普通用户')");
    });
    QVERIFY(shell.logIn("lin"));
    TMainForm& main = shell.main();
    TXtForm& settings = *shell.forms->XtForm;
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("lin"));
    settings.show();
    settings.close();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("lin"));

    // Once the user is gone, so is the name.
    shell.db.exec("DELETE FROM username WHERE 用户名 = 'lin'");
    settings.show();
    settings.close();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QString());
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->findText("lin"), -1);
}

void TestShellCounter::closingWithAnOpenSaleAsks_data()
{
    QTest::addColumn<bool>("withLine");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("empty sale") << false << true << true;
    QTest::newRow("open sale, OK") << true << true << true;
    QTest::newRow("open sale, Cancel") << true << false << false;
}

void TestShellCounter::closingWithAnOpenSaleAsks()
{
    QFETCH(bool, withLine);
    QFETCH(bool, answer);
    QFETCH(bool, closes);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    if (withLine) {
        control<QComboBox>(main, "ComboBox1")->setEditText("苹果");
        typeOver(control<QLineEdit>(main, "Edit3"), "2");
        QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    }
    shell.messages.clear();
    shell.messages.setNextAnswers({answer});
    main.close();
    QCOMPARE(main.isVisible(), !closes);
    const QStringList asked = withLine ? QStringList{"当前销售还没有打印，确定退出吗？"} : QStringList{};
    QCOMPARE(shell.messages.texts(), asked);
    if (withLine)
        QCOMPARE(shell.messages.messages().first().style, ui::MessageStyle::WarningOkCancel);
    QCOMPARE(saleLineTexts(shell).size(), withLine ? 1 : 0);
}

void TestShellCounter::wholeSaleFromTheKeyboard()
{
    ShellFixture shell([](testsupport::TestDatabase& db) { db.exec("INSERT INTO spxx (品名, 单价) VALUES ('pear', 4.2)"); });
    printing::PrintCapture printer;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(main, "ComboBox1"));

    enterLineByKeys("apple", "6.8", "3", "9.5");
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(main, "ComboBox1"));
    enterLineByKeys("milk", "12.5", "2", "8.5");
    // A name the list holds brings its price, which the cashier may type over or keep.
    QTest::keyClicks(control<QComboBox>(main, "ComboBox1"), "pear");
    key(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(main, "Edit3"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QStringLiteral("4.2"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->selectedText(), QStringLiteral("4.2"));
    key(Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), "5");
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    enterLineByKeys("bread", "3", "1", "10");
    enterLineByKeys("egg", "0.5", "12", "9");
    QCOMPARE(saleLineTexts(shell), (QStringList{"apple|6.8|3|20.4|19.38", "milk|12.5|2|25|21.25", "pear|4.2|5|21|21",
                                                "bread|3|1|3|3", "egg|0.5|12|6|5.4"}));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("70.03"));
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(main, "ComboBox1"));
    QVERIFY(shell.messages.texts().isEmpty());

    key(Qt::Key_F5);
    QCOMPARE(printer.jobs().size(), 1);
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("5"));
    QCOMPARE(shell.db.scalar("SELECT 收银员 FROM xstj"), QStringLiteral("admin"));
    QVERIFY(saleLineTexts(shell).isEmpty());
}

void TestShellCounter::tabLeavesTheGrid()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    for (const char* name : {"苹果", "梨"}) {
        control<QComboBox>(main, "ComboBox1")->setEditText(name);
        typeOver(control<QLineEdit>(main, "Edit3"), "2");
        QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    }
    QCOMPARE(saleLineTexts(shell).size(), 2);
    control<QComboBox>(main, "ComboBox1")->setFocus(Qt::TabFocusReason);
    QTableView* grid = control<ui::DataGrid>(main, "DBGridEh1")->view();
    bool seenGrid = false;
    int steps = 0;
    // Round the window once: the grid is one stop on the way, however many rows it has.
    do {
        key(Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused == grid) {
            QVERIFY2(!seenGrid, "Tab stayed in the grid");
            seenGrid = true;
        }
    } while (QApplication::focusWidget() != control<QComboBox>(main, "ComboBox1") && ++steps < 40);
    QVERIFY(seenGrid);
    QCOMPARE(QApplication::focusWidget(), control<QComboBox>(main, "ComboBox1"));
}

void TestShellCounter::enterSearchesInTheQueryDialog()
{
    ShellFixture shell([](testsupport::TestDatabase& db) {
        db.exec("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('20261209100000', '2026-12-09 10:00:00', 1, 2, 2, 'admin'), "
                "('20261209110000', '2026-12-09 11:00:00', 1, 3, 3, 'lin')");
    });
    QVERIFY(shell.logIn());
    TXscxForm& query = *shell.forms->XscxForm;
    TXstjForm& statistics = *shell.forms->XstjForm;
    query.fillLists();
    query.show();
    activate(&query);
    typeOver(control<QComboBox>(query, "ComboBox1"), "2026120911");
    key(Qt::Key_Return);
    QVERIFY(!query.isVisible());
    QCOMPARE(statistics.ADOQuery1.recordCount(), 1);
    QCOMPARE(statistics.ADOQuery1.field("收银员"), QStringLiteral("lin"));

    // Enter with both boxes empty says so, as the button does.
    query.fillLists();
    query.show();
    activate(&query);
    control<QComboBox>(query, "ComboBox1")->setFocus();
    key(Qt::Key_Enter);
    QCOMPARE(shell.messages.texts(), QStringList{"查询信息不能为空！"});
    QVERIFY(query.isVisible());
    query.hide();
}

void TestShellCounter::addGoodsDialogReadyForTheNext()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TSptjForm& goods = *shell.forms->SptjForm;
    control<QCheckBox>(goods, "CheckBox1")->setChecked(true);
    goods.show();
    activate(&goods);
    control<QLineEdit>(goods, "Edit1")->setFocus();
    QTest::keyClicks(control<QLineEdit>(goods, "Edit1"), "tea");
    key(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(goods, "Edit2"));
    QVERIFY(shell.messages.texts().isEmpty());
    QTest::keyClicks(control<QLineEdit>(goods, "Edit2"), "3.5");
    key(Qt::Key_Return);
    QCOMPARE(shell.messages.texts(), QStringList{"添加商品成功！"});
    QCOMPARE(shell.db.rows("SELECT 品名, 单价 FROM spxx WHERE 品名 = 'tea'"), QStringList{"tea|3.5"});
    QVERIFY(goods.isVisible());
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(goods, "Edit1"));
    goods.hide();
}

void TestShellCounter::totalsAndStatusBarReadable()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // A five-character quantity total beside a five-digit amount, then amounts near the bound.
    for (const auto& [price, quantity] :
         {std::pair{"6.8", "100.5"}, std::pair{"1.3", "86.3"}, std::pair{"99999999.99", "9999"}}) {
        control<QComboBox>(main, "ComboBox1")->setEditText("货");
        typeOver(control<QLineEdit>(main, "Edit3"), price);
        typeOver(control<QLineEdit>(main, "Edit4"), quantity);
        QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
        const QList<QLabel*> totals = {control<QLabel>(main, "Label13"), control<QLabel>(main, "Label14"),
                                       control<QLabel>(main, "Label15")};
        for (qsizetype i = 0; i < totals.size(); ++i) {
            QLabel* total = totals.at(i);
            QVERIFY2(QFontMetrics(total->font()).horizontalAdvance(total->text()) <= total->width(),
                     qPrintable(total->text()));
            if (i > 0)
                QVERIFY(totals.at(i - 1)->geometry().right() < total->geometry().left());
        }
    }
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("999900000695.6"));
    QVERIFY(shell.messages.texts().isEmpty());

    QLabel* shortcuts = control<QStatusBar>(main, "StatusBar1")->findChild<QLabel*>("StatusPanel2");
    QVERIFY(shortcuts);
    QCOMPARE(shortcuts->text(), QStringLiteral("快捷键：帮助F1键、打印小票F5键"));
    QVERIFY(QFontMetrics(shortcuts->font()).horizontalAdvance(shortcuts->text()) <= shortcuts->contentsRect().width());
    QVERIFY(shortcuts->mapTo(&main, QPoint(shortcuts->width(), 0)).x() <= main.width());
}

QTEST_MAIN(TestShellCounter)
#include "test_shell_counter.moc"
