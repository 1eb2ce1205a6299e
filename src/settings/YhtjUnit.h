#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_YhtjUnit.h"

class TXtForm;

// Adds cashier accounts through its own connection, then has the settings window re-read.
class TYhtjForm : public ui::SkinnedWindow, public Ui::TYhtjForm
{
    Q_OBJECT

public:
    explicit TYhtjForm(TXtForm* settings, QWidget* parent = nullptr);

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // username

    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton2Click();

signals:
    void usersChanged();

private:
    TXtForm* m_settings;
};
