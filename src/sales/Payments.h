#pragma once

#include "sales/Money.h"

#include <QList>
#include <QString>

#include <optional>

namespace sales {

// How a customer pays; the names are what xsfk.方式 holds and what the receipt prints.
enum class PayMethod { Cash, WeChat, Alipay, Card };

QString methodName(PayMethod method);                          // 现金, 微信, 支付宝, 银行卡
std::optional<PayMethod> methodFromName(const QString& name);  // the reverse; unknown text gives nothing
const QList<PayMethod>& allMethods();                          // in the order of their keys F6..F9

// One payment of a sale (a split has two), or one refund of a return (negative amount).
// received and change are kept for cash only; for other methods they are 0.
struct Payment
{
    PayMethod method = PayMethod::Cash;
    Fen amount = 0;
    Fen received = 0;
    Fen change = 0;
};

} // namespace sales
