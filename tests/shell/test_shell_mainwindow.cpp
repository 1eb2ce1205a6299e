// The main window frame: its screen, the switches and print settings kept in table id, the
// clock, the receipt number, the pick lists, the two keys and what other windows announce.

#include "settings/XtUnit.h"
#include "shell/Forms.h"
#include "shell/MainUnit.h"
#include "support/Controls.h"
#include "support/ShellFixture.h"
#include "ui/BoxLooks.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

using testsupport::control;
using testsupport::ShellFixture;
using testsupport::TestDatabase;
using testsupport::typeInto;

namespace {

std::function<void(TestDatabase&)> settingsRow(const QString& customer, const QString& phone)
{
    return [customer, phone](TestDatabase& db) {
        db.exec(QStringLiteral("UPDATE id SET 客户 = '%1', 电话 = '%2'").arg(customer, phone));
    };
}

QString storedFlags(const ShellFixture& shell)
{
    return shell.db.rows("SELECT 客户, 电话 FROM id").join(';');
}

bool isOn(QLineEdit* box)
{
    return box->isEnabled() && box->palette().color(QPalette::Base) == ui::windowColour();
}

bool isOff(QLineEdit* box)
{
    return !box->isEnabled() && box->palette().color(QPalette::Base) == ui::buttonFaceColour();
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class TestShellMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void screenAsDesigned();
    void switchesAtCreation_data();
    void switchesAtCreation();
    void switchesKeepThreeStates();
    void missingSettingsRowIsInserted();
    void widthAndCopiesAreWrittenThrough();
    void stoppedClockKeepsTypedTime();
    void receiptNumberIsTheTimeOfShowing();
    void pickListsReloadEmpty();
    void newsFromTheSettingsWindow();
    void settingsButtonOpensTheUsersTab();
    void printKeyOnlyInTheMainWindow();
    void helpKeyFromEveryWindow();
};

void TestShellMainWindow::screenAsDesigned()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QCOMPARE(main.caption(), QStringLiteral("Quorvel销售小票打印软件 V18.0(标准版)"));
    QCOMPARE(main.clientArea()->size(), QSize(692, 677));
    QCOMPARE(main.titleBar()->buttons(), ui::ControlBox | ui::Minimise | ui::Close);
    QCOMPARE(control<ui::DataGrid>(main, "DBGridEh1")->size(), QSize(657, 216));

    QHeaderView* titles = control<ui::DataGrid>(main, "DBGridEh1")->view()->horizontalHeader();
    QStringList columns;
    for (int i = 0; i < titles->count(); ++i)
        columns << control<ui::DataGrid>(main, "DBGridEh1")->view()->model()->headerData(i, Qt::Horizontal).toString();
    QCOMPARE(columns, (QStringList{"序号", "品名", "单价", "数量", "金额", "折后"}));
    // The given widths stretch to fill the grid, the last column reaching its right edge.
    int filled = 0;
    for (int i = 0; i < titles->count(); ++i)
        filled += titles->sectionSize(i);
    QCOMPARE(filled, control<ui::DataGrid>(main, "DBGridEh1")->view()->viewport()->width());
    QVERIFY(titles->sectionSize(1) > titles->sectionSize(2) * 3);

    // The totals stand under their columns.
    const auto columnLeft = [&](int column) {
        QWidget* viewport = control<ui::DataGrid>(main, "DBGridEh1")->view()->viewport();
        return viewport->mapTo(main.clientArea(), QPoint(titles->sectionViewportPosition(column), 0)).x();
    };
    QCOMPARE(control<QLabel>(main, "Label13")->mapTo(main.clientArea(), QPoint(0, 0)).x(), columnLeft(3));
    QCOMPARE(control<QLabel>(main, "Label14")->mapTo(main.clientArea(), QPoint(0, 0)).x(), columnLeft(4));
    QCOMPARE(control<QLabel>(main, "Label15")->mapTo(main.clientArea(), QPoint(0, 0)).x(), columnLeft(5));

    QCOMPARE(main.findChild<QLabel*>("StatusPanel0")->width(), 260);
    QCOMPARE(main.findChild<QLabel*>("StatusPanel1")->width(), 200);
    QCOMPARE(control<QStatusBar>(main, "StatusBar1")->geometry().bottom(), 676);

    QVERIFY(control<QToolButton>(main, "SpeedButton2")->isEnabled());
    QVERIFY(!control<QToolButton>(main, "SpeedButton3")->isEnabled());
    QVERIFY(!control<QToolButton>(main, "SpeedButton4")->isEnabled());
    // The received box starts empty although its list has amounts.
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->currentText(), QString());
    QCOMPARE(control<QComboBox>(main, "ComboBox4")->count(), 7);
    QCOMPARE(control<QLineEdit>(main, "Edit5")->text(), QStringLiteral("Quorvel便利店"));
    QCOMPARE(control<QPlainTextEdit>(main, "Memo1")->toPlainText(), QStringLiteral("谢谢惠顾，欢迎下次光临！"));
    // Esc in the middle of a sale must not end the program.
    QTest::keyClick(control<QLineEdit>(main, "Edit3"), Qt::Key_Escape);
    QVERIFY(main.isVisible());
}

