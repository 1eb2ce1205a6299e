// Taking the money at the counter: the received box as the cashier types into it, the change in
// fen, the payment keys, and what a print run records and prints for each way of paying.

#include "printing/EscPos.h"
#include "shell/MainUnit.h"
#include "shell/PaymentPanel.h"
#include "shell/ZhfkUnit.h"
#include "store/Catalogue.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "support/Controls.h"
#include "support/EscPosDecoder.h"
#include "support/PrintCapture.h"
#include "support/PrintingSale.h"
#include "support/ShellFixture.h"

#include <QClipboard>
#include <QLabel>
#include <QToolButton>
#include <QtTest>

using testsupport::control;
using testsupport::ShellFixture;

namespace {

void activate(QWidget* window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// One line of price due, added as the cashier adds it: the received box is then preset to it.
void enterSale(TMainForm& main, const QString& due)
{
    control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("苹果"));
    control<QLineEdit>(main, "Edit3")->setText(due);
    control<QLineEdit>(main, "Edit4")->setText(QStringLiteral("1"));
    control<QComboBox>(main, "ComboBox2")->setEditText(QStringLiteral("10"));
    main.Edit3KeyUp();
    main.SpeedButton2Click();
    QCOMPARE(control<QLabel>(main, "Label15")->text(), due);
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), due);
}

QLineEdit* received(TMainForm& main)
{
    return control<QComboBox>(main, "ComboBox4")->lineEdit();
}

// Rows of the captured receipt's element that shows the text, or -1 when it is not there.
double topOf(const printing::CapturedJob& job, const QString& text)
{
    for (const report::DrawnText& drawn : job.drawn)
        if (drawn.text == text)
            return drawn.position.y();
    return -1;
}

// Dot rows holding ink between from and to: a line of text covers most of them, a rule of
// dashes one or two.
int inkedRows(const QImage& dots, int from, int to)
{
    int rows = 0;
    for (int y = std::max(0, from); y < std::min(dots.height(), to); ++y) {
        for (int x = 0; x < dots.width(); ++x) {
            if (testsupport::blackDot(dots, x, y)) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

} // namespace

class TestShellPayment : public QObject
{
    Q_OBJECT

private slots:
    void receivedBoxTakesTheTyping_data();
    void receivedBoxTakesTheTyping();
    void changeInFen_data();
    void changeInFen();
    void shortCashIsRefused();
    void paymentsRecordedAndPrinted_data();
    void paymentsRecordedAndPrinted();
    void historyShowsHowSalesWerePaid();
};

void TestShellPayment::receivedBoxTakesTheTyping_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("change");
    QTest::newRow("click, then 100") << "click" << "100" << "" << "100" << "61.62";
    QTest::newRow("tab, then 100") << "tab" << "100" << "" << "100" << "61.62";
    QTest::newRow("picked from the list, then 50") << "pick" << "50" << "" << "50" << "11.62";
    QTest::newRow("third decimal refused") << "click" << "40.255" << "" << "40.25" << "1.87";
    QTest::newRow("paste over the preset") << "paste" << "" << "50.5" << "50.5" << "12.12";
    QTest::newRow("paste with blanks") << "paste" << "" << " 60 " << "60" << "21.62";
    QTest::newRow("paste of three decimals refused") << "paste" << "" << "1.234" << "38.38" << "0.00";
    QTest::newRow("paste of a letter refused") << "paste" << "" << "5a" << "38.38" << "0.00";
}

void TestShellPayment::receivedBoxTakesTheTyping()
{
    QFETCH(QString, way);
    QFETCH(QString, typed);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    QFETCH(QString, change);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    enterSale(main, QStringLiteral("38.38"));
    control<QComboBox>(main, "ComboBox1")->setFocus();
    QLineEdit* box = received(main);

    if (way == QLatin1String("click")) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() / 2));
    } else if (way == QLatin1String("tab")) {
        control<QComboBox>(main, "ComboBox4")->setFocus(Qt::TabFocusReason);
    } else if (way == QLatin1String("pick")) {
        control<QComboBox>(main, "ComboBox4")->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        box->setCursorPosition(2);
        QComboBox* presets = control<QComboBox>(main, "ComboBox4");
        presets->setCurrentIndex(presets->findText(QStringLiteral("100")));
        emit presets->activated(presets->currentIndex());
    } else {
        // Ctrl+A then Ctrl+C copies the preset; Ctrl+V puts the clipboard over it.
        control<QComboBox>(main, "ComboBox4")->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        box->setCursorPosition(0);
        QTest::keyClick(control<QComboBox>(main, "ComboBox4"), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->selectedText(), QStringLiteral("38.38"));
        QTest::keyClick(control<QComboBox>(main, "ComboBox4"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("38.38"));
        QGuiApplication::clipboard()->setText(clipboard);
        QTest::keyClick(control<QComboBox>(main, "ComboBox4"), Qt::Key_V, Qt::ControlModifier);
    }
    QCoreApplication::processEvents();
    QTest::keyClicks(control<QComboBox>(main, "ComboBox4"), typed);
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), expected);
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), change);
}

