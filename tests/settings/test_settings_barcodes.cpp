// Barcodes in the goods catalogue and the scale label rules of the settings window.

#include "settings/ScalePanel.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/GoodsCodes.h"
#include "support/Controls.h"
#include "support/DesktopRecorders.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/DataGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;

namespace {

const QString Goods = QStringLiteral("SELECT 品名 || '|' || 单价 || '|' || ifnull(条码, '') FROM spxx ORDER BY rowid");

void prepareGoods(const TestDatabase& db)
{
    db.exec("INSERT INTO spxx (品名, 单价, 条码) VALUES ('可乐', 3, '6901234567892'), ('薯片', 5.5, '96385074')");
}

} // namespace

class TestSettingsBarcodes : public QObject
{
    Q_OBJECT

private slots:
    void barcodeKeptToOneGoods_data();
    void barcodeKeptToOneGoods();
    void engineRefusalNamesTheHolder();
    void scanIntoTheBarcodeBox();
    void scaleRules();
};

void TestSettingsBarcodes::barcodeKeptToOneGoods_data()
{
    QTest::addColumn<bool>("modify"); // the modify dialog on 薯片, else the add dialog
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("stored"); // the row added or modified
    QTest::newRow("add: a new code") << false << "1234567890128" << "" << "新货|4.0|1234567890128";
    QTest::newRow("add: 可乐's code") << false << "6901234567892" << "可乐" << "";
    QTest::newRow("add: no code") << false << "" << "" << "新货|4.0|";
    QTest::newRow("modify: its own code") << true << "96385074" << "" << "新货|4.0|96385074";
    QTest::newRow("modify: 可乐's code") << true << "6901234567892" << "可乐" << "薯片|5.5|96385074";
    QTest::newRow("modify: code taken away") << true << "" << "" << "新货|4.0|";
}

void TestSettingsBarcodes::barcodeKeptToOneGoods()
{
    QFETCH(bool, modify);
    QFETCH(QString, code);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);
    TestDatabase db;
    prepareGoods(db);
    SettingsForms forms;
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    const QWidget& dialog = modify ? static_cast<const QWidget&>(*forms.spxg) : *forms.sptj;
    QLineEdit* name = control<QLineEdit>(dialog, "Edit1");
    QLineEdit* price = control<QLineEdit>(dialog, "Edit2");
    QLineEdit* barcode = control<QLineEdit>(dialog, "Edit3");
    if (modify) {
        QVERIFY(forms.selectGoods("薯片"));
        control<QPushButton>(*forms.xt, "SpeedButton5")->click();
        QCOMPARE(barcode->text(), QStringLiteral("96385074"));
    } else {
        control<QPushButton>(*forms.xt, "SpeedButton4")->click();
    }
    name->setText("新货");
    price->setText("4");
    barcode->setText(code);
    control<QPushButton>(dialog, "SpeedButton1")->click();

    const QStringList rows = db.rows(Goods);
    if (refusal.isEmpty()) {
        QVERIFY(!messages.messages().first().isErrorReport);
        QCOMPARE(modify ? rows.value(1) : rows.value(2), stored);
        return;
    }
    // Told with the goods that has it; nothing written, the dialog still open with what was typed.
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.texts().first(), store::barcodeTakenMessage(code, refusal));
    QCOMPARE(rows, QStringList({"可乐|3.0|6901234567892", "薯片|5.5|96385074"}));
    QVERIFY((modify ? static_cast<QWidget*>(forms.spxg.get()) : forms.sptj.get())->isVisible());
    QCOMPARE(barcode->text(), code);
    QVERIFY(forms.signalLog.isEmpty());
    // The goods grid shows the codes.
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->model()->headerData(3, Qt::Horizontal).toString(),
             QStringLiteral("条码"));
    QCOMPARE(control<ui::DataGrid>(*forms.xt, "DBGridEh2")->cellText(0, 3), QStringLiteral("6901234567892"));
}

