#pragma once

#include "ui/SkinnedWindow.h"
#include "ui_SpxgUnit.h"

class TXtForm;

// Changes the name and price of the goods selected in the settings window's goods grid;
// it edits that row of the settings window's dataset directly.
class TSpxgForm : public ui::SkinnedWindow, public Ui::TSpxgForm
{
    Q_OBJECT

public:
    explicit TSpxgForm(TXtForm* settings, QWidget* parent = nullptr);

    void SpeedButton1Click();
    void SpeedButton2Click();

signals:
    void goodsChanged();

private:
    TXtForm* m_settings;
};
