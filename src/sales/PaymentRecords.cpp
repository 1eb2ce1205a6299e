#include "sales/PaymentRecords.h"

#include "store/Catalogue.h"
#include "store/Dataset.h"
#include "store/Numbers.h"

#include <cmath>

namespace sales {

namespace {

Fen fenField(store::Dataset& rows, const QString& column)
{
    const QString text = rows.field(column);
    return text.isEmpty() ? 0 : static_cast<Fen>(std::llround(store::parseNumber(text)));
}

} // namespace

QList<Payment> paymentsOf(store::Dataset& rows)
{
    QList<Payment> payments;
    for (rows.first(); !rows.eof(); rows.next()) {
        Payment payment;
        payment.method = methodFromName(rows.field(QStringLiteral("方式"))).value_or(PayMethod::Cash);
        payment.amount = fenField(rows, QStringLiteral("金额"));
        payment.received = fenField(rows, QStringLiteral("实收"));
        payment.change = fenField(rows, QStringLiteral("找零"));
        payments.append(payment);
    }
    return payments;
}

QList<Payment> recordedPayments(store::Connection& connection, const QString& number, const QString& dueText)
{
    store::Dataset rows(connection, store::sql::XsfkOfSale, number);
    rows.open();
    QList<Payment> payments = paymentsOf(rows);
    if (payments.isEmpty()) {
        long double due = 0;
        if (store::tryParseNumber(dueText, &due))
            payments.append({PayMethod::Cash, fenOf(double(due))});
    }
    return payments;
}

} // namespace sales
