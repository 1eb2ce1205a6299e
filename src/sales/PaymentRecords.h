#pragma once

#include "sales/Payments.h"

#include <QList>
#include <QString>

namespace store {
class Connection;
class Dataset;
} // namespace store

namespace sales {

// The payments in rows of xsfk (单号, 方式, 金额, 实收, 找零), in their order.
QList<Payment> paymentsOf(store::Dataset& rows);

// How the recorded sale number was paid, read on connection. A sale without payment rows was paid
// in cash, the whole amount due (its 折后 as recorded, dueText).
QList<Payment> recordedPayments(store::Connection& connection, const QString& number, const QString& dueText);

} // namespace sales
