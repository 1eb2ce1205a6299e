// The sale-line editor of the main window, driven as a cashier drives it: keys typed into the
// boxes (their releases run the amount computation), buttons and grid rows clicked.

#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/PrintCapture.h"
#include "support/ShellFixture.h"
#include "ui/DataGrid.h"

#include <QAbstractItemView>
#include <QTableView>
#include <QtTest>

using testsupport::control;
using testsupport::retype;
using testsupport::saleLineTexts;
using testsupport::ShellFixture;
using testsupport::storedNumber;
using testsupport::typeInto;

namespace {

// Goods names are Chinese, which the test library cannot type; a typed name runs no handler.
void enterLine(TMainForm& main, const QString& name, const QString& price, const QString& quantity,
               const QString& discount)
{
    control<QComboBox>(main, "ComboBox1")->setEditText(name);
    retype(control<QLineEdit>(main, "Edit3"), price);
    retype(control<QLineEdit>(main, "Edit4"), quantity);
    retype(control<QComboBox>(main, "ComboBox2"), discount);
}

void click(QAbstractButton* button)
{
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName() + QStringLiteral(" is disabled")));
    QTest::mouseClick(button, Qt::LeftButton);
}

void addLine(TMainForm& main, const QString& name, const QString& price, const QString& quantity = "1",
             const QString& discount = "10")
{
    enterLine(main, name, price, quantity, discount);
    click(control<QToolButton>(main, "SpeedButton2"));
}

void clickRow(TMainForm& main, int row)
{
    QTableView* view = control<ui::DataGrid>(main, "DBGridEh1")->view();
    const QRect cell = view->visualRect(view->model()->index(row, 1));
    QVERIFY2(cell.isValid(), "no such row on screen");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks an item from an open list with the mouse, as the cashier does.
void pick(QComboBox* box, const QString& item)
{
    const int index = box->findText(item);
    QVERIFY2(index >= 0, qPrintable(item + QStringLiteral(" is not in the list")));
    box->showPopup();
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    list->scrollTo(box->model()->index(index, 0));
    const QRect rect = list->visualRect(box->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!list->isVisible());
}

QStringList goods(const ShellFixture& shell)
{
    return shell.db.rows(QStringLiteral("SELECT 品名, %1 FROM spxx ORDER BY rowid").arg(storedNumber("单价")));
}

bool buttons(const TMainForm& main, bool add, bool modify, bool remove)
{
    return control<QToolButton>(main, "SpeedButton2")->isEnabled() == add &&
           control<QToolButton>(main, "SpeedButton3")->isEnabled() == modify &&
           control<QToolButton>(main, "SpeedButton4")->isEnabled() == remove;
}

} // namespace

class TestSalesEntry : public QObject
{
    Q_OBJECT

private slots:
    void amountsFollowTheKeys_data();
    void amountsFollowTheKeys();
    void numberBoxesTakeDigitsAndOnePoint_data();
    void numberBoxesTakeDigitsAndOnePoint();
    void pickingADiscountRecomputes();
    void emptyBoxesAreReportedInOrder_data();
    void emptyBoxesAreReportedInOrder();
    void addedLineIsStoredAsShown();
    void catalogueFollowsTheLines();
    void pickingGoodsTakesTheExactNamesPrice();
    void selectThenModifyKeepsOldAmounts();
    void deletingTheOnlyLine();
    void modifyAfterAPrintRunInserts();
    void totalsAndChange();
    void droppingTheFraction_data();
    void droppingTheFraction();
    void loneDecimalPointWaitsForItsDigits();
    void lineWithoutStoredPriceStopsTheSelection();
    void refusedLineLeavesTheCatalogueAlone();
    void numberColumnFollowsTheAddOrder();
};

void TestSalesEntry::amountsFollowTheKeys_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("afterDiscount");
    QTest::newRow("no discount") << "12.5"
                                 << "3"
                                 << "10"
                                 << "37.5"
                                 << "37.5";
    QTest::newRow("discount 8.5") << "12.5"
                                  << "3"
                                  << "8.5"
                                  << "37.5"
                                  << "31.875";
    QTest::newRow("price 0.1 times 3") << "0.1"
                                       << "3"
                                       << "10"
                                       << "0.3"
                                       << "0.3";
}

