#pragma once

#include "settings/SettingsDialog.h"
#include "ui_YhxgUnit.h"

// Changes the password and right of the user selected in the settings window's users grid;
// it edits that row of the settings window's dataset directly. The login leaves who logged in
// and their right in the hidden Edit6 and Edit7: an administrator changing someone else's
// account needs no old password. The new password is typed twice (Edit3, Edit5).
class TYhxgForm : public settings::SettingsDialog, public Ui::TYhxgForm
{
    Q_OBJECT

public:
    explicit TYhxgForm(TXtForm* settings, QWidget* parent = nullptr);

    void FormShow();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool oldPasswordNeeded() const;
    void emptyPasswordBoxes();
};