void TestSettingsBarcodes::engineRefusalNamesTheHolder()
{
    // What the unique index says when the check before writing was overtaken by another window.
    TestDatabase db;
    prepareGoods(db);
    store::Connection connection(QStringLiteral("barcodes"));
    connection.open();
    store::Dataset goods(connection, store::sql::SelectSpxx);
    goods.open();
    goods.append();
    goods.setField(QStringLiteral("品名"), QStringLiteral("后来的"));
    goods.setField(QStringLiteral("条码"), QStringLiteral("96385074"));
    try {
        goods.post();
        QFAIL("a second goods item took the code");
    } catch (const core::Error& error) {
        QVERIFY2(store::isBarcodeRefusal(error), qPrintable(error.message()));
        try {
            store::throwBarcodeTaken(connection, QStringLiteral("96385074"));
        } catch (const core::Error& told) {
            QCOMPARE(told.message(), store::barcodeTakenMessage("96385074", "薯片"));
        }
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QStringLiteral("2"));
}

void TestSettingsBarcodes::scanIntoTheBarcodeBox()
{
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    forms.sptj->show();
    forms.sptj->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(forms.sptj.get()));
    control<QLineEdit>(*forms.sptj, "Edit3")->setFocus();
    QTest::keyClicks(control<QLineEdit>(*forms.sptj, "Edit3"), "6901234567892");
    QTest::keyClick(control<QLineEdit>(*forms.sptj, "Edit3"), Qt::Key_Return);
    // On to the name; the dialog's default button did not add.
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(*forms.sptj, "Edit1"));
    QCOMPARE(control<QLineEdit>(*forms.sptj, "Edit3")->text(), QStringLiteral("6901234567892"));
    QVERIFY(messages.texts().isEmpty());
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QStringLiteral("0"));
    forms.sptj->hide();
}

void TestSettingsBarcodes::scaleRules()
{
    TestDatabase db;
    SettingsForms forms;
    ui::MessageRecorder messages;
    TScalePanel* panel = forms.xt->scalePanel();
    QVERIFY(panel);
    const QString stored = QStringLiteral("SELECT 值 FROM xtsz WHERE 项目 = '条码秤规则'");
    forms.xt->applyRights(true);
    QCOMPARE(panel->RulesEdit->text(), QStringLiteral("20-24:3-7:8-12:金额;25-29:3-7:8-12:重量"));

    panel->RulesEdit->setText(" 20-29 : 3-8 : 9-12 : 重量 ;");
    panel->SaveButton->click();
    QCOMPARE(db.scalar(stored), QStringLiteral("20-29:3-8:9-12:重量"));
    QCOMPARE(panel->RulesEdit->text(), QStringLiteral("20-29:3-8:9-12:重量"));

    // A wrong rule is told and nothing is kept.
    panel->RulesEdit->setText("20-29:3-8:8-12:重量");
    panel->SaveButton->click();
    QCOMPARE(messages.messages().size(), 2);
    QCOMPARE(messages.messages().last().style, ui::MessageStyle::Warning);
    QVERIFY(messages.texts().last().contains("重叠"));
    QCOMPARE(db.scalar(stored), QStringLiteral("20-29:3-8:9-12:重量"));

    // An ordinary user neither sees the tab nor saves.
    forms.loginAsOrdinaryUser();
    QTabWidget* tabs = control<QTabWidget>(*forms.xt, "PageControl1");
    QVERIFY(!tabs->isTabVisible(tabs->indexOf(panel->parentWidget())));
    QVERIFY(!panel->SaveButton->isEnabled());
    panel->SaveButtonClick();
    QCOMPARE(db.scalar(stored), QStringLiteral("20-29:3-8:9-12:重量"));
    QCOMPARE(tabs->tabText(tabs->indexOf(panel->parentWidget())), QStringLiteral("条码秤"));
}

QTEST_MAIN(TestSettingsBarcodes)
#include "test_settings_barcodes.moc"
