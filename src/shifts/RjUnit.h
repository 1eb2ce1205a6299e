#pragma once

#include "core/LoggedInUser.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_RjUnit.h"

namespace shifts {
class SlipHandOff;
}

// "日结": the business day not yet closed, as its report would read, and the days closed before;
// an administrator closes the day ("打印日结": a numbered report kept and printed) and prints a
// kept report again ("重印"). Opened from 销售统计.
class TRjForm : public ui::SkinnedWindow, private Ui::TRjForm
{
    Q_OBJECT

public:
    explicit TRjForm(QWidget* parent = nullptr);

    store::Connection ADOConnection1;

    void setLoggedInUser(const core::LoggedInUser* user);
    void setSlipHandOff(shifts::SlipHandOff* slip);

    // Columns of TableWidget1, the kept closes, newest first.
    enum Column
    {
        NumberColumn,
        StartColumn,
        EndColumn,
        SalesColumn,
        AmountColumn,
    };

    // Reads the open day and the kept closes and shows the dialog; refused to all but administrators.
    void OpenDayClose();
    void SpeedButton1Click(); // "打印日结"
    void SpeedButton2Click(); // "重印" the chosen close
    void SpeedButton3Click(); // "关闭"

private:
    bool loggedInAsAdministrator() const;
    void showOpenDay();
    void listCloses();

    const core::LoggedInUser* m_loggedIn = nullptr;
    shifts::SlipHandOff* m_slip = nullptr;
};
