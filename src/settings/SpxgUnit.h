#pragma once

#include "settings/SettingsDialog.h"
#include "ui_SpxgUnit.h"

// Changes the name and price of the goods selected in the settings window's goods grid;
// it edits that row of the settings window's dataset directly.
class TSpxgForm : public settings::SettingsDialog, public Ui::TSpxgForm
{
    Q_OBJECT

public:
    explicit TSpxgForm(TXtForm* settings, QWidget* parent = nullptr);

    void SpeedButton1Click();

signals:
    void goodsChanged();
};
