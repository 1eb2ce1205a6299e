#pragma once

#include "core/LoggedInUser.h"
#include "store/Connection.h"
#include "store/Dataset.h"
#include "ui/SkinnedWindow.h"
#include "ui_LoginUnit.h"

#include <QString>
#include <functional>

// The login gate's window. Created, shown modally and destroyed by Forms, which applies a
// confirmed login's outcome to the other windows: the cashier, the status bar and the rights.
class TLoginForm : public ui::SkinnedWindow, private Ui::TLoginForm
{
    Q_OBJECT

public:
    // firstSteps run at creation before the user list is filled (the desktop entry, emptying the
    // unprinted sale); one that fails is reported and stops the steps after it.
    explicit TLoginForm(std::function<void()> firstSteps = {}, QWidget* parent = nullptr);
    ~TLoginForm() override;

    store::Connection ADOConnection1;
    store::Dataset ADOQuery1; // username

    void FormCreate();
    void FormShow();
    void SpeedButton1Click(); // 确定
    void SpeedButton2Click(); // 关闭

    // Who logged in, once SpeedButton1Click has accepted; empty before.
    const core::LoggedInUser& outcome() const { return m_outcome; }

private:
    void fillUserList();

    std::function<void()> m_firstSteps;
    core::LoggedInUser m_outcome;
};
