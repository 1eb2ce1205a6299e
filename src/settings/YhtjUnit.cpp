#include "settings/YhtjUnit.h"

#include "store/Catalogue.h"
#include "store/Passwords.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

TYhtjForm::TYhtjForm(settings::SettingsOwner* settings, QWidget* parent)
    : settings::AddDialog(settings, QStringLiteral("TYhtjForm"), store::sql::SelectUsername, parent)
{
    setupWindow(static_cast<Ui::TYhtjForm&>(*this), QStringLiteral("TYhtjForm"), QStringLiteral("添加新用户"),
                QSize(264, 246), ui::ControlBox | ui::Close);
    ComboBox1->setCurrentIndex(0);
    connectButtons(this, SpeedButton1, SpeedButton2);
    FormCreate();
}

void TYhtjForm::emptyBoxes()
{
    Edit1->clear();
    Edit2->clear();
}

void TYhtjForm::SpeedButton1Click()
{
    if (Edit1->text().isEmpty()) {
        ui::message(this, QStringLiteral("用户名不能为空！"), ui::MessageStyle::Plain);
        return;
    }
    // Hashed before the row is begun, so a failure leaves no half-written row behind.
    const QString password = store::hashPassword(Edit2->text());
    ADOQuery1.append();
    ADOQuery1.setField(QStringLiteral("用户名"), Edit1->text());
    ADOQuery1.setField(QStringLiteral("密码"), password);
    ADOQuery1.setField(QStringLiteral("权限"), ComboBox1->currentText());
    ADOQuery1.post();
    finishAdd(
        {Edit1, Edit2}, QStringLiteral("添加用户成功！"), [this] { emit usersChanged(); }, CheckBox1);
}
