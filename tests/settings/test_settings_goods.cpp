#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"

#include <QScopeGuard>
#include <QTimer>
#include <QWindow>
#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;
using ui::MessageStyle;

namespace {

const QString Added = QStringLiteral("添加商品成功！");
const QString NothingToAdd = QStringLiteral("添加商品不能为空！");

// A click that arrives through the window, as a real one does, so modality applies to it.
void clickThroughWindow(QWidget* button)
{
    QWidget* window = button->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
}

} // namespace

class TestSettingsGoods : public QObject
{
    Q_OBJECT

private slots:
    void addGoods_data();
    void addGoods();
    void addGoodsRefused_data();
    void addGoodsRefused();
    void addDialogClosesWhenUnticked();
    void addDialogUsableBesideModalSettings();
    void priceBoxesTakeOnlyNumbers_data();
    void priceBoxesTakeOnlyNumbers();
    void modifyGoods_data();
    void modifyGoods();
    void modifyGoodsRefusedPrice_data();
    void modifyGoodsRefusedPrice();
};

void TestSettingsGoods::addGoods_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("stored"); // name|quote(单价)
    QTest::addColumn<QString>("shownPrice");
    QTest::newRow("name and price") << "苹果"
                                    << "12.50"
                                    << "苹果|12.5"
                                    << "12.5";
    QTest::newRow("no price") << "香蕉"
                              << ""
                              << "香蕉|NULL"
                              << "";
    QTest::newRow("no name") << ""
                             << "3"
                             << "|3.0"
                             << "3";
    QTest::newRow("price ending in a point") << "梨"
                                             << "7."
                                             << "梨|7.0"
                                             << "7";
    QTest::newRow("price starting with a point") << "糖"
                                                 << ".5"
                                                 << "糖|0.5"
                                                 << "0.5";
    QTest::newRow("three decimals") << "盐"
                                    << "3.456"
                                    << "盐|3.456"
                                    << "3.46";
    QTest::newRow("quotes and wildcards") << "O'Neil \"%_\" 饼"
                                          << "1"
                                          << "O'Neil \"%_\" 饼|1.0"
                                          << "1";
    QTest::newRow("beyond the BMP") << "𩸽鱼😀"
                                    << "20"
                                    << "𩸽鱼😀|20.0"
                                    << "20";
    QTest::newRow("blanks only") << "  "
                                 << ""
                                 << "  |NULL"
                                 << "";
    QTest::newRow("255 characters") << QString(255, QChar(0x7C73)) << "1" << QString(255, QChar(0x7C73)) + "|1.0"
                                    << "1";
}

void TestSettingsGoods::addGoods()
{
    QFETCH(QString, name);
    QFETCH(QString, price);
    QFETCH(QString, stored);
    QFETCH(QString, shownPrice);
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('已有', 2)");
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    QVERIFY(modal.shown().isEmpty());
    QVERIFY(forms.sptj->isVisible());

    control<QLineEdit>(*forms.sptj, "Edit1")->setText(name);
    control<QLineEdit>(*forms.sptj, "Edit2")->setText(price);
    control<QPushButton>(*forms.sptj, "SpeedButton1")->click();

    QCOMPARE(messages.texts(), QStringList({Added}));
    QCOMPARE(testsupport::messageStyles(messages), QList<MessageStyle>({MessageStyle::Plain}));
    QCOMPARE(db.rows("SELECT 品名 || '|' || quote(单价) FROM spxx ORDER BY rowid"), QStringList({"已有|2.0", stored}));
    QVERIFY(control<QLineEdit>(*forms.sptj, "Edit1")->text().isEmpty());
    QVERIFY(control<QLineEdit>(*forms.sptj, "Edit2")->text().isEmpty());
    QVERIFY(forms.sptj->isVisible());
    QCOMPARE(forms.signalLog, QStringList({"SptjForm.goodsChanged"}));
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->model()->rowCount(), 2);
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(1, 1), name);
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(1, 2), shownPrice);
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(1, 0), QStringLiteral("2"));
}

void TestSettingsGoods::addGoodsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("isErrorReport");
    QTest::newRow("both empty") << ""
                                << "" << NothingToAdd << false;
    QTest::newRow("a lone point") << "苹果"
                                  << "."
                                  << "." << true;
    QTest::newRow("no name, a lone point") << ""
                                           << "."
                                           << "." << true;
    QTest::newRow("name of 256") << QString(256, QLatin1Char('g')) << "1"
                                 << "255" << true;
    QTest::newRow("price beyond any number") << "金"
                                             << "1" + QString(400, QLatin1Char('0')) << "1000" << true;
}

