#include "shell/ZhfkUnit.h"

#include "sales/Money.h"
#include "ui/ControlEvents.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"
#include "ui/Seams.h"
#include "ui/SelectOnEntry.h"

TZhfkForm::TZhfkForm(QWidget* parent) : ui::SkinnedWindow(parent)
{
    setupWindow(static_cast<Ui::TZhfkForm&>(*this), QStringLiteral("TZhfkForm"), QStringLiteral("组合付款"),
                QSize(300, 210), ui::ControlBox | ui::Close);
    ui::installNumberKeyFilter(Edit1, 2);
    ui::selectAllOnEntry(Edit1);
    ComboBox1->setAccessibleName(QStringLiteral("第二种"));
    Edit1->setAccessibleName(QStringLiteral("金额"));
    Label2->setAccessibleName(QStringLiteral("应收金额"));
    Label4->setAccessibleName(QStringLiteral("第一种"));
    SpeedButton1->setAccessibleName(SpeedButton1->text());
    SpeedButton2->setAccessibleName(SpeedButton2->text());
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TZhfkForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TZhfkForm::SpeedButton2Click);
    ui::connectGuarded(Edit1, &QLineEdit::textChanged, this, &TZhfkForm::Edit1Change);
    ui::onEnterKey(Edit1, this, [this] { SpeedButton1Click(); });
    centreOnScreen();
}

std::optional<TZhfkForm::Split> TZhfkForm::askSplit(sales::PayMethod first, sales::Fen due)
{
    m_first = first;
    m_due = due;
    Label2->setText(sales::formatYuan(due));
    ComboBox1->clear();
    for (sales::PayMethod method : sales::allMethods()) {
        if (method != first)
            ComboBox1->addItem(sales::methodName(method), int(method));
    }
    Edit1->clear();
    Edit1Change();
    ComboBox1->setFocus();
    if (ui::showModal(this) != QDialog::Accepted)
        return std::nullopt;
    const std::optional<Split> split = enteredSplit();
    if (!split)
        ui::message(this, amountRefusal(), ui::MessageStyle::Warning);
    return split;
}

QString TZhfkForm::amountRefusal() const
{
    return QStringLiteral("第二种付款的金额必须大于 0 并小于应收金额 %1。").arg(sales::formatYuan(m_due));
}

std::optional<TZhfkForm::Split> TZhfkForm::enteredSplit() const
{
    const std::optional<sales::Fen> amount = sales::parseYuan(Edit1->text());
    if (!amount || *amount <= 0 || *amount >= m_due || ComboBox1->currentIndex() < 0)
        return std::nullopt;
    return Split{static_cast<sales::PayMethod>(ComboBox1->currentData().toInt()), *amount};
}

void TZhfkForm::Edit1Change()
{
    const std::optional<sales::Fen> amount = sales::parseYuan(Edit1->text());
    const sales::Fen rest = amount && *amount < m_due ? m_due - *amount : m_due;
    Label4->setText(sales::methodName(m_first) + QLatin1Char(' ') + sales::formatYuan(rest));
}

void TZhfkForm::SpeedButton1Click()
{
    if (!enteredSplit()) {
        ui::message(this, amountRefusal(), ui::MessageStyle::Warning);
        Edit1->setFocus();
        return;
    }
    accept();
}

void TZhfkForm::SpeedButton2Click()
{
    reject();
}
