#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QTableView>
#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;
using ui::MessageStyle;

Q_DECLARE_METATYPE(MessageStyle)

namespace {

const QString ConfirmUserDeletion = QStringLiteral("确定要删除选中的用户？");
const QString AdminNotDeletable = QStringLiteral("管理员不能被删除！");
const QString GoodsEmpty = QStringLiteral("商品信息为空！");
const QString ConfirmGoodsDeletion = QStringLiteral("确定要删除选中的商品？");
const QString NoRightToSave = QStringLiteral("您没有权限设置打印内容！");
const QString Saved = QStringLiteral("设置打印内容保存成功！");

QStringList gridColumn(const ui::DataGrid* grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << grid->cellText(row, column);
    return texts;
}

void doubleClickRow(ui::DataGrid* grid, int row)
{
    QTableView* view = grid->view();
    const QPoint at = view->visualRect(grid->model()->index(row, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

private slots:
    void printContentBoxesFilledAtCreation();
    void saveWritesMissingPrintContentRow();
    void opensOnUsersTabEveryTime();
    void closingReloadsGoodsThenCashiers();
    void deleteUser_data();
    void deleteUser();
    void ordinaryModeRefusesWhatItMust();
    void dataTabOnlyForAdministrators();
    void modifyUserOpenerPicksRight_data();
    void modifyUserOpenerPicksRight();
    void modifyGoodsShowsNormalisedPrice_data();
    void modifyGoodsShowsNormalisedPrice();
    void emptyGoodsList_data();
    void emptyGoodsList();
    void deleteGoods_data();
    void deleteGoods();
    void savePrintContent_data();
    void savePrintContent();
    void tooLongPrintContentIsRefused_data();
    void tooLongPrintContentIsRefused();
    void saveWorksAfterRequery();
    void refreshShowsRowsOthersWrote();
};

void TestSettingsWindow::printContentBoxesFilledAtCreation()
{
    TestDatabase db;
    db.exec("UPDATE dynr SET 店名 = '小王''s 杂货', 备注 = '第一行' || char(10) || '第二行'");
    SettingsForms forms;
    QCOMPARE(control<QLineEdit>(*forms.xt, "Edit1")->text(), QStringLiteral("小王's 杂货"));
    QCOMPARE(control<QPlainTextEdit>(*forms.xt, "Memo1")->toPlainText(), QStringLiteral("第一行\n第二行"));
}

void TestSettingsWindow::saveWritesMissingPrintContentRow()
{
    TestDatabase db;
    db.exec("DELETE FROM dynr");
    SettingsForms forms;
    QVERIFY(control<QLineEdit>(*forms.xt, "Edit1")->text().isEmpty());
    ui::MessageRecorder messages;
    control<QLineEdit>(*forms.xt, "Edit1")->setText("新店");
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();
    QCOMPARE(messages.texts(), QStringList({Saved, Saved}));
    QCOMPARE(db.rows("SELECT 店名, 备注 FROM dynr"), QStringList({"新店|"}));
}

void TestSettingsWindow::opensOnUsersTabEveryTime()
{
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    for (int tab : {2, 1, 0}) {
        control<QTabWidget>(*forms.xt, "PageControl1")->setCurrentIndex(tab);
        forms.xt->OpenOnUsersTab();
        QCOMPARE(control<QTabWidget>(*forms.xt, "PageControl1")->currentWidget(),
                 control<QWidget>(*forms.xt, "TabSheet1"));
        QVERIFY(forms.xt->isVisible());
        forms.xt->close();
    }
    QCOMPARE(modal.shown(), QStringList({"TXtForm", "TXtForm", "TXtForm"}));
}

void TestSettingsWindow::closingReloadsGoodsThenCashiers()
{
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    forms.xt->OpenOnUsersTab();
    QVERIFY(forms.signalLog.isEmpty());
    forms.xt->close();
    QCOMPARE(forms.signalLog, QStringList({"XtForm.goodsChanged", "XtForm.usersChanged"}));

    // Closed by the title bar's button, too; the window is only hidden and opens again.
    forms.signalLog.clear();
    forms.xt->OpenOnUsersTab();
    forms.xt->reject();
    QCOMPARE(forms.signalLog, QStringList({"XtForm.goodsChanged", "XtForm.usersChanged"}));
    QCOMPARE(forms.xt->ADOQuery1.recordCount(), 1);
}

void TestSettingsWindow::deleteUser_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("expectedMessages");
    QTest::addColumn<QList<MessageStyle>>("expectedStyles");
    QTest::addColumn<bool>("deleted");

    const QList<MessageStyle> askOnly = {MessageStyle::WarningOkCancel};
    QTest::newRow("admin: asks, then refuses")
        << "admin" << true << QStringList({ConfirmUserDeletion, AdminNotDeletable})
        << QList<MessageStyle>({MessageStyle::WarningOkCancel, MessageStyle::Error}) << false;
    QTest::newRow("admin, cancelled") << "admin" << false << QStringList({ConfirmUserDeletion}) << askOnly << false;
    QTest::newRow("Admin is not protected") << "Admin" << true << QStringList({ConfirmUserDeletion}) << askOnly << true;
    QTest::newRow("ADMIN is not protected") << "ADMIN" << true << QStringList({ConfirmUserDeletion}) << askOnly << true;
    QTest::newRow("admin with a blank is not protected")
        << "admin " << true << QStringList({ConfirmUserDeletion}) << askOnly << true;
    QTest::newRow("logged-in cashier") << "收银员1" << true << QStringList({ConfirmUserDeletion}) << askOnly << true;
    QTest::newRow("cancelled") << "收银员1" << false << QStringList({ConfirmUserDeletion}) << askOnly << false;
}

void TestSettingsWindow::deleteUser()
{
    QFETCH(QString, name);
    QFETCH(bool, confirm);
    QFETCH(QStringList, expectedMessages);
    QFETCH(QList<MessageStyle>, expectedStyles);
    QFETCH(bool, deleted);

    TestDatabase db;
    db.exec("INSERT INTO username VALUES ('Admin', '', '普通用户'), ('ADMIN', '', '普通用户'), "
            "('admin ', '', '管理员'), ('收银员1', '', '管理员'), ('收银员2', '', '普通用户')");
    SettingsForms forms;
    QVERIFY(forms.selectUser(name));
    const int before = forms.xt->ADOQuery1.recordNumber();

    ui::MessageRecorder messages;
    messages.setNextAnswers({confirm});
    control<QPushButton>(*forms.xt, "SpeedButton3")->click();

    QCOMPARE(messages.texts(), expectedMessages);
    QCOMPARE(testsupport::messageStyles(messages), expectedStyles);
    const QString stored = db.scalar(QStringLiteral("SELECT count(*) FROM username WHERE 用户名 = '%1'").arg(name));
    QCOMPARE(stored, deleted ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(db.scalar("SELECT count(*) FROM username").toInt(), deleted ? 5 : 6);
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh1")->model()->rowCount(), deleted ? 5 : 6);
    if (deleted) // the grid stands on the row that followed
        QCOMPARE(forms.xt->ADOQuery1.recordNumber(), before);
}

void TestSettingsWindow::ordinaryModeRefusesWhatItMust()
{
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 5)");
    SettingsForms forms;
    forms.loginAsOrdinaryUser();
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;

    control<QPushButton>(*forms.xt, "SpeedButton1")->click();
    control<QPushButton>(*forms.xt, "SpeedButton3")->click();
    QVERIFY(modal.shown().isEmpty());
    QVERIFY(messages.texts().isEmpty());

    control<QPushButton>(*forms.xt, "SpeedButton2")->click();
    control<QPushButton>(*forms.xt, "SpeedButton5")->click();
    QCOMPARE(modal.shown(), QStringList({"TYhxgForm", "TSpxgForm"}));
    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    QVERIFY(forms.sptj->isVisible());

    const QStringList before = db.rows("SELECT 店名, 备注 FROM dynr");
    control<QLineEdit>(*forms.xt, "Edit1")->setText(QStringLiteral("改过的店名"));
    control<QPlainTextEdit>(*forms.xt, "Memo1")->setPlainText(QStringLiteral("改过的备注"));
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();
    QCOMPARE(messages.texts(), QStringList({NoRightToSave}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Plain}));
    QCOMPARE(db.rows("SELECT 店名, 备注 FROM dynr"), before);
    QVERIFY(forms.signalLog.isEmpty());
}

void TestSettingsWindow::dataTabOnlyForAdministrators()
{
    TestDatabase db;
    SettingsForms forms;
    QTabWidget* tabs = control<QTabWidget>(*forms.xt, "PageControl1");
    const int data = tabs->indexOf(control<QWidget>(*forms.xt, "TabSheet4"));
    QCOMPARE(data, 3);
    QCOMPARE(tabs->tabText(data), QStringLiteral("数据"));
    forms.loginAsOrdinaryUser();
    QVERIFY(!tabs->isTabVisible(data));
    forms.xt->applyRights(true);
    QVERIFY(tabs->isTabVisible(data));
}

void TestSettingsWindow::modifyUserOpenerPicksRight_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("index");
    QTest::newRow("管理员") << "管理员" << 0;
    QTest::newRow("普通用户") << "普通用户" << 1;
    QTest::newRow("other text") << "店长" << 1;
    QTest::newRow("管理员 with a blank") << "管理员 " << 1;
    QTest::newRow("empty") << "" << 1;
}

