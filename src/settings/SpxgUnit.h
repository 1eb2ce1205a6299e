#pragma once

#include "settings/SettingsDialog.h"
#include "ui_SpxgUnit.h"

// Changes the name and price of the goods selected in the settings window's goods grid, which
// the settings window writes.
class TSpxgForm : public settings::SettingsDialog, private Ui::TSpxgForm
{
    Q_OBJECT

public:
    explicit TSpxgForm(settings::SettingsOwner* settings, QWidget* parent = nullptr);

    // What the settings window's "修改" does before showing it: the selected goods in the boxes.
    void showGoods(const QString& name, const QString& price, const QString& barcode);
    void SpeedButton1Click();

signals:
    void goodsChanged();
};
