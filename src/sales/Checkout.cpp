#include "sales/Checkout.h"

namespace sales {

namespace {

bool splitFits(const PaymentChoice& choice, Fen due)
{
    return choice.secondAmount > 0 && choice.secondAmount < due && choice.second != choice.first;
}

} // namespace

QString choiceCaption(const PaymentChoice& choice)
{
    if (!choice.isSplit())
        return methodName(choice.first);
    return methodName(choice.first) + QLatin1Char('+') + methodName(*choice.second) + QLatin1Char(' ') +
           formatYuan(choice.secondAmount);
}

std::optional<Fen> cashPart(const PaymentChoice& choice, Fen due)
{
    if (!choice.isSplit())
        return choice.first == PayMethod::Cash ? std::optional<Fen>(due) : std::nullopt;
    if (!choice.takesCash() || !splitFits(choice, due))
        return std::nullopt;
    return choice.first == PayMethod::Cash ? due - choice.secondAmount : choice.secondAmount;
}

QString notEnoughReceived()
{
    return QStringLiteral("实收金额不足");
}

Settlement settle(const PaymentChoice& choice, Fen due, const QString& receivedText)
{
    Settlement settlement;
    if (choice.isSplit() && !splitFits(choice, due)) {
        settlement.refusal = QStringLiteral("组合付款的金额 %1 必须大于 0 并小于应收金额 %2，请按 F11 重新输入。")
                                 .arg(formatYuan(choice.secondAmount), formatYuan(due));
        return settlement;
    }
    QList<Payment> parts;
    if (choice.isSplit())
        parts = {{choice.first, due - choice.secondAmount}, {*choice.second, choice.secondAmount}};
    else
        parts = {{choice.first, due}};

    for (Payment& part : parts) {
        if (part.method != PayMethod::Cash) {
            settlement.received += part.amount;
            continue;
        }
        const std::optional<Fen> received = parseYuan(receivedText);
        if (!received || *received < part.amount) {
            settlement.refusal = notEnoughReceived();
            return settlement;
        }
        part.received = *received;
        part.change = *received - part.amount;
        settlement.received += part.received;
        settlement.change = part.change;
    }
    settlement.payments = parts;
    return settlement;
}

QString describePayments(const QList<Payment>& payments)
{
    if (payments.isEmpty())
        return methodName(PayMethod::Cash);
    if (payments.size() == 1)
        return methodName(payments.first().method);
    QStringList parts;
    for (const Payment& payment : payments)
        parts << methodName(payment.method) + QLatin1Char(' ') + formatYuan(payment.amount);
    return parts.join(QLatin1Char('+'));
}

QStringList receiptPaymentLines(const QList<Payment>& payments)
{
    QStringList lines;
    for (const Payment& payment : payments)
        lines << QStringLiteral("付款方式：%1 %2").arg(methodName(payment.method), formatYuan(payment.amount));
    return lines;
}

} // namespace sales