void TestShellMainWindow::switchesAtCreation_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("phone");
    QTest::addColumn<bool>("customerTicked");
    QTest::addColumn<bool>("phoneTicked");
    QTest::addColumn<QString>("storedAfter");
    QTest::newRow("both") << "1"
                          << "1" << true << true << "1|1";
    QTest::newRow("customer only") << "1"
                                   << "0" << true << false << "1|0";
    QTest::newRow("phone without customer is cleared") << "0"
                                                       << "1" << false << false << "0|0";
    QTest::newRow("neither") << "0"
                             << "0" << false << false << "0|0";
    QTest::newRow("only exactly 1 counts") << "yes"
                                           << "1 " << false << false << "0|0";
}

void TestShellMainWindow::switchesAtCreation()
{
    QFETCH(QString, customer);
    QFETCH(QString, phone);
    QFETCH(bool, customerTicked);
    QFETCH(bool, phoneTicked);
    ShellFixture shell(settingsRow(customer, phone));
    TMainForm& main = shell.main();
    QCOMPARE(control<QCheckBox>(main, "CheckBox2")->isChecked(), customerTicked);
    QCOMPARE(control<QCheckBox>(main, "CheckBox3")->isChecked(), phoneTicked);
    QVERIFY(customerTicked ? isOn(control<QLineEdit>(main, "Edit9")) : isOff(control<QLineEdit>(main, "Edit9")));
    QVERIFY(phoneTicked ? isOn(control<QLineEdit>(main, "Edit10")) : isOff(control<QLineEdit>(main, "Edit10")));
    QTEST(storedFlags(shell), "storedAfter");
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellMainWindow::switchesKeepThreeStates()
{
    ShellFixture shell(settingsRow("0", "0"));
    TMainForm& main = shell.main();
    QTest::mouseClick(control<QCheckBox>(main, "CheckBox3"), Qt::LeftButton);
    QVERIFY(control<QCheckBox>(main, "CheckBox2")->isChecked() && control<QCheckBox>(main, "CheckBox3")->isChecked());
    QVERIFY(isOn(control<QLineEdit>(main, "Edit9")) && isOn(control<QLineEdit>(main, "Edit10")));
    QCOMPARE(storedFlags(shell), QStringLiteral("1|1"));

    QTest::mouseClick(control<QCheckBox>(main, "CheckBox3"), Qt::LeftButton);
    QVERIFY(control<QCheckBox>(main, "CheckBox2")->isChecked() && !control<QCheckBox>(main, "CheckBox3")->isChecked());
    QVERIFY(isOn(control<QLineEdit>(main, "Edit9")) && isOff(control<QLineEdit>(main, "Edit10")));
    QCOMPARE(storedFlags(shell), QStringLiteral("1|0"));

    QTest::mouseClick(control<QCheckBox>(main, "CheckBox3"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(main, "CheckBox2"), Qt::LeftButton);
    QVERIFY(!control<QCheckBox>(main, "CheckBox2")->isChecked() && !control<QCheckBox>(main, "CheckBox3")->isChecked());
    QVERIFY(isOff(control<QLineEdit>(main, "Edit9")) && isOff(control<QLineEdit>(main, "Edit10")));
    QCOMPARE(storedFlags(shell), QStringLiteral("0|0"));

    QTest::mouseClick(control<QCheckBox>(main, "CheckBox2"), Qt::LeftButton);
    QVERIFY(control<QCheckBox>(main, "CheckBox2")->isChecked() && !control<QCheckBox>(main, "CheckBox3")->isChecked());
    QCOMPARE(storedFlags(shell), QStringLiteral("1|0"));
    QCOMPARE(shell.db.scalar("SELECT count(*) FROM id"), QStringLiteral("1"));
}

void TestShellMainWindow::missingSettingsRowIsInserted()
{
    ShellFixture shell([](TestDatabase& db) { db.exec("DELETE FROM id"); });
    TMainForm& main = shell.main();
    QVERIFY(!control<QCheckBox>(main, "CheckBox2")->isChecked() && !control<QCheckBox>(main, "CheckBox3")->isChecked());
    QCOMPARE(shell.db.rows("SELECT pos, print, 客户, 电话 FROM id"), QStringList{"||0|0"});
    shell.forms->showMainWindow();
    QCOMPARE(control<QComboBox>(main, "ComboBox5")->currentText(), QString());
    QCOMPARE(control<QComboBox>(main, "ComboBox3")->currentText(), QString());
    QVERIFY(shell.messages.texts().isEmpty());
}

void TestShellMainWindow::widthAndCopiesAreWrittenThrough()
{
    ShellFixture shell;
    TMainForm& main = shell.main();
    shell.forms->showMainWindow();
    QCOMPARE(control<QComboBox>(main, "ComboBox5")->currentText(), QStringLiteral("58"));
    QCOMPARE(control<QComboBox>(main, "ComboBox3")->currentText(), QStringLiteral("1"));

    control<QComboBox>(main, "ComboBox5")->clearEditText();
    typeInto(control<QComboBox>(main, "ComboBox5"), "7");
    QCOMPARE(shell.db.scalar("SELECT pos FROM id"), QStringLiteral("7"));
    typeInto(control<QComboBox>(main, "ComboBox5"), "6");
    QCOMPARE(shell.db.scalar("SELECT pos FROM id"), QStringLiteral("76"));

    control<QComboBox>(main, "ComboBox3")->setFocus();
    QTest::keyClick(control<QComboBox>(main, "ComboBox3"), Qt::Key_Down); // picks "2"
    QCOMPARE(control<QComboBox>(main, "ComboBox3")->currentText(), QStringLiteral("2"));
    QCOMPARE(shell.db.scalar("SELECT print FROM id"), QStringLiteral("2"));

    // A text too long for the column is refused and the stored value stays.
    typeInto(control<QComboBox>(main, "ComboBox5"), QString(60, QLatin1Char('8')));
    QVERIFY(!shell.messages.messages().isEmpty());
    QVERIFY(shell.messages.messages().first().isErrorReport);
    QCOMPARE(shell.db.scalar("SELECT length(pos) FROM id"), QStringLiteral("50"));
}

void TestShellMainWindow::stoppedClockKeepsTypedTime()
{
    ShellFixture shell;
    TMainForm& main = shell.main();
    QVERIFY(main.Timer1.isActive());
    QCOMPARE(main.Timer1.interval(), 1000);
    QVERIFY(QDateTime::fromString(control<QLineEdit>(main, "Edit2")->text(), "yyyy-MM-dd HH:mm:ss").isValid());
    QCOMPARE(control<QLineEdit>(main, "Edit2")->palette().color(QPalette::Base), ui::buttonFaceColour());

    QTest::mouseClick(control<QCheckBox>(main, "CheckBox1"), Qt::LeftButton);
    QVERIFY(!main.Timer1.isActive());
    QCOMPARE(control<QLineEdit>(main, "Edit2")->palette().color(QPalette::Base), ui::windowColour());
    control<QLineEdit>(main, "Edit2")->clear();
    typeInto(control<QLineEdit>(main, "Edit2"), "2020-02-29 23:59:59");
    QTest::qWait(1300);
    QCOMPARE(control<QLineEdit>(main, "Edit2")->text(), QStringLiteral("2020-02-29 23:59:59"));

    QTest::mouseClick(control<QCheckBox>(main, "CheckBox1"), Qt::LeftButton);
    QVERIFY(main.Timer1.isActive());
    QCOMPARE(control<QLineEdit>(main, "Edit2")->palette().color(QPalette::Base), ui::buttonFaceColour());
    QTRY_VERIFY_WITH_TIMEOUT(control<QLineEdit>(main, "Edit2")->text() != QStringLiteral("2020-02-29 23:59:59"), 3000);
    const QDateTime shown = QDateTime::fromString(control<QLineEdit>(main, "Edit2")->text(), "yyyy-MM-dd HH:mm:ss");
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) <= 2);
}

