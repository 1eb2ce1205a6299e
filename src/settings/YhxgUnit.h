#pragma once

#include "core/LoggedInUser.h"
#include "settings/SettingsDialog.h"
#include "ui_YhxgUnit.h"

// Changes the password and right of the user selected in the settings window's users grid,
// which the settings window writes. Who logged in decides whether the
// old password is asked: an administrator changing someone else's account needs none. The new
// password is typed twice (Edit3, Edit5).
class TYhxgForm : public settings::SettingsDialog, private Ui::TYhxgForm
{
    Q_OBJECT

public:
    explicit TYhxgForm(settings::SettingsOwner* settings, QWidget* parent = nullptr);

    // The run's login, kept by Forms; without one the old password is always asked.
    void setLoggedInUser(const core::LoggedInUser* user);

    // What the settings window's "修改" does before showing it: the selected account in the boxes.
    void showAccount(const QString& name, const QString& right);

    void FormShow();
    void SpeedButton1Click();

private:
    bool oldPasswordNeeded() const;
    void emptyPasswordBoxes();

    const core::LoggedInUser* m_loggedIn = nullptr;
};