void TestSettingsWindow::modifyUserOpenerPicksRight()
{
    QFETCH(QString, right);
    QFETCH(int, index);
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO username VALUES ('小李', '', '%1')").arg(right));
    SettingsForms forms;
    control<QComboBox>(*forms.yhxg, "ComboBox1")->setCurrentIndex(1 - index);
    control<QLineEdit>(*forms.yhxg, "Edit2")->setText("left over");
    control<QLineEdit>(*forms.yhxg, "Edit3")->setText("left over");
    QVERIFY(forms.selectUser("小李"));
    ui::ModalRecorder modal;
    doubleClickRow(control<ui::DataGrid>(*forms.xt, "DBGridEh1"), forms.xt->ADOQuery1.recordNumber() - 1);

    QCOMPARE(modal.shown(), QStringList({"TYhxgForm"}));
    QCOMPARE(control<QLineEdit>(*forms.yhxg, "Edit1")->text(), QStringLiteral("小李"));
    QCOMPARE(control<QLineEdit>(*forms.yhxg, "Edit4")->text(), right);
    QCOMPARE(control<QComboBox>(*forms.yhxg, "ComboBox1")->currentIndex(), index);
    QVERIFY(control<QLineEdit>(*forms.yhxg, "Edit2")->text().isEmpty());
    QVERIFY(control<QLineEdit>(*forms.yhxg, "Edit3")->text().isEmpty());
}

