#pragma once

#include "printing/PrintHandOff.h"
#include "report/Elements.h"

#include <QImage>
#include <QList>
#include <QString>
#include <optional>

// No QtTest here: the benchmarks take their jobs with it too.

namespace printing {

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
class PrintCapture : public PrintHook
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

    bool hasPrinter() const override { return !m_noPrinter; }
    std::optional<EscPosSettings> escPos(bool wideLayout) const override;
    void handle(report::Report& report, const QString& documentName, bool wideLayout) override;

private:
    QString m_pdfFolder;
    bool m_noPrinter = false;
    QString m_refusal;
    std::optional<EscPosSettings> m_dots;
    QList<CapturedJob> m_jobs;
};

} // namespace printing
