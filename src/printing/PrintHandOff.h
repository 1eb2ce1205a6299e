#pragma once

#include "printing/ReceiptPrinter.h"
#include "ui/NestedOverride.h"
#include "ui/report/Elements.h"

#include <QList>
#include <QString>
#include <optional>

namespace report {
class Report;
}

namespace printing {

// Fails with store::Error when there is no printer to take a job, or the default queue is stopped,
// refuses jobs or carries receipt options it cannot use, so a print run can refuse before it
// writes anything.
void requirePrinter();

// copies receipts of the report's one page (paper = the report's width × length) named
// documentName, on the system default printer, or wherever a PrintCapture sends them. A queue
// with a driver gets one PDF job per copy; a raw queue (or receipt-printer-default=escpos-...)
// one ESC/POS job holding every copy, each cut. wideLayout: the 76 mm receipt. Throws
// store::Error with the reason when the queue is not ready or refuses the job.
HandedJobs printReceiptJobs(report::Report& report, int copies, const QString& documentName, bool wideLayout);

// The ESC/POS settings a receipt of that width would be printed with now, or none for a PDF
// queue or when no printer can be asked (the preview then shows the page).
std::optional<EscPosSettings> receiptEscPos(bool wideLayout);

// How long a print run waits for CUPS to finish a receipt before telling why it is still waiting.
int jobWaitMs();
void setJobWaitMs(int milliseconds);

// A job as a PrintCapture saw it.
struct CapturedJob
{
    QString documentName;
    QString reportName;
    double pageWidth = 0; // layout units
    double pageLength = 0;
    QList<report::DrawnText> drawn; // what the page holds
    QString pdfPath;                // empty unless written to a PDF file
    QImage dots;                    // the picture an ESC/POS printer would get, when asked for
};

// While one lives, print jobs go to it instead of the default printer: recorded, and with a
// folder also written as one PDF file per job. Captures nest; the newest one takes the jobs.
class PrintCapture : public ui::NestedOverride<PrintCapture>
{
public:
    PrintCapture() = default;
    explicit PrintCapture(const QString& pdfFolder);

    // Answers as a printer would: no default printer, or every job refused with reason ("" to accept).
    void setNoPrinter(bool none) { m_noPrinter = none; }
    void refuseJobs(const QString& reason) { m_refusal = reason; }
    // Also keep each job's ESC/POS picture, as a printer with these settings would get it (dots 0:
    // the paper's default).
    void keepDots(const EscPosSettings& settings) { m_dots = settings; }

    QList<CapturedJob> jobs() const { return m_jobs; }
    void clear() { m_jobs.clear(); }

    bool hasPrinter() const { return !m_noPrinter; }
    std::optional<EscPosSettings> escPos(bool wideLayout) const;
    void handle(report::Report& report, const QString& documentName, bool wideLayout);

private:
    QString m_pdfFolder;
    bool m_noPrinter = false;
    QString m_refusal;
    std::optional<EscPosSettings> m_dots;
    QList<CapturedJob> m_jobs;
};

} // namespace printing