void TestSettingsWindow::modifyGoodsShowsNormalisedPrice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("savedUnchanged");
    QTest::newRow("12.50") << "12.50"
                           << "12.5"
                           << "12.5";
    QTest::newRow("3.456") << "3.456"
                           << "3.46"
                           << "3.46";
    QTest::newRow("8") << "8"
                       << "8"
                       << "8.0";
    QTest::newRow("half a cent rounds up") << "0.125"
                                           << "0.13"
                                           << "0.13";
    QTest::newRow("2.999") << "2.999"
                           << "3"
                           << "3.0";
    // Stored without a price: it opens with an empty box rather than failing.
    QTest::newRow("no price") << "NULL"
                              << ""
                              << "NULL";
}

void TestSettingsWindow::modifyGoodsShowsNormalisedPrice()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, savedUnchanged);
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO spxx (品名, 单价) VALUES ('别的', 1), ('苹果', %1)").arg(stored));
    SettingsForms forms;
    forms.xt->show();
    control<QTabWidget>(*forms.xt, "PageControl1")->setCurrentWidget(control<QWidget>(*forms.xt, "TabSheet2"));
    QVERIFY(QTest::qWaitForWindowExposed(forms.xt.get()));
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;

    doubleClickRow(control<ui::DataGrid>(*forms.xt, "DBGridEh2"), 1);
    QCOMPARE(modal.shown(), QStringList({"TSpxgForm"}));
    QCOMPARE(control<QLineEdit>(*forms.spxg, "Edit1")->text(), QStringLiteral("苹果"));
    QCOMPARE(control<QLineEdit>(*forms.spxg, "Edit2")->text(), shown);

    control<QPushButton>(*forms.spxg, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({"修改商品信息成功！"}));
    QCOMPARE(db.rows("SELECT 品名, quote(单价) FROM spxx ORDER BY rowid"),
             QStringList({"别的|1.0", QStringLiteral("苹果|") + savedUnchanged}));
    QVERIFY(!forms.spxg->isVisible());
    QCOMPARE(forms.signalLog, QStringList({"SpxgForm.goodsChanged"}));
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(1, 2),
             savedUnchanged == "NULL" ? QString() : shown);
}

