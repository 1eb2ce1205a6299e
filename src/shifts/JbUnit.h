#pragma once

#include "core/LoggedInUser.h"
#include "shifts/Shift.h"
#include "store/Connection.h"
#include "ui/SkinnedWindow.h"
#include "ui_JbUnit.h"

#include <QDateTime>

namespace shifts {
class SlipHandOff;
}

// "交班": the logged-in cashier's shift up to now, the float and the counted cash against the
// cash expected; "打印" records the shift, prints the handover slip, and the next shift begins.
// Opened from the main window ("交班", F10) by every user.
class TJbForm : public ui::SkinnedWindow, private Ui::TJbForm
{
    Q_OBJECT

public:
    explicit TJbForm(QWidget* parent = nullptr);

    store::Connection ADOConnection1;

    // Kept by Forms for the run; read at each opening.
    void setLoggedInUser(const core::LoggedInUser* user);
    void setLoggedInAt(const QDateTime& at); // a shift never handed over starts here
    void setSlipHandOff(shifts::SlipHandOff* slip);

    // Reads the shift up to now into the boxes and shows the dialog.
    void OpenForShift();

    void CashChanged();       // 备用金 or 实点现金 typed: the cash expected and the difference follow
    void SpeedButton1Click(); // "打印"
    void SpeedButton2Click(); // "关闭": a float typed is kept for the shift

signals:
    void shiftHandedOver(const QString& cashier);

private:
    QString cashierName() const;
    void showShift();
    bool keepTypedFloat(); // false when it is no amount (told)

    const core::LoggedInUser* m_loggedIn = nullptr;
    QDateTime m_loggedInAt;
    shifts::SlipHandOff* m_slip = nullptr;
    shifts::Shift m_shift;
};
