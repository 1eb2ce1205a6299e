// Selling by scan: a scanner types the code into the goods box as fast as keys go, then Enter.

#include "settings/SptjUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/ShellFixture.h"

#include <QLabel>
#include <QtTest>

using testsupport::control;
using testsupport::saleLineTexts;
using testsupport::ShellFixture;

namespace {

void prepareGoods(testsupport::TestDatabase& db)
{
    // A goods row of the same name without a code comes first: a scan must not reprice it.
    db.exec("INSERT INTO spxx (品名, 单价, 条码) VALUES ('可乐', 2.5, NULL), ('可乐', 3, '6901234567892'), "
            "('薯片', 5.5, '96385074'), ('牛奶', 12.5, '036000291452'), ('苹果', 12.99, '12345')");
}

// Keys straight into whatever has the focus, no delay between them, as a scanner sends them.
void scan(const QString& code)
{
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClicks(focused, code);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

void readyForTheNext(TMainForm& main)
{
    QVERIFY(control<QComboBox>(main, "ComboBox1")->hasFocus() ||
            control<QComboBox>(main, "ComboBox1")->lineEdit()->hasFocus());
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QString());
}

} // namespace

class TestShellScan : public QObject
{
    Q_OBJECT

private slots:
    void scannerAtTheCounter();
    void unknownCodeOffersToAddTheGoods_data();
    void unknownCodeOffersToAddTheGoods();
};

void TestShellScan::scannerAtTheCounter()
{
    ShellFixture shell(prepareGoods);
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    control<QComboBox>(main, "ComboBox1")->setFocus();

    scan("6901234567892");
    readyForTheNext(main);
    QCOMPARE(saleLineTexts(shell), QStringList{"可乐|3|1|3|3"});
    scan("96385074");
    readyForTheNext(main);
    scan("6901234567892");
    readyForTheNext(main);
    QCOMPARE(saleLineTexts(shell), QStringList({"可乐|3|2|6|6", "薯片|5.5|1|5.5|5.5"}));

    // The discount box's discount goes onto the scanned line.
    control<QComboBox>(main, "ComboBox2")->setEditText("9");
    control<QComboBox>(main, "ComboBox1")->setFocus();
    scan("036000291452");
    readyForTheNext(main);
    // 455 g of the goods whose code is 12345, at 12.99 a kilogram; the discount is back at 10, as
    // after any line.
    scan("2712345004558");
    readyForTheNext(main);
    QVERIFY(shell.messages.texts().isEmpty());
    // One digit misread: refused, nothing added.
    scan("6901234567893");
    readyForTheNext(main);
    QCOMPARE(shell.messages.texts().size(), 1);
    QVERIFY(shell.messages.texts().first().contains("校验位"));

    QCOMPARE(saleLineTexts(shell), QStringList({"可乐|3|2|6|6", "薯片|5.5|1|5.5|5.5", "牛奶|12.5|1|12.5|11.25",
                                                "苹果|12.99|0.455|5.91|5.91"}));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("4.45"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("28.66"));
    // The catalogue gave the lines and is as it was.
    QCOMPARE(shell.db.rows("SELECT 品名 || '|' || 单价 FROM spxx ORDER BY rowid"),
             QStringList({"可乐|2.5", "可乐|3.0", "薯片|5.5", "牛奶|12.5", "苹果|12.99"}));

    // A name typed by hand still goes on to the price.
    QTest::keyClicks(control<QComboBox>(main, "ComboBox1"), "tea");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(main, "Edit3"));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("tea"));
}

void TestShellScan::unknownCodeOffersToAddTheGoods_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("add");
    QTest::addColumn<QString>("codeOffered");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("cancelled") << "1234567890128" << false << "1234567890128" << QStringList();
    QTest::newRow("added") << "1234567890128" << true << "1234567890128" << QStringList{"新货|4|1|4|4"};
    // A scale label of goods not in the catalogue offers the item code; 1.00 yuan at 4 a kilogram.
    QTest::newRow("scale label added") << "2054321001008" << true << "54321" << QStringList{"新货|4|0.25|1|1"};
}

void TestShellScan::unknownCodeOffersToAddTheGoods()
{
    QFETCH(QString, code);
    QFETCH(bool, add);
    QFETCH(QString, codeOffered);
    QFETCH(QStringList, lines);
    ShellFixture shell(prepareGoods);
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    control<QComboBox>(main, "ComboBox1")->setFocus();
    TSptjForm& dialog = *shell.forms->SptjForm;
    QString offered;
    shell.modals->setWhileShown([&](QDialog*) {
        offered = control<QLineEdit>(dialog, "Edit3")->text();
        control<QLineEdit>(dialog, "Edit1")->setText("新货");
        control<QLineEdit>(dialog, "Edit2")->setText("4");
        control<QPushButton>(dialog, "SpeedButton1")->click();
    });
    shell.messages.setNextAnswers({add});

    scan(code);

    QCOMPARE(shell.messages.texts().value(0),
             QStringLiteral("条码“%1”不在商品资料中。\n要把它添加为新商品吗？").arg(codeOffered));
    QCOMPARE(shell.modals->shown(), add ? QStringList{"TSptjForm"} : QStringList());
    QCOMPARE(offered, add ? codeOffered : QString());
    QCOMPARE(saleLineTexts(shell), lines);
    QCOMPARE(shell.db.scalar(QStringLiteral("SELECT count(*) FROM spxx WHERE 条码 = '%1'").arg(codeOffered)),
             add ? "1" : "0");
    readyForTheNext(main);
}

QTEST_MAIN(TestShellScan)
#include "test_shell_scan.moc"
