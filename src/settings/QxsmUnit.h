#pragma once

#include "ui/SkinnedWindow.h"
#include "ui_QxsmUnit.h"

// What an ordinary user may not do, as the login's rights model sets it.
class TQxsmForm : public ui::SkinnedWindow, private Ui::TQxsmForm
{
    Q_OBJECT

public:
    explicit TQxsmForm(QWidget* parent = nullptr);

    void SpeedButton1Click();
};