void TestShellMainWindow::receiptNumberIsTheTimeOfShowing()
{
    ShellFixture shell;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    shell.forms->showMainWindow();
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QString number = control<QLineEdit>(shell.main(), "Edit1")->text();
    QCOMPARE(number.size(), 14);
    QVERIFY(std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); }));
    const QDateTime shown = QDateTime::fromString(number, "yyyyMMddHHmmss");
    QVERIFY(shown.isValid());
    QVERIFY(shown >= before && shown <= after);
    QCOMPARE(TMainForm::newReceiptNumber(QString()).size(), 14);
}

void TestShellMainWindow::pickListsReloadEmpty()
{
    ShellFixture shell([](TestDatabase& db) {
        db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 1), ('苹果', 2), ('梨', 3), (NULL, 4)");
        db.exec("INSERT INTO username VALUES ('lin', '', '普通用户'), ('lin', '', '普通用户')");
    });
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    QStringList goods = itemsOf(control<QComboBox>(main, "ComboBox1"));
    goods.sort();
    QCOMPARE(goods, (QStringList{"", "梨", "苹果"}));
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QString());
    QStringList cashiers = itemsOf(control<QComboBox>(main, "ComboBox6"));
    cashiers.sort();
    QCOMPARE(cashiers, (QStringList{"admin", "lin"}));
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("admin"));

    control<QComboBox>(main, "ComboBox1")->setEditText("桃");
    main.reloadGoodsPickList();
    QCOMPARE(control<QComboBox>(main, "ComboBox1")->currentText(), QString());
    // The logged-in cashier stays; a name that is no user's does not.
    main.reloadCashierPickList();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("admin"));
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->count(), 2);
    control<QComboBox>(main, "ComboBox6")->setEditText("Admin");
    main.reloadCashierPickList();
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QString());
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->count(), 2);
}