void TestSettingsWindow::emptyGoodsList_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<MessageStyle>("style");
    QTest::newRow("modify") << "SpeedButton5" << true << MessageStyle::Plain;
    QTest::newRow("delete, OK") << "SpeedButton6" << true << MessageStyle::WarningOkCancel;
    QTest::newRow("delete, Cancel") << "SpeedButton6" << false << MessageStyle::WarningOkCancel;
}

void TestSettingsWindow::emptyGoodsList()
{
    QFETCH(QString, button);
    QFETCH(bool, answer);
    QFETCH(MessageStyle, style);
    TestDatabase db;
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    messages.setNextAnswers({answer, answer});
    forms.xt->findChild<QPushButton*>(button)->click();
    QCOMPARE(messages.texts(), QStringList({GoodsEmpty}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({style}));
    QVERIFY(modal.shown().isEmpty());
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QStringLiteral("0"));
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->model()->rowCount(), 0);
}

void TestSettingsWindow::deleteGoods_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("OK") << true << QStringList({"苹果", "梨"});
    QTest::newRow("Cancel") << false << QStringList({"苹果", "香蕉", "梨"});
}

void TestSettingsWindow::deleteGoods()
{
    QFETCH(bool, confirm);
    QFETCH(QStringList, left);
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 5), ('香蕉', 3), ('梨', 4)");
    SettingsForms forms;
    QVERIFY(forms.selectGoods("香蕉"));
    ui::MessageRecorder messages;
    messages.setNextAnswers({confirm});
    control<QPushButton>(*forms.xt, "SpeedButton6")->click();
    QCOMPARE(messages.texts(), QStringList({ConfirmGoodsDeletion}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::WarningOkCancel}));
    QCOMPARE(db.rows("SELECT 品名 FROM spxx ORDER BY rowid"), left);
    QCOMPARE(gridColumn(control<ui::DataGrid>(*forms.xt, "DBGridEh2"), 1), left);
}

void TestSettingsWindow::savePrintContent_data()
{
    QTest::addColumn<QString>("shopName");
    QTest::addColumn<QString>("remark");
    QTest::newRow("remark over three lines") << "Quorvel便利店"
                                             << "谢谢惠顾\n欢迎下次光临\n电话：12345";
    QTest::newRow("longer than the hint's 16") << "一二三四五六七八九十一二三四五六七八"
                                               << "";
    QTest::newRow("quotes and wildcards") << "O'Neil \"店\" 100%_"
                                          << "'; DROP TABLE dynr; --";
    QTest::newRow("characters beyond the BMP") << "𠀀𩸽店😀"
                                               << "🧾\n𠮷";
    QTest::newRow("blanks only") << "   "
                                 << "  \n  ";
    QTest::newRow("no-break space and tab") << QStringLiteral("店\u00A0名\t") << QStringLiteral("a\u00A0b");
    QTest::newRow("both empty") << ""
                                << "";
    QTest::newRow("255 characters each") << QString(255, QChar(0x5E97)) << QString(255, QLatin1Char('x'));
}

