// The 数据 tab's imports through the settings window: the old data.mdb previewed, imported with a
// copy made first, cancelled; a wrong file told; a goods list previewed row by row and imported.
#include "settings/DataImportPanel.h"
#include "settings/GoodsImportUnit.h"
#include "settings/ImportUnit.h"
#include "store/Backup.h"
#include "support/Controls.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;

namespace {

const QString Fixture = QStringLiteral(QUORVEL_SOURCE_DIR "/tests/legacy/data/legacy-small.mdb");

QStringList importCopies(const TestDatabase& db)
{
    return QDir(store::backup::folderFor(db.path()))
        .entryList({QStringLiteral("data-before-import-*.mdb")}, QDir::Files);
}

} // namespace

class TestSettingsDataImport : public QObject
{
    Q_OBJECT

private slots:
    void oldDataImportsThroughTheWindow();
    void customisedShopIsAsked();
    void cancelKeepsNothing();
    void wrongFileIsTold();
    void goodsListPreviewAndImport();
};

void TestSettingsDataImport::oldDataImportsThroughTheWindow()
{
    TestDatabase db;
    SettingsForms forms;
    ui::OpenNameOverride open({Fixture});
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    settings::DataImportPanel* panel = forms.xt->dataImportPanel();
    QCOMPARE(panel->parentWidget(), control<QWidget>(*forms.xt, "TabSheet4"));
    panel->LegacyButton->click();
    QCOMPARE(modal.shown(), QStringList({"TImportForm"}));
    TImportForm* form = panel->importForm();
    const QString preview = control<QPlainTextEdit>(*form, "PreviewText")->toPlainText();
    QVERIFY2(preview.contains(QStringLiteral("店名：测试小店")), qPrintable(preview));
    QVERIFY(preview.contains(QStringLiteral("销售日期：2019-03-01 09:30:15 至 2019-12-31 12:00:00")));
    QVERIFY(preview.contains(QStringLiteral("销售（xstj）：5 行")));
    QVERIFY(preview.contains(QStringLiteral("销售明细（xsmx）：10 行")));
    // The shop still prints what was delivered: the old print content comes in without asking.
    QVERIFY(control<QCheckBox>(*form, "PrintContentBox")->isChecked() &&
            !control<QCheckBox>(*form, "PrintContentBox")->isEnabled());

    control<QPushButton>(*form, "ImportButton")->click();
    QVERIFY(form->isImporting());
    QTRY_VERIFY(!form->isImporting());
    QCOMPARE(messages.texts(),
             QStringList({"导入商品 8 种、用户 1 个、销售 5 单（明细 10 行），并导入了打印内容和打印设置"}));
    QCOMPARE(control<QProgressBar>(*form, "ProgressBar")->value(),
             control<QProgressBar>(*form, "ProgressBar")->maximum());
    QCOMPARE(db.scalar("SELECT count(*) FROM xsmx"), QStringLiteral("10"));
    QCOMPARE(importCopies(db).size(), 1);
    // The copy holds the shop as it was before the import.
    const QString copy = store::backup::folderFor(db.path()) + QLatin1Char('/') + importCopies(db).first();
    QCOMPARE(TestDatabase::rowsOf(copy, "SELECT count(*) FROM xstj"), QStringList({"0"}));
    // What came in shows at once, here and in the main window.
    QCOMPARE(forms.xt->ADOQuery2.recordCount(), 8);
    QCOMPARE(control<QLineEdit>(*forms.xt, "Edit1")->text(), QStringLiteral("测试小店"));
    QVERIFY(forms.signalLog.contains(QStringLiteral("XtForm.printContentSaved:测试小店|欢迎光临\n谢谢惠顾，欢迎再来！")));
}

void TestSettingsDataImport::customisedShopIsAsked()
{
    TestDatabase db;
    db.exec("UPDATE dynr SET 备注 = '本店备注'");
    SettingsForms forms;
    ui::OpenNameOverride open({Fixture});
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    forms.xt->dataImportPanel()->LegacyButton->click();
    TImportForm* form = forms.xt->dataImportPanel()->importForm();
    QVERIFY(!control<QCheckBox>(*form, "PrintContentBox")->isChecked() &&
            control<QCheckBox>(*form, "PrintContentBox")->isEnabled());
    QVERIFY(control<QCheckBox>(*form, "PrintSettingsBox")->isChecked() &&
            !control<QCheckBox>(*form, "PrintSettingsBox")->isEnabled());
    control<QPushButton>(*form, "ImportButton")->click();
    QTRY_VERIFY(!form->isImporting());
    QCOMPARE(db.rows("SELECT 店名, 备注 FROM dynr"), QStringList({"Quorvel便利店|本店备注"}));
}

