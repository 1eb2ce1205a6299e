#include "support/PrintCapture.h"

#include "core/Error.h"
#include "printing/EscPos.h"
#include "report/Report.h"

#include <QDir>
#include <QPrinter>

namespace printing {

PrintCapture::PrintCapture(const QString& pdfFolder) : m_pdfFolder(pdfFolder) {}

std::optional<EscPosSettings> PrintCapture::escPos(bool wideLayout) const
{
    std::optional<EscPosSettings> settings = m_dots;
    if (settings && settings->dots <= 0)
        settings->dots = defaultDots(settings->mode, wideLayout);
    return settings;
}

void PrintCapture::handle(report::Report& report, const QString& documentName, bool wideLayout)
{
    if (m_noPrinter)
        throw core::Error(noDefaultPrinterText());
    if (!m_refusal.isEmpty())
        throw core::Error(QStringLiteral("打印机拒绝了打印任务：") + m_refusal);
    CapturedJob job{documentName, report.name(), report.pageWidth(), report.pageLength(), report.layout(), {}, {}};
    if (const std::optional<EscPosSettings> settings = escPos(wideLayout))
        job.dots = receiptDots(report, *settings);
    if (!m_pdfFolder.isEmpty()) {
        job.pdfPath =
            QDir(m_pdfFolder)
                .absoluteFilePath(QStringLiteral("job-%1.pdf").arg(m_jobs.size() + 1, 3, 10, QLatin1Char('0')));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(job.pdfPath);
        printer.setDocName(documentName);
        report.print(printer);
        if (printer.printerState() == QPrinter::Error)
            throw core::Error(QStringLiteral("打印机“%1”没有接受打印任务").arg(printer.printerName()));
    }
    m_jobs.append(job);
}

} // namespace printing