void TestSettingsWindow::savePrintContent()
{
    QFETCH(QString, shopName);
    QFETCH(QString, remark);
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    control<QLineEdit>(*forms.xt, "Edit1")->setText(shopName);
    control<QPlainTextEdit>(*forms.xt, "Memo1")->setPlainText(remark);
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();

    QCOMPARE(messages.texts(), QStringList({Saved}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Warning}));
    QCOMPARE(db.rows("SELECT 店名 || '|' || 备注 FROM dynr"), QStringList({shopName + '|' + remark}));
    QCOMPARE(db.scalar("SELECT count(*) FROM dynr"), QStringLiteral("1"));
    QCOMPARE(forms.signalLog, QStringList({QStringLiteral("XtForm.printContentSaved:") + shopName + '|' + remark}));
}

void TestSettingsWindow::tooLongPrintContentIsRefused_data()
{
    QTest::addColumn<QString>("shopName");
    QTest::addColumn<QString>("remark");
    QTest::newRow("shop name of 256") << QString(256, QLatin1Char('s')) << "fine";
    QTest::newRow("remark of 256") << "fine" << QString(256, QLatin1Char('r'));
    QTest::newRow("remark of 200 lines") << "fine" << QStringList(200, "行").join('\n');
}

void TestSettingsWindow::tooLongPrintContentIsRefused()
{
    QFETCH(QString, shopName);
    QFETCH(QString, remark);
    TestDatabase db;
    SettingsForms forms;
    const QStringList before = db.rows("SELECT * FROM dynr");
    ui::MessageRecorder messages;
    control<QLineEdit>(*forms.xt, "Edit1")->setText(shopName);
    control<QPlainTextEdit>(*forms.xt, "Memo1")->setPlainText(remark);
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();

    QCOMPARE(messages.messages().size(), 1);
    QVERIFY(messages.messages().first().isErrorReport);
    QVERIFY2(messages.texts().first().contains("255"), qPrintable(messages.texts().first()));
    QCOMPARE(db.rows("SELECT * FROM dynr"), before);
    QVERIFY(forms.signalLog.isEmpty());

    // Nothing half-written waits to be posted by the next save.
    messages.clear();
    control<QLineEdit>(*forms.xt, "Edit1")->setText("好");
    control<QPlainTextEdit>(*forms.xt, "Memo1")->setPlainText("好");
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();
    QCOMPARE(messages.texts(), QStringList({Saved}));
    QCOMPARE(db.rows("SELECT 店名, 备注 FROM dynr"), QStringList({"好|好"}));
}

void TestSettingsWindow::saveWorksAfterRequery()
{
    TestDatabase db;
    SettingsForms forms;
    forms.xt->SettingsRequery();
    ui::MessageRecorder messages;
    control<QLineEdit>(*forms.xt, "Edit1")->setText("重查之后");
    control<QPushButton>(*forms.xt, "SpeedButton7")->click();
    QCOMPARE(messages.texts(), QStringList({Saved}));
    QCOMPARE(db.scalar("SELECT 店名 FROM dynr"), QStringLiteral("重查之后"));
}

void TestSettingsWindow::refreshShowsRowsOthersWrote()
{
    TestDatabase db;
    SettingsForms forms;
    control<QLineEdit>(*forms.xt, "Edit1")->setText("typed, not saved");
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('外来', 1); INSERT INTO username VALUES ('新人', '', '普通用户');"
            "UPDATE dynr SET 店名 = '别处改的'");
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->model()->rowCount(), 0);
    forms.xt->SettingsRefresh();
    QCOMPARE(gridColumn(control<ui::DataGrid>(*forms.xt, "DBGridEh1"), 1), QStringList({"admin", "新人"}));
    QCOMPARE(gridColumn(control<ui::DataGrid>(*forms.xt, "DBGridEh2"), 1), QStringList({"外来"}));
    QCOMPARE(gridColumn(control<ui::DataGrid>(*forms.xt, "DBGridEh2"), 0), QStringList({"1"}));
    QCOMPARE(control<QLineEdit>(*forms.xt, "Edit1")->text(), QStringLiteral("typed, not saved"));
}

QTEST_MAIN(TestSettingsWindow)
#include "test_settings_window.moc"