void TestSalesEntry::amountsFollowTheKeys()
{
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, discount);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    enterLine(main, "苹果", price, quantity, discount);
    QTEST(control<QLineEdit>(main, "Edit11")->text(), "amount");
    QTEST(control<QLineEdit>(main, "Edit12")->text(), "afterDiscount");
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::numberBoxesTakeDigitsAndOnePoint_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    for (const char* box : {"Edit3", "Edit4", "ComboBox2", "ComboBox4"}) {
        QTest::addRow("%s: a second point is dropped", box) << box << "1.2.5"
                                                            << "1.25";
        QTest::addRow("%s: letters are dropped", box) << box << "a1b2c"
                                                      << "12";
        QTest::addRow("%s: signs and blanks are dropped", box) << box << "-3 +4e5"
                                                               << "345";
    }
}

void TestSalesEntry::numberBoxesTakeDigitsAndOnePoint()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    QWidget* widget = shell.main().findChild<QWidget*>(box);
    QVERIFY(widget);
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        retype(line, typed);
    else
        retype(qobject_cast<QComboBox*>(widget), typed);
    const auto textOf = [widget] {
        if (auto* line = qobject_cast<QLineEdit*>(widget))
            return line->text();
        return qobject_cast<QComboBox*>(widget)->currentText();
    };
    QFETCH(QString, shown);
    QCOMPARE(textOf(), shown);
    QTest::keyClick(widget, Qt::Key_Backspace);
    QCOMPARE(textOf(), shown.chopped(1));
}

void TestSalesEntry::pickingADiscountRecomputes()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    enterLine(main, "苹果", "12.5", "3", "10");
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->count(), 100);
    pick(control<QComboBox>(main, "ComboBox2"), "8.5");
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), QStringLiteral("8.5"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("31.875"));
}

void TestSalesEntry::emptyBoxesAreReportedInOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no goods name") << ""
                                   << ""
                                   << ""
                                   << "" << QStringList{"品名不能为空！"};
    QTest::newRow("no price") << "苹果"
                              << ""
                              << "1"
                              << "10" << QStringList{"单价不能为空！"};
    QTest::newRow("no quantity") << "苹果"
                                 << "2"
                                 << ""
                                 << "10" << QStringList{"数量不能为空！"};
    QTest::newRow("nothing but the name") << "苹果"
                                          << ""
                                          << ""
                                          << "" << QStringList{"单价不能为空！", "数量不能为空！", "折扣不能为空！"};
}

void TestSalesEntry::emptyBoxesAreReportedInOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, discount);
    QFETCH(QStringList, messages);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "梨", "3");
    control<QComboBox>(main, "ComboBox4")->setEditText("50");
    control<QLineEdit>(main, "Edit6")->setText("47");
    enterLine(main, name, price, quantity, discount);
    shell.messages.clear();

    click(control<QToolButton>(main, "SpeedButton2"));
    QCOMPARE(shell.messages.texts(), messages);
    for (const ui::RecordedMessage& message : shell.messages.messages()) {
        QCOMPARE(message.style, ui::MessageStyle::Warning);
        QCOMPARE(message.ownerName, QStringLiteral("MainForm"));
    }
    QCOMPARE(saleLineTexts(shell).size(), 1);
    if (!name.isEmpty()) {
        // A refused add still refreshes the totals: received back to the amount due.
        QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("3"));
        QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));
    } else {
        QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("50"));
    }

    // Modify reports the same boxes (a goods name is not needed) and changes nothing.
    if (!name.isEmpty()) {
        clickRow(main, 0);
        control<QLineEdit>(main, "Edit3")->setText(price);
        control<QLineEdit>(main, "Edit4")->setText(quantity);
        control<QComboBox>(main, "ComboBox2")->setEditText(discount);
        shell.messages.clear();
        click(control<QToolButton>(main, "SpeedButton3"));
        QCOMPARE(shell.messages.texts(), messages);
        QCOMPARE(saleLineTexts(shell), QStringList{"梨|3|1|3|3"});
        QVERIFY(buttons(main, false, true, true));
    }
}