void TestShellPayment::changeInFen_data()
{
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("change");
    QTest::newRow("38.38 of 100") << "38.38" << "100" << "61.62";
    QTest::newRow("31.87 of 100") << "31.87" << "100" << "68.13";
    QTest::newRow("exact") << "50.5" << "50.5" << "0.00";
    QTest::newRow("a tenth short of binary") << "0.3" << "0.7" << "0.40";
    QTest::newRow("below the due") << "31.87" << "20" << "-11.87";
    QTest::newRow("point still alone") << "12" << "." << "";
    QTest::newRow("large") << "999999999.99" << "1000000000" << "0.01";
}

void TestShellPayment::changeInFen()
{
    QFETCH(QString, due);
    QFETCH(QString, received);
    QFETCH(QString, change);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    enterSale(main, due);
    control<QComboBox>(main, "ComboBox4")->setEditText(received);
    main.ComboBox4Change();
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), change);
}

void TestShellPayment::shortCashIsRefused()
{
    printing::PrintCapture printer;
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    enterSale(main, QStringLiteral("38.38"));
    for (const QString& typed : {QStringLiteral("38.37"), QString()}) {
        control<QComboBox>(main, "ComboBox4")->setEditText(typed);
        shell.messages.clear();
        main.WMHotKey(TMainForm::PrintKey);
        QCOMPARE(shell.messages.texts(), QStringList{QStringLiteral("实收金额不足")});
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("1"));
        QCOMPARE(shell.db.scalar("SELECT count(*) FROM xstj") + shell.db.scalar("SELECT count(*) FROM xsfk"),
                 QStringLiteral("00"));
        QVERIFY(printer.jobs().isEmpty());
    }
}

void TestShellPayment::paymentsRecordedAndPrinted_data()
{
    QTest::addColumn<int>("key");         // the payment key pressed, 0 for none (cash)
    QTest::addColumn<QString>("second");  // the split's second method, or ""
    QTest::addColumn<QString>("splitAmount");
    QTest::addColumn<QString>("typed");   // into the received box, after the keys
    QTest::addColumn<QStringList>("rows"); // xsfk: 方式|金额|实收|找零
    QTest::addColumn<QStringList>("lines"); // the receipt's payment lines
    QTest::addColumn<QString>("receivedPrinted");
    QTest::addColumn<QString>("changePrinted");
    // clang-format off
    QTest::newRow("cash, 100 for 38.38") << 0 << "" << "" << "100" << QStringList{"现金|3838|10000|6162"}
        << QStringList{"付款方式：现金 38.38"} << "100.00" << "61.62";
    QTest::newRow("F6 cash, exact") << int(Qt::Key_F6) << "" << "" << "" << QStringList{"现金|3838|3838|0"}
        << QStringList{"付款方式：现金 38.38"} << "38.38" << "0.00";
    QTest::newRow("F7 微信") << int(Qt::Key_F7) << "" << "" << "5" << QStringList{"微信|3838||"}
        << QStringList{"付款方式：微信 38.38"} << "38.38" << "0.00";
    QTest::newRow("F8 支付宝") << int(Qt::Key_F8) << "" << "" << "" << QStringList{"支付宝|3838||"}
        << QStringList{"付款方式：支付宝 38.38"} << "38.38" << "0.00";
    QTest::newRow("F9 银行卡") << int(Qt::Key_F9) << "" << "" << "" << QStringList{"银行卡|3838||"}
        << QStringList{"付款方式：银行卡 38.38"} << "38.38" << "0.00";
    QTest::newRow("cash 20 handed 50, 微信 18.38") << 0 << "微信" << "18.38" << "50"
        << QStringList{"现金|2000|5000|3000", "微信|1838||"}
        << QStringList{"付款方式：现金 20.00", "付款方式：微信 18.38"} << "68.38" << "30.00";
    QTest::newRow("F9 银行卡 and 支付宝 8.38") << int(Qt::Key_F9) << "支付宝" << "8.38" << ""
        << QStringList{"银行卡|3000||", "支付宝|838||"}
        << QStringList{"付款方式：银行卡 30.00", "付款方式：支付宝 8.38"} << "38.38" << "0.00";
    // clang-format on
}

