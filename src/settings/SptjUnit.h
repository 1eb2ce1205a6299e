#pragma once

#include "settings/SettingsDialog.h"
#include "ui_SptjUnit.h"

// Adds goods through its own connection; shown without blocking beside the settings window,
// whose grids it has re-read after each add.
class TSptjForm : public settings::AddDialog, private Ui::TSptjForm
{
    Q_OBJECT

public:
    explicit TSptjForm(settings::SettingsOwner* settings, QWidget* parent = nullptr);

    // What the settings window's "添加" does before showing it.
    void emptyBoxes();
    void SpeedButton1Click(); // ADOQuery1 holds spxx
    // Asked from the counter for a code the catalogue lacks: shown modally with the code filled in.
    void addWithBarcode(const QString& barcode);

signals:
    void goodsChanged();
};