void TestSettingsDataImport::cancelKeepsNothing()
{
    TestDatabase db;
    db.exec("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('1', '2026-01-01 10:00:00', 1, 2, 2, 'admin')");
    const QStringList before = db.rows("SELECT * FROM xstj");
    SettingsForms forms;
    ui::OpenNameOverride open({Fixture});
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    forms.xt->dataImportPanel()->LegacyButton->click();
    TImportForm* form = forms.xt->dataImportPanel()->importForm();
    control<QPushButton>(*form, "ImportButton")->click();
    QVERIFY(form->isImporting());
    control<QPushButton>(*form, "CancelButton")->click();
    QVERIFY(!form->isImporting());
    QCOMPARE(messages.texts(), QStringList({"已取消导入，没有导入任何数据。"}));
    QTest::qWait(50);
    QCOMPARE(db.rows("SELECT * FROM xstj"), before);
    QCOMPARE(db.scalar("SELECT count(*) FROM spxx"), QStringLiteral("0"));
    QCOMPARE(db.scalar("SELECT 店名 FROM dynr"), QStringLiteral("Quorvel便利店"));
}

void TestSettingsDataImport::wrongFileIsTold()
{
    TestDatabase db;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("说明 文件.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'x'));
    file.close();
    SettingsForms forms;
    ui::OpenNameOverride open({path});
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    forms.xt->dataImportPanel()->LegacyButton->click();
    QVERIFY(modal.shown().isEmpty());
    QCOMPARE(messages.texts(),
             QStringList({QStringLiteral("文件 %1 不是旧程序的数据库（Jet 4.0 格式的 data.mdb）").arg(QDir::toNativeSeparators(path))}));
    QCOMPARE(testsupport::messageStyles(messages), QList<ui::MessageStyle>({ui::MessageStyle::Error}));
    QVERIFY(importCopies(db).isEmpty());
}

void TestSettingsDataImport::goodsListPreviewAndImport()
{
    TestDatabase db;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("商品.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("品名,单价,条码\n苹果,5,111\n,3,\n梨,4,111\n").toUtf8());
    file.close();
    SettingsForms forms;
    ui::OpenNameOverride open({path});
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    forms.xt->dataImportPanel()->GoodsButton->click();
    QCOMPARE(modal.shown(), QStringList({"TGoodsImportForm"}));
    QCOMPARE(open.filters().size(), 1);
    QVERIFY(open.filters().first().contains(QStringLiteral("*.xlsx")));
    TGoodsImportForm* form = forms.xt->dataImportPanel()->goodsImportForm();
    QCOMPARE(control<QTableWidget>(*form, "RowsGrid")->rowCount(), 3);
    QCOMPARE(control<QTableWidget>(*form, "RowsGrid")->item(0, 4)->text(), QString());
    QCOMPARE(control<QTableWidget>(*form, "RowsGrid")->item(1, 4)->text(), QStringLiteral("品名为空"));
    QCOMPARE(control<QTableWidget>(*form, "RowsGrid")->item(2, 4)->text(), QStringLiteral("条码与第 2 行重复"));
    QCOMPARE(control<QLabel>(*form, "SummaryLabel")->text(), QStringLiteral("共 3 行，其中有错的 2 行不导入"));
    control<QPushButton>(*form, "ImportButton")->click();
    QCOMPARE(messages.texts(), QStringList({"新增商品 1 种、更新 0 种，有错的 2 行未导入"}));
    QCOMPARE(db.rows("SELECT 品名, 条码 FROM spxx"), QStringList({"苹果|111"}));
    QCOMPARE(forms.xt->ADOQuery2.recordCount(), 1);
    QVERIFY(forms.signalLog.contains(QStringLiteral("XtForm.goodsChanged")));
}

QTEST_MAIN(TestSettingsDataImport)
#include "test_settings_dataimport.moc"
