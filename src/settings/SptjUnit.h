#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_SptjUnit.h"

class TXtForm;

// Adds goods through its own connection; shown without blocking beside the settings window,
// whose grids it has re-read after each add.
class TSptjForm : public ui::SkinnedWindow, public Ui::TSptjForm
{
    Q_OBJECT

public:
    explicit TSptjForm(TXtForm* settings, QWidget* parent = nullptr);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // spxx

    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton2Click();

signals:
    void goodsChanged();

private:
    TXtForm* m_settings;
};
