#include "settings/SettingsDialog.h"

#include "core/Error.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QLineEdit>

namespace settings {

SettingsDialog::SettingsDialog(SettingsOwner* settings, QWidget* parent)
    : ui::SkinnedWindow(parent), m_settings(settings)
{
}

void SettingsDialog::SpeedButton2Click()
{
    close();
}

SettingsOwner* SettingsDialog::settingsWindow() const
{
    if (!m_settings)
        throw core::Error(QStringLiteral("设置窗口尚未创建"));
    return m_settings;
}

AddDialog::AddDialog(SettingsOwner* settings, const QString& name, const store::Statement& table, QWidget* parent)
    : SettingsDialog(settings, parent), ADOConnection1(name), ADOQuery1(ADOConnection1, table)
{
}

void AddDialog::FormCreate()
{
    ADOConnection1.open();
    ADOQuery1.open();
}

bool AddDialog::finishAdd(std::initializer_list<QLineEdit*> boxes, const QString& done,
                          const std::function<void()>& announce, const QCheckBox* keepOpen)
{
    for (QLineEdit* box : boxes)
        box->clear();
    ui::message(this, done, ui::MessageStyle::Plain);
    announce();
    if (m_settings)
        m_settings->SettingsRequery();
    if (keepOpen->isChecked())
        return true;
    close();
    return false;
}

} // namespace settings
