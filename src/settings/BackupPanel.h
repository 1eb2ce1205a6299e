#pragma once

#include "ui_BackupPanel.h"

#include <QWidget>

namespace store {
class Connection;
}

// The backups' part of 设置 → 数据: the second place the day's copy also goes to, and
// "恢复备份…". Only an administrator changes the place or restores.
class TBackupPanel : public QWidget, private Ui::TBackupPanel
{
    Q_OBJECT

public:
    TBackupPanel(store::Connection& connection, QWidget* parent = nullptr);

    void load(); // shows the chosen second place
    void applyRights(bool administrator);

    void ChooseButtonClick();
    void ClearButtonClick();
    void RestoreButtonClick();

signals:
    // A checked copy waits beside data.mdb: the program is to restart on it.
    void restoreReady();

private:
    bool refusedToOrdinaryUser();

    store::Connection& m_connection;
    bool m_administrator = false;
};
