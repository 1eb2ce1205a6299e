#include "settings/YhxgUnit.h"

#include "settings/XtUnit.h"
#include "store/Error.h"
#include "store/Passwords.h"
#include "ui/Fonts.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

#include <QShowEvent>

namespace {

void paintButtonFace(QLineEdit* box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
}

} // namespace

TYhxgForm::TYhxgForm(TXtForm* settings, QWidget* parent) : ui::SkinnedWindow(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TYhxgForm"));
    setupSkin(QStringLiteral("修改用户信息"), QSize(262, 274), ui::ControlBox | ui::Close);
    setupUi(clientArea());
    clientArea()->setFont(ui::songFont(15));
    paintButtonFace(Edit1);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TYhxgForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TYhxgForm::SpeedButton2Click);
    centreOnScreen();
}

void TYhxgForm::showEvent(QShowEvent* event)
{
    ui::SkinnedWindow::showEvent(event);
    if (!event->spontaneous())
        ui::runGuarded(this, [this] { FormShow(); });
}

void TYhxgForm::FormShow()
{
    Edit2->setFocus();
}

void TYhxgForm::SpeedButton1Click()
{
    if (!m_settings)
        throw store::Error(QStringLiteral("设置窗口尚未创建"));
    store::Dataset& users = m_settings->ADOQuery1;
    // With no row to stand on, an edit would insert a nameless account.
    if (users.recordCount() == 0) {
        ui::message(this, QStringLiteral("用户信息为空！"), ui::MessageStyle::Error);
        return;
    }
    if (!store::verifyPassword(Edit2->text(), users.field(QStringLiteral("密码")))) {
        ui::message(this, QStringLiteral("旧密码输入错误！"), ui::MessageStyle::Error);
        Edit2->clear();
        Edit3->clear();
        return;
    }
    const QString password = store::hashPassword(Edit3->text());
    users.edit();
    users.setField(QStringLiteral("密码"), password);
    users.setField(QStringLiteral("权限"), ComboBox1->currentText());
    users.post();
    ui::message(this, QStringLiteral("修改用户信息成功！"), ui::MessageStyle::Plain);
    close();
}

void TYhxgForm::SpeedButton2Click()
{
    close();
}
