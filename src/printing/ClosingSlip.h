#pragma once

#include "printing/ReceiptPrinter.h"

#include <QList>
#include <QString>

namespace report {
class Report;
}

namespace printing {

// A handover or day-close slip: a title, then lines of up to three texts standing in the receipts'
// goods, quantity and amount columns (a name, a count, an amount), or a rule.
struct ClosingSlip
{
    struct Line
    {
        QString text, count, amount;
        bool rule = false;
    };
    QString title, shopName;
    QList<Line> lines;

    void add(const QString& text, const QString& amount = {}, const QString& count = {});
    void addRule();
};

// The slip as a report on the receipt paper of that layout ("58" or "76"), in the receipts' font,
// its page as long as what it prints. Throws core::Error for any other layout.
void buildClosingSlip(report::Report& slip, const ClosingSlip& content, const QString& layout);

// Prints copies of the slip named documentName through the receipts' hand-off, as a return slip.
HandedJobs printClosingSlip(const ClosingSlip& content, const QString& layout, int copies, const QString& documentName);

} // namespace printing
