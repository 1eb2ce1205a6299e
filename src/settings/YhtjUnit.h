#pragma once

#include "settings/SettingsDialog.h"
#include "ui_YhtjUnit.h"

// Adds cashier accounts through its own connection, then has the settings window re-read.
class TYhtjForm : public settings::AddDialog, private Ui::TYhtjForm
{
    Q_OBJECT

public:
    explicit TYhtjForm(settings::SettingsOwner* settings, QWidget* parent = nullptr);

    // What the settings window's "添加" does before showing it.
    void emptyBoxes();
    void SpeedButton1Click(); // ADOQuery1 holds username

signals:
    void usersChanged();
};
