#pragma once

#include "sales/Payments.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sales {

// How the cashier means the sale to be paid: one method, or a split in which the second method
// takes secondAmount and the first the rest of the amount due.
struct PaymentChoice
{
    PayMethod first = PayMethod::Cash;
    std::optional<PayMethod> second;
    Fen secondAmount = 0;

    bool isSplit() const { return second.has_value(); }
    bool takesCash() const { return first == PayMethod::Cash || second == PayMethod::Cash; }
};

// What the counter shows beside the totals: "现金", "微信", "现金+微信 18.38".
QString choiceCaption(const PaymentChoice& choice);

// The part of the amount due to be paid in cash, for which the received box counts and change is
// given; nothing when no cash is taken. A split whose second amount no longer fits the amount due
// gives nothing either.
std::optional<Fen> cashPart(const PaymentChoice& choice, Fen due);

// The payments of the sale, or why it cannot be paid so.
struct Settlement
{
    QList<Payment> payments;
    Fen received = 0; // all that was handed over: the cash received and the other methods' amounts
    Fen change = 0;
    QString refusal;  // empty when the sale may be printed
};

// receivedText is what the received box holds; it counts only where cash is taken.
Settlement settle(const PaymentChoice& choice, Fen due, const QString& receivedText);

// The message for cash received below what is owed in cash.
QString notEnoughReceived();

// How a recorded sale was paid, as its list shows it: "微信", "现金 20.00+微信 18.38";
// no payments (a sale older than the payments) is "现金".
QString describePayments(const QList<Payment>& payments);

// The receipt's lines, one a payment: "付款方式：微信 38.38".
QStringList receiptPaymentLines(const QList<Payment>& payments);

} // namespace sales
