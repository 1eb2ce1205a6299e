#pragma once

#include "printing/ReceiptPrinter.h"
#include "ui/NestedOverride.h"

#include <QString>
#include <optional>

namespace report {
class Report;
}

namespace printing {

// Fails with core::Error when there is no printer to take a job, or the default queue is stopped,
// refuses jobs or carries receipt options it cannot use, so a print run can refuse before it
// writes anything.
void requirePrinter();

// copies receipts of the report's one page (paper = the report's width × length) named
// documentName, on the system default printer, or to the PrintHook installed. A queue
// with a driver gets one PDF job per copy; a raw queue (or receipt-printer-default=escpos-...)
// one ESC/POS job holding every copy, each cut. wideLayout: the 76 mm receipt. Throws
// core::Error with the reason when the queue is not ready or refuses the job.
HandedJobs printReceiptJobs(report::Report& report, int copies, const QString& documentName, bool wideLayout);

// The ESC/POS settings a receipt of that width would be printed with now, or none for a PDF
// queue or when no printer can be asked (the preview then shows the page).
std::optional<EscPosSettings> receiptEscPos(bool wideLayout);

// How long a print run waits for CUPS to finish a receipt before telling why it is still waiting.
int jobWaitMs();
void setJobWaitMs(int milliseconds);

// The text of the error when no printer can take a job.
QString noDefaultPrinterText();

// Where a test takes the print jobs instead of the default printer (tests/support/PrintCapture.h).
// While one lives it gets every job; hooks nest, the newest wins, and its destructor brings
// back the one before.
class PrintHook : public ui::NestedOverride<PrintHook>
{
public:
    virtual ~PrintHook() = default;
    virtual bool hasPrinter() const = 0;
    virtual std::optional<EscPosSettings> escPos(bool wideLayout) const = 0;
    // One copy; throws core::Error as a refusing printer would.
    virtual void handle(report::Report& report, const QString& documentName, bool wideLayout) = 0;
};

} // namespace printing
