#pragma once

#include "printing/ReceiptPrinter.h"

#include <QList>
#include <QString>

namespace report {
class Report;
}

namespace printing {

// What a return slip shows; amounts and quantities as they are to be printed.
struct ReturnSlip
{
    struct Line
    {
        QString goods, quantity, amount;
    };
    QString shopName, number, originalNumber, time, cashier, authorisedBy, refund, method;
    QList<Line> lines;
};

// The slip as a report on the receipt paper of that layout ("58" or "76"), in the receipts' font,
// its page as long as what it prints. Throws core::Error for any other layout.
void buildReturnSlip(report::Report& slip, const ReturnSlip& content, const QString& layout);

// Prints copies of the slip ("退货单 " + number) through the receipts' hand-off: the default queue
// or the print hook, ESC/POS or PDF as the queue takes it. Throws core::Error as a receipt does.
HandedJobs printReturnSlip(const ReturnSlip& content, const QString& layout, int copies);

} // namespace printing