void TestSalesEntry::addedLineIsStoredAsShown()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    control<QCheckBox>(main, "CheckBox1")->setChecked(true); // the time stands still
    control<QLineEdit>(main, "Edit2")->setText("2024-01-31 09:30:05");
    enterLine(main, "苹果", "12.5", "3", "8.5");
    click(control<QToolButton>(main, "SpeedButton2"));

    QCOMPARE(
        shell.db.rows(QStringLiteral("SELECT 单号, 时间, 品名, %1, %2, %3, %4, 客户, 电话, 备注 FROM xsxx")
                          .arg(storedNumber("单价"), storedNumber("数量"), storedNumber("金额"), storedNumber("折后"))),
        QStringList{control<QLineEdit>(main, "Edit1")->text() + "|2024-01-31 09:30:05|苹果|12.5|3|37.5|31.875|||"});
    // The entry is reset and the new name offered at once.
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit4")->text(), QStringLiteral("1"));
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), QStringLiteral("10"));
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QString());
    QVERIFY(control<QComboBox>(main, "ComboBox1")->findText("苹果") >= 0);
    QVERIFY(buttons(main, true, false, false));
    QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->view()->model()->rowCount(), 1);
    QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->cellText(0, 1), QStringLiteral("苹果"));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::catalogueFollowsTheLines()
{
    ShellFixture shell([](testsupport::TestDatabase& db) { db.exec("INSERT INTO spxx (品名, 单价) VALUES ('梨', 3)"); });
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "苹果", "12.5");
    QCOMPARE(goods(shell), (QStringList{"梨|3", "苹果|12.5"}));
    addLine(main, "梨", "3.2");
    QCOMPARE(goods(shell), (QStringList{"梨|3.2", "苹果|12.5"}));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->count(), 2);
    // A line changed to a name new to the catalogue brings it into the pick list too.
    clickRow(main, 0);
    control<QComboBox>(main, "ComboBox1")->setEditText(QStringLiteral("青梅"));
    click(control<QToolButton>(main, "SpeedButton3"));
    QCOMPARE(goods(shell), (QStringList{"梨|3.2", "苹果|12.5", "青梅|12.5"}));
    QVERIFY(control<QComboBox>(main, "ComboBox1")->findText(QStringLiteral("青梅")) >= 0);
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::pickingGoodsTakesTheExactNamesPrice()
{
    ShellFixture shell([](testsupport::TestDatabase& db) {
        db.exec("INSERT INTO spxx (品名, 单价) VALUES ('青苹果', 6.5)");
        db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 4.125)");
    });
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    retype(control<QLineEdit>(main, "Edit4"), "2");
    control<QComboBox>(main, "ComboBox4")->setEditText("100");
    pick(control<QComboBox>(main, "ComboBox1"), "苹果");
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QStringLiteral("4.13")); // normalised to two decimals
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("8.26"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("8.26"));
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QString());

    click(control<QToolButton>(main, "SpeedButton2"));
    // The existing 苹果 takes the line's price; 青苹果 is not touched.
    QCOMPARE(goods(shell), (QStringList{"青苹果|6.5", "苹果|4.13"}));
}

void TestSalesEntry::selectThenModifyKeepsOldAmounts()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "苹果", "2", "3");
    addLine(main, "梨", "5");
    QCOMPARE(control<QLineEdit>(main, "Edit4")->text(), QStringLiteral("1"));

    clickRow(main, 0);
    QVERIFY(buttons(main, false, true, true));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("苹果"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("6"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("6"));
    QCOMPARE(control<QLineEdit>(main, "Edit4")->text(), QStringLiteral("1")); // the line's quantity is not loaded

    click(control<QToolButton>(main, "SpeedButton3"));
    QCOMPARE(saleLineTexts(shell), (QStringList{"苹果|2|1|6|6", "梨|5|1|5|5"}));
    QVERIFY(buttons(main, true, false, false));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("11"));
}

