#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QtGlobal>

namespace store {

class Connection;

// A sold line of a history sale, with what the sale's returns already took back of it (positive).
struct SoldLine
{
    qint64 rowid = 0;
    QString customer, phone, goods;
    QVariant unitPrice; // as stored; null when none
    double quantity = 0, amount = 0, afterDiscount = 0;
    double returnedQuantity = 0, returnedAmount = 0, returnedAfterDiscount = 0;
};

// A history entry by its receipt number, as a return needs it.
struct SaleOnRecord
{
    int entries = 0;      // xstj rows holding the number
    QString originalNumber; // 原单号: not empty when the entry is itself a return
    QString number, time, cashier;
    double quantity = 0, amount = 0, afterDiscount = 0;
    double returnedQuantity = 0, returnedAmount = 0, returnedAfterDiscount = 0; // its returns' sums, positive
    QString firstPaymentMethod; // its first xsfk row's 方式; "" when it has none
    QList<SoldLine> lines;      // in the order they were recorded
};

SaleOnRecord readSaleOnRecord(Connection& connection, const QString& number);

// Whether any xstj entry holds the number.
bool receiptNumberTaken(Connection& connection, const QString& number);

// How many returns name the sale as theirs.
int returnsOfSale(Connection& connection, const QString& number);

struct ReturnLineRow
{
    qint64 soldRow = 0;
    QString customer, phone, goods;
    QVariant unitPrice;
    double quantity = 0, amount = 0, afterDiscount = 0; // negative
};

struct ReturnRows
{
    QString number, time, cashier, originalNumber, authorisedBy; // authorisedBy "" stores NULL
    double quantity = 0, amount = 0, afterDiscount = 0;         // negative
    QList<ReturnLineRow> lines;
    QString refundMethod;
    qint64 refundFen = 0; // negative
};

// The xstj row, the xsmx rows and the xsfk refund row; the caller holds the transaction.
void insertReturnRows(Connection& connection, const ReturnRows& rows);

// The payments kept under a receipt number, for when its entry is deleted.
void deletePaymentsOf(Connection& connection, const QString& number);

} // namespace store