void TestSettingsGoods::addGoodsRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, price);
    QFETCH(QString, expected);
    QFETCH(bool, isErrorReport);
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    control<QLineEdit>(*forms.sptj, "Edit1")->setText(name);
    control<QLineEdit>(*forms.sptj, "Edit2")->setText(price);
    control<QPushButton>(*forms.sptj, "SpeedButton1")->click();

    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages().first().isErrorReport, isErrorReport);
    QVERIFY2(messages.texts().first().contains(expected), qPrintable(messages.texts().first()));
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>(*forms.sptj, "Edit1")->text(), name);
    QCOMPARE(control<QLineEdit>(*forms.sptj, "Edit2")->text(), price);
    QVERIFY(forms.sptj->isVisible());
    QVERIFY(forms.signalLog.isEmpty());

    // The refused row is gone, not waiting to be posted with the next one.
    messages.clear();
    control<QLineEdit>(*forms.sptj, "Edit1")->setText("下一个");
    control<QLineEdit>(*forms.sptj, "Edit2")->setText("1");
    control<QPushButton>(*forms.sptj, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({Added}));
    QCOMPARE(db.rows("SELECT 品名 || '|' || quote(单价) FROM spxx ORDER BY rowid"), QStringList({"下一个|1.0"}));
}

void TestSettingsGoods::addDialogClosesWhenUnticked()
{
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    QVERIFY(control<QCheckBox>(*forms.sptj, "CheckBox1")->isChecked());
    control<QCheckBox>(*forms.sptj, "CheckBox1")->setChecked(false);
    control<QLineEdit>(*forms.sptj, "Edit1")->setText("苹果");
    control<QPushButton>(*forms.sptj, "SpeedButton1")->click();
    QVERIFY(!forms.sptj->isVisible());

    // Opened again: boxes emptied, the tick box as it was left; a name twice is two rows.
    control<QLineEdit>(*forms.sptj, "Edit2")->setText("9");
    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    QVERIFY(forms.sptj->isVisible());
    QVERIFY(control<QLineEdit>(*forms.sptj, "Edit1")->text().isEmpty());
    QVERIFY(control<QLineEdit>(*forms.sptj, "Edit2")->text().isEmpty());
    QVERIFY(!control<QCheckBox>(*forms.sptj, "CheckBox1")->isChecked());
    control<QLineEdit>(*forms.sptj, "Edit1")->setText("苹果");
    control<QPushButton>(*forms.sptj, "SpeedButton1")->click();
    QCOMPARE(db.rows("SELECT 品名 FROM spxx ORDER BY rowid"), QStringList({"苹果", "苹果"}));
    QCOMPARE(forms.signalLog, QStringList({"SptjForm.goodsChanged", "SptjForm.goodsChanged"}));

    control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    control<QPushButton>(*forms.sptj, "SpeedButton2")->click();
    QVERIFY(!forms.sptj->isVisible());
}

// The settings window really modal, as the main window shows it: the add dialog beside it
// must still take clicks, and keep taking them once the settings window is closed.
void TestSettingsGoods::addDialogUsableBesideModalSettings()
{
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    bool ran = false;
    int rowsWhileOpen = -1;
    QTimer::singleShot(0, forms.xt.get(), [&] {
        auto closeSettings = qScopeGuard([&] { forms.xt->close(); });
        control<QTabWidget>(*forms.xt, "PageControl1")->setCurrentWidget(control<QWidget>(*forms.xt, "TabSheet2"));
        clickThroughWindow(control<QPushButton>(*forms.xt, "SpeedButton4"));
        if (!QTest::qWaitForWindowExposed(forms.sptj.get()))
            return;
        control<QLineEdit>(*forms.sptj, "Edit1")->setText("旁边加的");
        control<QLineEdit>(*forms.sptj, "Edit2")->setText("4");
        clickThroughWindow(control<QPushButton>(*forms.sptj, "SpeedButton1"));
        rowsWhileOpen = control<ui::DataGrid>(*forms.xt, "DBGridEh2")->model()->rowCount();
        ran = true;
    });
    forms.xt->OpenOnUsersTab();
    QVERIFY(ran);
    QCOMPARE(rowsWhileOpen, 1);
    QCOMPARE(db.rows("SELECT 品名 FROM spxx ORDER BY rowid"), QStringList({"旁边加的"}));

    QVERIFY(forms.sptj->isVisible());
    control<QLineEdit>(*forms.sptj, "Edit1")->setText("关了之后加的");
    clickThroughWindow(control<QPushButton>(*forms.sptj, "SpeedButton1"));
    QCOMPARE(db.rows("SELECT 品名 FROM spxx ORDER BY rowid"), QStringList({"旁边加的", "关了之后加的"}));
    QCOMPARE(messages.texts(), QStringList({Added, Added}));
    QCOMPARE(forms.signalLog, QStringList({"SptjForm.goodsChanged", "XtForm.goodsChanged", "XtForm.usersChanged",
                                           "SptjForm.goodsChanged"}));
}

