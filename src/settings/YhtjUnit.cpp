#include "settings/YhtjUnit.h"

#include "settings/XtUnit.h"
#include "store/Catalogue.h"
#include "store/Passwords.h"
#include "ui/Guard.h"
#include "ui/Messages.h"

TYhtjForm::TYhtjForm(TXtForm* settings, QWidget* parent)
    : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TYhtjForm")),
      ADOQuery1(ADOConnection1, store::sql::SelectUsername), m_settings(settings)
{
    setupWindow(*this, QStringLiteral("TYhtjForm"), QStringLiteral("添加新用户"), QSize(264, 246),
                ui::ControlBox | ui::Close);
    ComboBox1->setCurrentIndex(0);
    ui::connectGuarded(SpeedButton1, &QPushButton::clicked, this, &TYhtjForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QPushButton::clicked, this, &TYhtjForm::SpeedButton2Click);
    centreOnScreen();
    FormCreate();
}

void TYhtjForm::FormCreate()
{
    ADOConnection1.open();
    ADOQuery1.open();
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
    Edit1->clear();
    Edit2->clear();
    ui::message(this, QStringLiteral("添加用户成功！"), ui::MessageStyle::Plain);
    emit usersChanged();
    if (m_settings)
        m_settings->SettingsRequery();
    if (!CheckBox1->isChecked())
        close();
}

void TYhtjForm::SpeedButton2Click()
{
    close();
}
