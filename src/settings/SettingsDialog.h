#pragma once

#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/Guard.h"
#include "ui/SkinnedWindow.h"

#include <QPushButton>
#include <functional>
#include <initializer_list>

class QCheckBox;
class QLineEdit;

namespace settings {

// What the settings window's dialogs ask of it: the selected rows of its two grids, and a fresh
// read of them. The window outlives its dialogs.
class SettingsOwner
{
public:
    virtual bool hasSelectedUser() = 0;
    virtual QString selectedUserPassword() = 0; // as stored
    virtual void modifySelectedUser(const QString& storedPassword, const QString& right) = 0;
    virtual bool hasSelectedGoods() = 0;
    // Throws core::Error, leaving the row as it was, when another goods item has the barcode.
    virtual void modifySelectedGoods(const QString& name, const QString& price, const QString& barcode) = 0;
    virtual void SettingsRequery() = 0;

protected:
    ~SettingsOwner() = default;
};

// The small dialogs of the settings window: each works on that window's data through it, does
// its work on SpeedButton1 and closes on SpeedButton2.
class SettingsDialog : public ui::SkinnedWindow
{
    Q_OBJECT

public:
    void SpeedButton2Click();

protected:
    SettingsDialog(SettingsOwner* settings, QWidget* parent);

    // The dialog's own SpeedButton1 and SpeedButton2, which only it can reach.
    template <typename Dialog> void connectButtons(Dialog* dialog, QPushButton* speedButton1, QPushButton* speedButton2)
    {
        ui::connectGuarded(speedButton1, &QPushButton::clicked, dialog, &Dialog::SpeedButton1Click);
        ui::connectGuarded(speedButton2, &QPushButton::clicked, dialog, &Dialog::SpeedButton2Click);
        centreOnScreen();
    }

    SettingsOwner* settingsWindow() const; // throws core::Error before the settings window exists

    SettingsOwner* m_settings;
};

// The add dialogs write through a connection of their own. Once a row is in, the boxes are
// emptied, the user told, `announce` run, the settings window re-read, and the dialog closed
// unless its "continue adding" box is ticked.
class AddDialog : public SettingsDialog
{
    Q_OBJECT

public:
    store::Connection ADOConnection1;
    store::Dataset ADOQuery1;

    void FormCreate();

protected:
    AddDialog(SettingsOwner* settings, const QString& name, const store::Statement& table, QWidget* parent);

    // True when the dialog stays open for the next row.
    bool finishAdd(std::initializer_list<QLineEdit*> boxes, const QString& done, const std::function<void()>& announce,
                   const QCheckBox* keepOpen);
};

} // namespace settings