void TestSettingsGoods::priceBoxesTakeOnlyNumbers_data()
{
    QTest::addColumn<bool>("modifyDialog");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("add: letters, signs, blanks") << false << "a-1,2 x+"
                                                 << "12";
    QTest::newRow("add: a second point") << false << "1.2.5."
                                         << "1.25";
    QTest::newRow("modify: letters, signs, blanks") << true << "E9 -3"
                                                    << "93";
    QTest::newRow("modify: a second point") << true << ".5.."
                                            << ".5";
}

void TestSettingsGoods::priceBoxesTakeOnlyNumbers()
{
    QFETCH(bool, modifyDialog);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TestDatabase db;
    SettingsForms forms;
    QLineEdit* box = modifyDialog ? control<QLineEdit>(*forms.spxg, "Edit2") : control<QLineEdit>(*forms.sptj, "Edit2");
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), shown);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), shown.chopped(1));
}

void TestSettingsGoods::modifyGoods_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("stored");
    QTest::newRow("renamed and repriced") << "红苹果"
                                          << "6.8"
                                          << "红苹果|6.8";
    QTest::newRow("price emptied") << "苹果"
                                   << ""
                                   << "苹果|NULL";
    QTest::newRow("name emptied") << ""
                                  << "5"
                                  << "|5.0";
    QTest::newRow("quotes and wildcards") << "'%\"_"
                                          << "1"
                                          << "'%\"_|1.0";
}

void TestSettingsGoods::modifyGoods()
{
    QFETCH(QString, name);
    QFETCH(QString, price);
    QFETCH(QString, stored);
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('梨', 4), ('苹果', 5), ('苹果', 5)");
    SettingsForms forms;
    forms.xt->ADOQuery2.moveTo(2);
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton5")->click();
    control<QLineEdit>(*forms.spxg, "Edit1")->setText(name);
    control<QLineEdit>(*forms.spxg, "Edit2")->setText(price);
    control<QPushButton>(*forms.spxg, "SpeedButton1")->click();

    QCOMPARE(messages.texts(), QStringList({"修改商品信息成功！"}));
    QCOMPARE(db.rows("SELECT 品名 || '|' || quote(单价) FROM spxx ORDER BY rowid"),
             QStringList({"梨|4.0", stored, "苹果|5.0"}));
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(1, 1), name);
    QVERIFY(!forms.spxg->isVisible());
    QCOMPARE(forms.signalLog, QStringList({"SpxgForm.goodsChanged"}));
}

void TestSettingsGoods::modifyGoodsRefusedPrice_data()
{
    QTest::addColumn<QString>("price");
    QTest::newRow("a lone point") << ".";
    QTest::newRow("beyond any number") << "9" + QString(320, QLatin1Char('9'));
}

void TestSettingsGoods::modifyGoodsRefusedPrice()
{
    QFETCH(QString, price);
    TestDatabase db;
    db.exec("INSERT INTO spxx (品名, 单价) VALUES ('苹果', 5)");
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    control<QPushButton>(*forms.xt, "SpeedButton5")->click();
    control<QLineEdit>(*forms.spxg, "Edit1")->setText("改名");
    control<QLineEdit>(*forms.spxg, "Edit2")->setText(price);
    control<QPushButton>(*forms.spxg, "SpeedButton1")->click();
    QCOMPARE(messages.messages().size(), 1);
    QVERIFY(messages.messages().first().isErrorReport);
    QCOMPARE(db.rows("SELECT 品名 || '|' || quote(单价) FROM spxx ORDER BY rowid"), QStringList({"苹果|5.0"}));
    QVERIFY(forms.spxg->isVisible());
    QVERIFY(forms.signalLog.isEmpty());

    messages.clear();
    control<QLineEdit>(*forms.spxg, "Edit2")->setText("6");
    control<QPushButton>(*forms.spxg, "SpeedButton1")->click();
    QCOMPARE(messages.texts(), QStringList({"修改商品信息成功！"}));
    QCOMPARE(db.rows("SELECT 品名 || '|' || quote(单价) FROM spxx ORDER BY rowid"), QStringList({"改名|6.0"}));
}

QTEST_MAIN(TestSettingsGoods)
#include "test_settings_goods.moc"