void TestShellMainWindow::newsFromTheSettingsWindow()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    TXtForm& settings = *shell.forms->XtForm;
    shell.db.exec("INSERT INTO spxx (品名, 单价) VALUES ('新货', 9)");
    shell.db.exec("INSERT INTO username VALUES ('新人', '', '普通用户')");

    emit settings.goodsChanged();
    QVERIFY(control<QComboBox>(main, "ComboBox1")->findText("新货") >= 0);
    emit settings.usersChanged();
    QVERIFY(control<QComboBox>(main, "ComboBox6")->findText("新人") >= 0);
    QCOMPARE(control<QComboBox>(main, "ComboBox6")->currentText(), QStringLiteral("admin"));
    emit settings.printContentSaved("新店名", "第一行\n第二行");
    QCOMPARE(control<QLineEdit>(main, "Edit5")->text(), QStringLiteral("新店名"));
    QCOMPARE(control<QPlainTextEdit>(main, "Memo1")->toPlainText(), QStringLiteral("第一行\n第二行"));
}

void TestShellMainWindow::settingsButtonOpensTheUsersTab()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    TXtForm& settings = *shell.forms->XtForm;
    QTabWidget* tabs = control<QTabWidget>(settings, "PageControl1");
    tabs->setCurrentIndex(tabs->count() - 1);
    shell.modals->clear();
    QTest::mouseClick(control<QToolButton>(main, "SpeedButton1"), Qt::LeftButton);
    QCOMPARE(shell.modals->dialogs().size(), 1);
    QCOMPARE(shell.modals->dialogs().first().data(), &settings);
    QCOMPARE(control<QTabWidget>(settings, "PageControl1")->currentWidget(), control<QWidget>(settings, "TabSheet1"));
}

void TestShellMainWindow::printKeyOnlyInTheMainWindow()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(control<QComboBox>(main, "ComboBox1"), Qt::Key_F5);
    QCOMPARE(shell.messages.texts(), QStringList{"打印信息为空！"});
    QCOMPARE(shell.messages.messages().first().style, ui::MessageStyle::Warning);

    // With another window of the program active, F5 is not the print key.
    shell.messages.clear();
    TXtForm& settings = *shell.forms->XtForm;
    settings.show();
    settings.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    QTest::keyClick(&settings, Qt::Key_F5);
    QVERIFY(shell.messages.texts().isEmpty());
    settings.hide();
}

void TestShellMainWindow::helpKeyFromEveryWindow()
{
    ShellFixture shell;
    QVERIFY(shell.logIn());
    TMainForm& main = shell.main();
    const QString help = QDir::current().absoluteFilePath("使用帮助.chm");
    QTest::keyClick(control<QLineEdit>(main, "Edit3"), Qt::Key_F1);
    QCOMPARE(shell.opened.opened(), QStringList{help});

    TXtForm& settings = *shell.forms->XtForm;
    settings.show();
    QTest::keyClick(&settings, Qt::Key_F1);
    QCOMPARE(shell.opened.opened(), (QStringList{help, help}));
    settings.hide();
    // F1 with a modifier is some other key.
    QTest::keyClick(control<QLineEdit>(main, "Edit3"), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(shell.opened.opened().size(), 2);
    // No help file in the folder: the viewer says so, not this program.
    QVERIFY(shell.messages.texts().isEmpty());

    // A desktop with nothing that opens the help: F1 says what to install.
    shell.opened.setViewerPresent(false);
    QTest::keyClick(control<QLineEdit>(main, "Edit3"), Qt::Key_F1);
    QCOMPARE(shell.opened.opened().size(), 3);
    QCOMPARE(shell.messages.texts().size(), 1);
    QVERIFY(shell.messages.texts().first().contains("sudo apt install xchm xdg-utils"));
    QCOMPARE(shell.messages.messages().first().style, ui::MessageStyle::Warning);
}

QTEST_MAIN(TestShellMainWindow)
#include "test_shell_mainwindow.moc"
