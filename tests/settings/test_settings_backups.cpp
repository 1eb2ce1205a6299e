#include "settings/BackupPanel.h"
#include "settings/RestoreUnit.h"
#include "store/Backup.h"
#include "store/BackupSettings.h"
#include "store/Restore.h"
#include "support/Controls.h"
#include "support/SettingsForms.h"
#include "support/TestDatabase.h"
#include "ui/Seams.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::control;
using testsupport::SettingsForms;
using testsupport::TestDatabase;

namespace {

TBackupPanel* panelOf(const SettingsForms& forms)
{
    return control<QWidget>(*forms.xt, "TabSheet4")->findChild<TBackupPanel*>();
}

void sell(const TestDatabase& db, const QString& number, const QString& time)
{
    db.exec(QString("INSERT INTO xstj (单号, 时间, 数量, 金额, 折后, 收银员) VALUES ('%1', '%2', 1, 2, 2, 'admin')")
                .arg(number, time));
}

} // namespace

class TestSettingsBackups : public QObject
{
    Q_OBJECT

private slots:
    void ordinaryUserCannotRestoreOrChooseThePlace();
    void administratorChoosesTheSecondPlace();
    void administratorRestoresYesterdaysCopy();
};

void TestSettingsBackups::ordinaryUserCannotRestoreOrChooseThePlace()
{
    TestDatabase db;
    store::backup::makeBackup(db.path(), store::backup::folderFor(db.path()), QDateTime(QDate(2026, 12, 8), QTime(8, 0)));
    SettingsForms forms;
    forms.loginAsOrdinaryUser();
    TBackupPanel* panel = panelOf(forms);
    QVERIFY(panel);
    QTabWidget* tabs = control<QTabWidget>(*forms.xt, "PageControl1");
    QCOMPARE(tabs->tabText(tabs->indexOf(control<QWidget>(*forms.xt, "TabSheet4"))), QString("数据"));
    QVERIFY(!control<QPushButton>(*panel, "RestoreButton")->isEnabled());
    QVERIFY(!control<QPushButton>(*panel, "ChooseButton")->isEnabled());
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    ui::FolderNameOverride folders({QDir::tempPath()});
    QSignalSpy restore(forms.xt.get(), &TXtForm::restoreRequested);
    // Even when reached without its button, as a key or a script would.
    panel->RestoreButtonClick();
    panel->ChooseButtonClick();
    QVERIFY(modal.shown().isEmpty());
    QCOMPARE(messages.texts(), QStringList(2, "只有管理员可以更改备份设置和恢复备份。"));
    QCOMPARE(restore.count(), 0);
    QVERIFY(!QFileInfo::exists(store::restore::stagedPathFor(db.path())));
    store::Connection check("check");
    QCOMPARE(store::BackupSettings(check).secondFolder(), QString());
}

void TestSettingsBackups::administratorChoosesTheSecondPlace()
{
    TestDatabase db;
    QTemporaryDir stick;
    SettingsForms forms;
    forms.xt->applyRights(true);
    TBackupPanel* panel = panelOf(forms);
    // Shown on its tab, every button of the panel is there to click, none squeezed to nothing
    // or below the tab's bottom.
    forms.xt->show();
    control<QTabWidget>(*forms.xt, "PageControl1")->setCurrentWidget(control<QWidget>(*forms.xt, "TabSheet4"));
    QVERIFY(QTest::qWaitForWindowExposed(forms.xt.get()));
    for (QPushButton* button :
         {control<QPushButton>(*panel, "ChooseButton"), control<QPushButton>(*panel, "ClearButton"),
          control<QPushButton>(*panel, "RestoreButton")}) {
        const QRect onTab(button->mapTo(control<QWidget>(*forms.xt, "TabSheet4"), QPoint(0, 0)), button->size());
        QVERIFY2(button->isVisible() && button->height() >= button->sizeHint().height() &&
                     control<QWidget>(*forms.xt, "TabSheet4")->rect().contains(onTab),
                 qPrintable(button->text()));
    }
    ui::MessageRecorder messages;
    {
        ui::FolderNameOverride folders({db.folder(), stick.path()});
        panel->ChooseButtonClick(); // the data folder itself: refused
        QCOMPARE(control<QLineEdit>(*panel, "SecondPlaceEdit")->text(), QString());
        QCOMPARE(messages.texts().size(), 1);
        panel->ChooseButtonClick();
    }
    QCOMPARE(control<QLineEdit>(*panel, "SecondPlaceEdit")->text(), QDir::toNativeSeparators(stick.path()));
    store::Connection check("check");
    QCOMPARE(store::BackupSettings(check).secondFolder(), stick.path());
    panel->ClearButtonClick();
    QCOMPARE(store::BackupSettings(check).secondFolder(), QString());
}

void TestSettingsBackups::administratorRestoresYesterdaysCopy()
{
    TestDatabase db;
    QTemporaryDir stick;
    sell(db, "20261208100000", "2026-12-08 10:00:00");
    const QString yesterday =
        store::backup::makeBackup(db.path(), store::backup::folderFor(db.path()), QDateTime(QDate(2026, 12, 8), QTime(20, 0)));
    store::backup::copyFinishedBackup(yesterday, stick.path());
    sell(db, "20261209100000", "2026-12-09 10:00:00");
    store::backup::makeBackup(db.path(), store::backup::folderFor(db.path()), QDateTime(QDate(2026, 12, 9), QTime(8, 0)));
    {
        store::Connection settings("settings");
        store::BackupSettings(settings).setSecondFolder(stick.path());
    }
    SettingsForms forms;
    forms.xt->applyRights(true);
    QSignalSpy restore(forms.xt.get(), &TXtForm::restoreRequested);
    ui::ModalRecorder modal;
    ui::MessageRecorder messages;
    messages.setNextAnswers({true});
    QStringList listed;
    modal.setWhileShown([&](QDialog* dialog) {
        auto* form = qobject_cast<TRestoreForm*>(dialog);
        QVERIFY(form);
        // Both places, newest first: today's, yesterday's here, yesterday's on the stick.
        for (int row = 0; row < control<QTableWidget>(*form, "CopyGrid")->rowCount(); ++row)
            listed << control<QTableWidget>(*form, "CopyGrid")->item(row, 1)->text() + " " +
                          control<QTableWidget>(*form, "CopyGrid")->item(row, 3)->text() + " " +
                          control<QTableWidget>(*form, "CopyGrid")->item(row, 4)->text();
        form->selectCopy(1);
        form->RestoreButtonClick();
    });
    panelOf(forms)->RestoreButtonClick();
    QCOMPARE(listed, QStringList({"2026-12-09 08:00:00 2 2026-12-09 10:00:00", "2026-12-08 20:00:00 1 2026-12-08 10:00:00",
                                  "2026-12-08 20:00:00 1 2026-12-08 10:00:00"}));
    QCOMPARE(restore.count(), 1);
    QCOMPARE(TestDatabase::rowsOf(store::restore::stagedPathFor(db.path()), "SELECT 单号 FROM xstj"),
             QStringList({"20261208100000"}));
    QCOMPARE(db.scalar("SELECT count(*) FROM xstj"), QString("2")); // replaced only once the windows are gone
}

QTEST_MAIN(TestSettingsBackups)
#include "test_settings_backups.moc"
