#pragma once

#include "sales/Payments.h"
#include "ui/SkinnedWindow.h"
#include "ui_ZhfkUnit.h"

#include <optional>

// "组合付款": a sale paid two ways. The first method is the one chosen at the counter; here the
// cashier picks the second and the amount it takes, and the first pays the rest.
class TZhfkForm : public ui::SkinnedWindow, private Ui::TZhfkForm
{
    Q_OBJECT

public:
    explicit TZhfkForm(QWidget* parent = nullptr);

    struct Split
    {
        sales::PayMethod second;
        sales::Fen amount;
    };

    // Fills the boxes for a split of due beginning with first, shows the dialog modally
    // (ui::showModal) and gives what was confirmed; nothing when cancelled or not a split of due.
    std::optional<Split> askSplit(sales::PayMethod first, sales::Fen due);

    void SpeedButton1Click(); // "确定": a fitting amount closes the dialog, else it is told
    void SpeedButton2Click(); // "取消"
    void Edit1Change();       // the first method's share follows the amount typed

    // What the boxes hold, when it is a split of the amount due: more than 0 and less than it.
    std::optional<Split> enteredSplit() const;

private:
    QString amountRefusal() const;

    sales::PayMethod m_first = sales::PayMethod::Cash;
    sales::Fen m_due = 0;
};
