#pragma once

#include "settings/SettingsDialog.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_XtUnit.h"

#include <QPointer>
#include <QString>

class TYhtjForm;
class TYhxgForm;
class TSptjForm;
class TSpxgForm;
class TQxsmForm;
namespace legacy {
struct ImportCounts;
}
namespace settings {
class DataImportPanel;
}
class TBackupPanel;
class TScalePanel;

// The settings window: cashier accounts, goods catalogue and print content. Adding and
// changing users and goods happen in the dialogs handed over by setDialogs; what the main
// window must redo afterwards (pick lists, shop name) is announced by the signals below.
class TXtForm : public ui::SkinnedWindow, private Ui::TXtForm, public settings::SettingsOwner
{
    Q_OBJECT

public:
    explicit TXtForm(QWidget* parent = nullptr);

    void setDialogs(TYhtjForm* yhtj, TYhxgForm* yhxg, TSptjForm* sptj, TSpxgForm* spxg, TQxsmForm* qxsm);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // username
    store::Dataset ADOQuery2; // spxx
    store::Dataset ADOQuery3; // dynr

    void FormCreate();
    void FormClose();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void DBGridEh1DblClick();
    void DBGridEh2DblClick();

    // Run by the add dialogs after each add: the grids re-read what their connections wrote.
    void SettingsRequery() override;
    // Asked by the modify dialogs: the rows selected in the two grids.
    bool hasSelectedUser() override;
    QString selectedUserPassword() override;
    void modifySelectedUser(const QString& storedPassword, const QString& right) override;
    bool hasSelectedGoods() override;
    void modifySelectedGoods(const QString& name, const QString& price, const QString& barcode) override;
    // Run by the main window after a sale line is added or modified.
    void SettingsRefresh();
    // The main window's "设置".
    void OpenOnUsersTab();
    // What the login's right allows here: only an administrator adds and deletes accounts,
    // changes the print content and sees the 数据 and 条码秤 tabs.
    void applyRights(bool administrator);
    settings::DataImportPanel* dataImportPanel() const { return m_importPanel; }
    TScalePanel* scalePanel() const { return m_scalePanel; } // on the 条码秤 tab, an administrator's
    // The 数据 tab holds panels of their own units, stacked top to bottom in the order added.
    void addDataPanel(QWidget* panel);

signals:
    void goodsChanged();
    void usersChanged();
    void printContentSaved(const QString& shopName, const QString& remark);
    void printSettingsImported();
    // 数据 → 恢复备份… staged a checked copy: the program is to restart on it.
    void restoreRequested();

private:
    void setUpLooks();
    void setUpGrids();
    void connectHandlers();
    QString remarkText() const;
    void showImported(const legacy::ImportCounts& counts);
    void showImportedGoods();

    TYhtjForm* yhtjForm() const;
    TYhxgForm* yhxgForm() const;
    TSptjForm* sptjForm() const;
    TSpxgForm* spxgForm() const;
    TQxsmForm* qxsmForm() const;

    QPointer<TYhtjForm> m_yhtj;
    QPointer<TYhxgForm> m_yhxg;
    QPointer<TSptjForm> m_sptj;
    QPointer<TSpxgForm> m_spxg;
    QPointer<TQxsmForm> m_qxsm;
    settings::DataImportPanel* m_importPanel = nullptr;
    TBackupPanel* m_backupPanel = nullptr;
    QWidget* m_scaleTab = nullptr;
    TScalePanel* m_scalePanel = nullptr;
};