void TestSalesEntry::deletingTheOnlyLine()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "苹果", "12.5", "3");
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("37.5"));
    clickRow(main, 0);
    click(control<QToolButton>(main, "SpeedButton4"));

    QVERIFY(saleLineTexts(shell).isEmpty());
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("0"));
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit4")->text(), QStringLiteral("1"));
    QCOMPARE(control<QComboBox>(main, "ComboBox2")->currentText(), QStringLiteral("10"));
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("37.5")); // kept
    QVERIFY(buttons(main, false, false, false));

    // Only a click into the empty grid brings "添加" back.
    QTest::mouseClick(control<ui::DataGrid>(main, "DBGridEh1")->view()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(buttons(main, true, false, false));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::modifyAfterAPrintRunInserts()
{
    printing::PrintCapture printer;
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "苹果", "2", "3");
    clickRow(main, 0);
    QVERIFY(buttons(main, false, true, true));
    const QString firstNumber = control<QLineEdit>(main, "Edit1")->text();

    QTest::mouseClick(control<QToolButton>(main, "SpeedButton6"), Qt::LeftButton);
    QVERIFY2(shell.messages.texts().isEmpty(), qPrintable(shell.messages.texts().join('\n')));
    QCOMPARE(printer.jobs().size(), 1);
    QVERIFY(saleLineTexts(shell).isEmpty());
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("1"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("0"));
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit1")->text().size(), 14);
    QVERIFY(buttons(main, false, true, true)); // the print run leaves the buttons alone

    retype(control<QLineEdit>(main, "Edit4"), "4");
    click(control<QToolButton>(main, "SpeedButton3"));
    QCOMPARE(saleLineTexts(shell), QStringList{"苹果|2|4|8|8"});
    QVERIFY(control<QLineEdit>(main, "Edit1")->text() >= firstNumber);
    QCOMPARE(shell.db.scalar("SELECT 单号 FROM xsxx"), control<QLineEdit>(main, "Edit1")->text());
}

void TestSalesEntry::totalsAndChange()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    addLine(main, "苹果", "12.5", "1");
    addLine(main, "梨", "15.5", "2.5", "5");
    QCOMPARE(saleLineTexts(shell).last(), QStringLiteral("梨|15.5|2.5|38.75|19.375"));
    QCOMPARE(control<QLabel>(main, "Label13")->text(), QStringLiteral("3.5"));
    QCOMPARE(control<QLabel>(main, "Label14")->text(), QStringLiteral("51.25"));
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("31.87"));
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("31.87"));
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));

    pick(control<QComboBox>(main, "ComboBox4"), "100");
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("68.13"));
    retype(control<QComboBox>(main, "ComboBox4"), "20");
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("-11.87"));
    control<QComboBox>(main, "ComboBox4")->setFocus();
    QTest::keyClick(control<QComboBox>(main, "ComboBox4"), Qt::Key_Backspace);
    QTest::keyClick(control<QComboBox>(main, "ComboBox4"), Qt::Key_Backspace);
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QString());

    // Adding a line sets the change back to 0 whatever was typed before.
    retype(control<QComboBox>(main, "ComboBox4"), "50");
    addLine(main, "桃", "0.125");
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("32"));
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QStringLiteral("32"));
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("0.00"));
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::droppingTheFraction_data()
{
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("cut");
    QTest::newRow("31.875") << "12.5"
                            << "8.5"
                            << "31";
    QTest::newRow("99.99") << "99.99"
                           << "10"
                           << "99";
    QTest::newRow("0.99") << "0.99"
                          << "10"
                          << "0";
}

