#pragma once

#include "ui/report/Elements.h"

#include <QList>
#include <QString>

namespace report {
class Report;
}

namespace printing {

// Fails with store::Error when there is no printer to take a job, so a print run can refuse
// before it writes anything.
void requirePrinter();

// One print job of the report's one page (paper = the report's width × length) named
// documentName, on the system default printer, or wherever a PrintCapture sends it. Throws
// store::Error with the reason when the job cannot be started or the queue refuses it.
void printJob(report::Report& report, const QString& documentName);

// A job as a PrintCapture saw it.
struct CapturedJob
{
    QString documentName;
    QString reportName;
    double pageWidth = 0; // layout units
    double pageLength = 0;
    QList<report::DrawnText> drawn; // what the page holds
    QString pdfPath;                // empty unless written to a PDF file
};

// While one lives, print jobs go to it instead of the default printer: recorded, and with a
// folder also written as one PDF file per job. Captures nest; the newest one takes the jobs.
class PrintCapture
{
public:
    PrintCapture();
    explicit PrintCapture(const QString& pdfFolder);
    ~PrintCapture();
    PrintCapture(const PrintCapture&) = delete;
    PrintCapture& operator=(const PrintCapture&) = delete;

    // Answers as a printer would: no default printer, or every job refused with reason ("" to accept).
    void setNoPrinter(bool none) { m_noPrinter = none; }
    void refuseJobs(const QString& reason) { m_refusal = reason; }

    QList<CapturedJob> jobs() const { return m_jobs; }
    void clear() { m_jobs.clear(); }

    bool hasPrinter() const { return !m_noPrinter; }
    void handle(report::Report& report, const QString& documentName);

private:
    PrintCapture* m_previous;
    QString m_pdfFolder;
    bool m_noPrinter = false;
    QString m_refusal;
    QList<CapturedJob> m_jobs;
};

} // namespace printing
