#include "settings/BackupPanel.h"

#include "settings/RestoreUnit.h"
#include "store/Backup.h"
#include "store/BackupSettings.h"
#include "store/Connection.h"
#include "core/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/Seams.h"

#include <QDir>
#include <QFileInfo>

TBackupPanel::TBackupPanel(store::Connection& connection, QWidget* parent) : QWidget(parent), m_connection(connection)
{
    setupUi(this);
    ui::connectGuarded(ChooseButton, &QPushButton::clicked, this, &TBackupPanel::ChooseButtonClick);
    ui::connectGuarded(ClearButton, &QPushButton::clicked, this, &TBackupPanel::ClearButtonClick);
    ui::connectGuarded(RestoreButton, &QPushButton::clicked, this, &TBackupPanel::RestoreButtonClick);
    applyRights(false);
}

void TBackupPanel::load()
{
    SecondPlaceEdit->setText(QDir::toNativeSeparators(store::BackupSettings(m_connection).secondFolder()));
}

void TBackupPanel::applyRights(bool administrator)
{
    m_administrator = administrator;
    ChooseButton->setEnabled(administrator);
    ClearButton->setEnabled(administrator);
    RestoreButton->setEnabled(administrator);
}

bool TBackupPanel::refusedToOrdinaryUser()
{
    if (m_administrator)
        return false;
    ui::message(this, QStringLiteral("只有管理员可以更改备份设置和恢复备份。"), ui::MessageStyle::Error);
    return true;
}

void TBackupPanel::ChooseButtonClick()
{
    if (refusedToOrdinaryUser())
        return;
    const QString folder = ui::askFolder(this, QStringLiteral("选择备份的第二位置"));
    if (folder.isEmpty())
        return;
    const QString chosen = QFileInfo(folder).absoluteFilePath();
    // Copies beside the data would be lost with the same disk.
    if (QDir(chosen) == QDir(store::backup::folderFor(store::Connection::databasePath())) ||
        QDir(chosen) == QFileInfo(store::Connection::databasePath()).absoluteDir()) {
        ui::message(this, QStringLiteral("第二位置要选数据文件夹以外的地方，例如U盘或网络共享。"),
                    ui::MessageStyle::Warning);
        return;
    }
    store::BackupSettings(m_connection).setSecondFolder(chosen);
    load();
}

void TBackupPanel::ClearButtonClick()
{
    if (refusedToOrdinaryUser())
        return;
    store::BackupSettings(m_connection).setSecondFolder(QString());
    load();
}

void TBackupPanel::RestoreButtonClick()
{
    if (refusedToOrdinaryUser())
        return;
    TRestoreForm dialog(window());
    dialog.listCopies({store::backup::folderFor(store::Connection::databasePath()),
                       store::BackupSettings(m_connection).secondFolder()});
    if (dialog.listed().isEmpty()) {
        ui::message(this, QStringLiteral("还没有可以恢复的备份。"), ui::MessageStyle::Plain);
        return;
    }
    ui::showModal(&dialog);
    if (!dialog.staged().isEmpty())
        emit restoreReady();
}