void TestSalesEntry::droppingTheFraction()
{
    QFETCH(QString, price);
    QFETCH(QString, discount);
    QFETCH(QString, cut);
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    const QString quantity = price == "12.5" ? "3" : "1";
    enterLine(main, "苹果", price, quantity, discount);
    const QString amount = control<QLineEdit>(main, "Edit11")->text();
    click(control<QToolButton>(main, "SpeedButton9"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), cut);
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), amount);
    QCOMPARE(control<QLabel>(main, "Label15")->text(), QStringLiteral("0"));
    click(control<QToolButton>(main, "SpeedButton2"));
    QCOMPARE(shell.db.scalar("SELECT " + storedNumber("折后") + " FROM xsxx"), cut);

    // With nothing after discount the button does nothing.
    click(control<QToolButton>(main, "SpeedButton9"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QString());
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestSalesEntry::loneDecimalPointWaitsForItsDigits()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    enterLine(main, "苹果", "2", "3", "10");
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("6"));
    shell.messages.clear();

    // ".5" is typed one key at a time: the point alone is no mistake yet.
    retype(control<QLineEdit>(main, "Edit3"), ".");
    QVERIFY(shell.messages.texts().isEmpty());
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("6"));
    typeInto(control<QLineEdit>(main, "Edit3"), "5");
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("1.5"));
    QCOMPARE(control<QLineEdit>(main, "Edit12")->text(), QStringLiteral("1.5"));
    retype(control<QLineEdit>(main, "Edit4"), ".");
    typeInto(control<QLineEdit>(main, "Edit4"), "5");
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("0.25"));
    QVERIFY(shell.messages.texts().isEmpty());

    // Adding the line with a lone point is where it becomes a bad number.
    retype(control<QLineEdit>(main, "Edit4"), ".");
    QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QVERIFY(shell.messages.texts().first().contains(QStringLiteral("“.”")));
    QVERIFY(saleLineTexts(shell).isEmpty());
    QCOMPARE(goods(shell).filter(QStringLiteral("苹果")).size(), 0);

    // The received box: no change is owed on a lone point, and nothing is said.
    retype(control<QLineEdit>(main, "Edit3"), "2");
    retype(control<QLineEdit>(main, "Edit4"), "1");
    QTest::mouseClick(control<QToolButton>(main, "SpeedButton2"), Qt::LeftButton);
    QCOMPARE(saleLineTexts(shell).size(), 1);
    shell.messages.clear();
    retype(control<QComboBox>(main, "ComboBox4"), ".");
    QVERIFY(shell.messages.texts().isEmpty());
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QString());
    typeInto(control<QComboBox>(main, "ComboBox4"), "5");
    QCOMPARE(control<QLineEdit>(main, "Edit6")->text(), QStringLiteral("-1.50"));
}

void TestSalesEntry::lineWithoutStoredPriceStopsTheSelection()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    shell.db.exec("INSERT INTO xsxx (品名, 数量, 金额, 折后) VALUES ('散装糖', 1, 5, 5)");
    main.ADOQuery2.requery(main.ADOQuery2.statement());
    control<QLineEdit>(main, "Edit11")->setText("9");
    clickRow(main, 0);
    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("散装糖"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QString());
    QCOMPARE(control<QLineEdit>(main, "Edit11")->text(), QStringLiteral("9"));
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM xsxx"), QStringLiteral("1"));
}

void TestSalesEntry::refusedLineLeavesTheCatalogueAlone()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    const QString tooLong(51, QLatin1Char('9'));
    control<QLineEdit>(main, "Edit1")->setText(tooLong); // an administrator may type the receipt number
    enterLine(main, "苹果", "2", "1", "10");
    click(control<QToolButton>(main, "SpeedButton2"));

    QCOMPARE(shell.messages.messages().size(), 1);
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QVERIFY(saleLineTexts(shell).isEmpty());
    QVERIFY(goods(shell).isEmpty());
    // The cashier's entry is still there to correct.
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QStringLiteral("苹果"));
    QCOMPARE(control<QLineEdit>(main, "Edit3")->text(), QStringLiteral("2"));

    control<QLineEdit>(main, "Edit1")->setText("20240131093005");
    shell.messages.clear();
    click(control<QToolButton>(main, "SpeedButton2"));
    QVERIFY(shell.messages.texts().isEmpty());
    QCOMPARE(saleLineTexts(shell), QStringList{"苹果|2|1|2|2"});
    QCOMPARE(goods(shell), QStringList{"苹果|2"});
}

void TestSalesEntry::numberColumnFollowsTheAddOrder()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->view()->model()->rowCount(), 0);
    const QStringList names = {"苹果", "梨", "桃"};
    for (const QString& name : names)
        addLine(main, name, "1");
    for (int row = 0; row < names.size(); ++row) {
        QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->cellText(row, 0), QString::number(row + 1));
        QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->cellText(row, 1), names.at(row));
    }
}

QTEST_MAIN(TestSalesEntry)
#include "test_sales_entry.moc"
