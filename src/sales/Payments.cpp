#include "sales/Payments.h"

namespace sales {

QString methodName(PayMethod method)
{
    switch (method) {
    case PayMethod::Cash:
        return QStringLiteral("现金");
    case PayMethod::WeChat:
        return QStringLiteral("微信");
    case PayMethod::Alipay:
        return QStringLiteral("支付宝");
    case PayMethod::Card:
        return QStringLiteral("银行卡");
    }
    return QStringLiteral("现金");
}

std::optional<PayMethod> methodFromName(const QString& name)
{
    for (PayMethod method : allMethods())
        if (methodName(method) == name)
            return method;
    return std::nullopt;
}

const QList<PayMethod>& allMethods()
{
    static const QList<PayMethod> methods = {PayMethod::Cash, PayMethod::WeChat, PayMethod::Alipay, PayMethod::Card};
    return methods;
}

} // namespace sales
