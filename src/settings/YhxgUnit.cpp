#include "settings/YhxgUnit.h"

#include "core/Error.h"
#include "core/LoggedInUser.h"
#include "store/Passwords.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

namespace {

void paintButtonFace(QLineEdit* box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
}

} // namespace

TYhxgForm::TYhxgForm(settings::SettingsOwner* settings, QWidget* parent) : settings::SettingsDialog(settings, parent)
{
    setupWindow(static_cast<Ui::TYhxgForm&>(*this), QStringLiteral("TYhxgForm"), QStringLiteral("修改用户信息"),
                QSize(262, 274), ui::ControlBox | ui::Close);
    paintButtonFace(Edit1);
    connectButtons(this, SpeedButton1, SpeedButton2);
    setShowHandler([this] { FormShow(); });
}

void TYhxgForm::setLoggedInUser(const core::LoggedInUser* user)
{
    m_loggedIn = user;
}

void TYhxgForm::showAccount(const QString& name, const QString& right)
{
    Edit2->clear();
    Edit3->clear();
    Edit5->clear();
    Edit1->setText(name);
    Edit4->setText(right);
    ComboBox1->setCurrentIndex(Edit4->text() == QStringLiteral("管理员") ? 0 : 1);
}

void TYhxgForm::FormShow()
{
    const bool needed = oldPasswordNeeded();
    Edit2->setEnabled(needed);
    Edit2->setPlaceholderText(needed ? QString() : QStringLiteral("管理员无需填写"));
    if (needed)
        Edit2->setFocus();
    else
        Edit3->setFocus();
}

// An administrator sets a new password for someone who forgot theirs; their own account, and
// everyone else's accounts, still need the password in use.
bool TYhxgForm::oldPasswordNeeded() const
{
    return !m_loggedIn || !m_loggedIn->isAdministrator() || Edit1->text() == m_loggedIn->name;
}

void TYhxgForm::emptyPasswordBoxes()
{
    Edit2->clear();
    Edit3->clear();
    Edit5->clear();
}

void TYhxgForm::SpeedButton1Click()
{
    settings::SettingsOwner* owner = settingsWindow();
    // With no row to stand on, an edit would insert a nameless account.
    if (!owner->hasSelectedUser()) {
        ui::message(this, QStringLiteral("用户信息为空！"), ui::MessageStyle::Error);
        return;
    }
    if (oldPasswordNeeded() && !store::verifyPassword(Edit2->text(), owner->selectedUserPassword())) {
        ui::message(this, QStringLiteral("旧密码输入错误！"), ui::MessageStyle::Error);
        emptyPasswordBoxes();
        return;
    }
    // One mistyped character would otherwise lock the user out.
    if (Edit3->text() != Edit5->text()) {
        ui::message(this, QStringLiteral("两次输入的新密码不一致！"), ui::MessageStyle::Error);
        Edit3->clear();
        Edit5->clear();
        Edit3->setFocus();
        return;
    }
    const QString password = store::hashPassword(Edit3->text());
    owner->modifySelectedUser(password, ComboBox1->currentText());
    ui::message(this, QStringLiteral("修改用户信息成功！"), ui::MessageStyle::Plain);
    close();
}