void TestShellPayment::paymentsRecordedAndPrinted()
{
    QFETCH(int, key);
    QFETCH(QString, second);
    QFETCH(QString, splitAmount);
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, lines);
    QFETCH(QString, receivedPrinted);
    QFETCH(QString, changePrinted);
    printing::PrintCapture printer;
    printer.keepDots({printing::EscPosMode::Raster, 384, true, printing::CashDrawer::None});
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    activate(&main);
    control<QCheckBox>(main, "CheckBox2")->setChecked(false); // report 1
    enterSale(main, QStringLiteral("38.38"));
    if (key)
        QTest::keyClick(&main, Qt::Key(key));
    if (!second.isEmpty()) {
        shell.modals->setWhileShown([&](QDialog* dialog) {
            auto* split = qobject_cast<TZhfkForm*>(dialog);
            QVERIFY(split);
            QComboBox* method = control<QComboBox>(*split, "ComboBox1");
            method->setCurrentIndex(method->findText(second));
            control<QLineEdit>(*split, "Edit1")->setText(splitAmount);
        });
        QTest::keyClick(&main, Qt::Key_F11);
    }
    QVERIFY(main.payment().caption()->text().contains(sales::methodName(main.payment().choice().first)));
    if (!typed.isEmpty())
        control<QComboBox>(main, "ComboBox4")->setEditText(typed);
    control<QComboBox>(main, "ComboBox4")->setFocus();
    QTest::keyClick(&main, Qt::Key_F5);

    const QString number = shell.db.scalar("SELECT 单号 FROM xstj");
    QVERIFY(!number.isEmpty());
    QCOMPARE(shell.db.rows("SELECT 方式, 金额, 实收, 找零 FROM xsfk WHERE 单号 = '" + number + "' ORDER BY rowid"), rows);
    QCOMPARE(printer.jobs().size(), 1);
    const printing::CapturedJob job = printer.jobs().first();
    QCOMPARE(testsupport::textsOf(job.drawn, QStringLiteral("PaymentBlock1")), lines);
    QCOMPARE(testsupport::textsOf(job.drawn, QStringLiteral("QRLabel17")), QStringList{receivedPrinted});
    QCOMPARE(testsupport::textsOf(job.drawn, QStringLiteral("QRLabel19")), QStringList{changePrinted});
    // On the ESC/POS picture each payment line is a line of text, and the rule under them stands below.
    QVERIFY(!job.dots.isNull());
    const double dotsPerUnit = job.dots.height() / job.pageLength;
    for (const QString& line : lines) {
        const double top = topOf(job, line);
        QVERIFY(top > 0);
        QVERIFY2(inkedRows(job.dots, int(top * dotsPerUnit), int((top + 11) * dotsPerUnit)) >= 5, qPrintable(line));
    }
    const QList<report::DrawnText> rule = [&] {
        QList<report::DrawnText> found;
        for (const report::DrawnText& drawn : job.drawn)
            if (drawn.element == QLatin1String("QRLabel23"))
                found << drawn;
        return found;
    }();
    QCOMPARE(rule.size(), 1);
    QVERIFY(rule.first().position.y() > topOf(job, lines.last()) + 10);
    QVERIFY(job.pageLength >= rule.first().position.y());

    // Ready for the next sale: cash again, the keyboard in the goods name.
    QCOMPARE(main.payment().choice().first, sales::PayMethod::Cash);
    QVERIFY(!main.payment().choice().isSplit());
    QVERIFY(!received(main)->isReadOnly());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(control<QComboBox>(main, "ComboBox1")));
}

void TestShellPayment::historyShowsHowSalesWerePaid()
{
    ShellFixture shell([](testsupport::TestDatabase& db) {
        db.exec("INSERT INTO xstj (单号, 时间, 折后) VALUES ('1', '2026-01-01 10:00:00', 12.5), "
                "('2', '2026-01-01 10:00:01', 38.38), ('3', '2026-01-01 10:00:02', 10), "
                "('4', '2026-01-01 10:00:03', -5)");
        db.exec("INSERT INTO xsfk (单号, 方式, 金额, 实收, 找零) VALUES ('2', '现金', 2000, 5000, 3000), "
                "('2', '微信', 1838, NULL, NULL), ('3', '支付宝', 1000, NULL, NULL), ('4', '现金', -500, NULL, NULL), "
                "('4', '银行卡', -5, NULL, NULL)");
    });
    store::Connection connection(QStringLiteral("PaymentTest"));
    connection.open();
    store::Dataset list(connection, store::sql::XstjByTime);
    list.open();
    QStringList paid;
    for (list.first(); !list.eof(); list.next())
        paid << list.field(QStringLiteral("付款方式"));
    QCOMPARE(paid, (QStringList{"现金", "现金 20.00+微信 18.38", "支付宝", "现金 -5.00+银行卡 -0.05"}));
    QVERIFY(list.columnNames().contains(QStringLiteral("付款方式")));
    QVERIFY_THROWS_EXCEPTION(std::exception, list.setField(QStringLiteral("付款方式"), QStringLiteral("微信")));
}

QTEST_MAIN(TestShellPayment)
#include "test_shell_payment.moc"
