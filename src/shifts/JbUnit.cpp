#include "shifts/JbUnit.h"

#include "core/Error.h"
#include "ui/Guard.h"
#include "ui/Messages.h"
#include "ui/NumberKeyFilter.h"
#include "ui/Seams.h"

namespace {

// An empty box is no money; anything else must be an amount in yuan.
std::optional<sales::Fen> typedAmount(const QString& text)
{
    if (text.trimmed().isEmpty())
        return sales::Fen(0);
    return sales::parseYuan(text);
}

QString detailText(const shifts::Shift& shift)
{
    printing::ClosingSlip lines;
    shifts::addPaymentLines(lines, shift.figures);
    const shifts::CashCount cash = shift.cash();
    lines.add(QStringLiteral("现金收款："), sales::formatYuan(cash.received));
    lines.add(QStringLiteral("找零："), sales::formatYuan(cash.change));
    lines.add(QStringLiteral("现金退款："), sales::formatYuan(cash.refunded));
    QStringList shown;
    for (const printing::ClosingSlip::Line& line : lines.lines)
        shown << QStringList{line.text, line.count, line.amount}.join(QLatin1Char(' ')).simplified();
    return shown.join(QLatin1Char('\n'));
}

} // namespace

TJbForm::TJbForm(QWidget* parent) : ui::SkinnedWindow(parent), ADOConnection1(QStringLiteral("TJbForm"))
{
    setupWindow(static_cast<Ui::TJbForm&>(*this), QStringLiteral("TJbForm"), QStringLiteral("交班"), QSize(440, 470),
                ui::ControlBox | ui::Close);
    for (QLineEdit* money : {Edit4, Edit6})
        ui::installNumberKeyFilter(money, 2);
    ui::connectGuarded(Edit4, &QLineEdit::textChanged, this, &TJbForm::CashChanged);
    ui::connectGuarded(Edit6, &QLineEdit::textChanged, this, &TJbForm::CashChanged);
    ui::connectGuarded(SpeedButton1, &QToolButton::clicked, this, &TJbForm::SpeedButton1Click);
    ui::connectGuarded(SpeedButton2, &QToolButton::clicked, this, &TJbForm::SpeedButton2Click);
    ADOConnection1.open();
}

void TJbForm::setLoggedInUser(const core::LoggedInUser* user)
{
    m_loggedIn = user;
}

void TJbForm::setLoggedInAt(const QDateTime& at)
{
    m_loggedInAt = at;
}

void TJbForm::setSlipHandOff(shifts::SlipHandOff* slip)
{
    m_slip = slip;
}

QString TJbForm::cashierName() const
{
    return m_loggedIn ? m_loggedIn->name : QString();
}

void TJbForm::OpenForShift()
{
    ADOConnection1.reconnect();
    const QDateTime at = m_loggedInAt.isValid() ? m_loggedInAt : QDateTime::currentDateTime();
    m_shift = shifts::readShift(ADOConnection1, cashierName(), at, QDateTime::currentDateTime());
    showShift();
    Edit4->setText(sales::formatYuan(m_shift.floatFen));
    Edit6->clear();
    CashChanged();
    centreOnScreen();
    Edit6->setFocus();
    ui::showModal(this);
}

void TJbForm::showShift()
{
    Edit1->setText(m_shift.cashier);
    Edit2->setText(m_shift.start);
    Edit3->setText(m_shift.end);
    Memo1->setPlainText(detailText(m_shift));
}

void TJbForm::CashChanged()
{
    const std::optional<sales::Fen> floatFen = typedAmount(Edit4->text());
    shifts::Shift shift = m_shift;
    shift.floatFen = floatFen.value_or(0);
    Edit5->setText(floatFen ? sales::formatYuan(shift.expected()) : QStringLiteral("—"));
    const std::optional<sales::Fen> counted = sales::parseYuan(Edit6->text());
    Edit7->setText(floatFen && counted ? sales::formatYuan(shifts::cashDifference(*counted, shift.expected()))
                                       : QStringLiteral("—"));
}

bool TJbForm::keepTypedFloat()
{
    const std::optional<sales::Fen> floatFen = typedAmount(Edit4->text());
    if (!floatFen) {
        ui::message(this, QStringLiteral("备用金“%1”不是有效的金额。").arg(core::excerptForMessage(Edit4->text())),
                    ui::MessageStyle::Warning);
        return false;
    }
    shifts::keepFloat(ADOConnection1, m_shift, *floatFen);
    m_shift.floatFen = *floatFen;
    return true;
}

void TJbForm::SpeedButton1Click()
{
    const std::optional<sales::Fen> floatFen = typedAmount(Edit4->text());
    const std::optional<sales::Fen> counted = sales::parseYuan(Edit6->text());
    if (!floatFen || !counted) {
        const QString box = !floatFen ? QStringLiteral("备用金") : QStringLiteral("实点现金");
        const QString typed = !floatFen ? Edit4->text() : Edit6->text();
        ui::message(this,
                    typed.trimmed().isEmpty() ? QStringLiteral("请输入%1。").arg(box)
                                              : QStringLiteral("%1“%2”不是有效的金额。").arg(box, core::excerptForMessage(typed)),
                    ui::MessageStyle::Warning);
        return;
    }
    const QDateTime at = m_loggedInAt.isValid() ? m_loggedInAt : QDateTime::currentDateTime();
    shifts::HandedOver handed;
    try {
        handed = shifts::handOver(ADOConnection1, cashierName(), at, *floatFen, *counted, QDateTime::currentDateTime(),
                                  m_slip);
    } catch (const core::Error& error) {
        // Nothing was written; the cashier may try again once the printer is ready.
        ui::message(this, error.message(), ui::MessageStyle::Warning);
        return;
    }
    accept();
    emit shiftHandedOver(handed.shift.cashier);
    if (!handed.notice.isEmpty())
        ui::message(this, handed.notice, ui::MessageStyle::Warning);
    ui::message(this,
                QStringLiteral("交班完成：应有现金 %1 元，实点现金 %2 元，差额 %3 元。")
                    .arg(sales::formatYuan(handed.shift.expected()), sales::formatYuan(handed.counted),
                         sales::formatYuan(handed.difference())),
                ui::MessageStyle::Plain);
}

void TJbForm::SpeedButton2Click()
{
    if (keepTypedFloat())
        reject();
}
