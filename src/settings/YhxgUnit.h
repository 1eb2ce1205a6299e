#pragma once

#include "ui/SkinnedWindow.h"
#include "ui_YhxgUnit.h"

class TXtForm;

// Changes the password and right of the user selected in the settings window's users grid;
// it edits that row of the settings window's dataset directly.
class TYhxgForm : public ui::SkinnedWindow, public Ui::TYhxgForm
{
    Q_OBJECT

public:
    explicit TYhxgForm(TXtForm* settings, QWidget* parent = nullptr);

    void FormShow();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TXtForm* m_settings;
};
