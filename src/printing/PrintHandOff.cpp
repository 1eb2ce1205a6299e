#include "printing/PrintHandOff.h"

#include "store/Error.h"
#include "ui/report/Report.h"

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

namespace printing {

namespace {

int waitMs = 3000;

// CUPS answers at or above this status are errors (client-error-bad-request and up).
constexpr int CupsFirstErrorStatus = 0x0400;

store::Error noDefaultPrinter()
{
    return store::Error(QStringLiteral("没有默认打印机，小票无法打印。请先在系统中设置默认打印机。"));
}

// Qt hands the finished job to CUPS without looking at the answer, so a queue that refuses jobs
// would pass for a printed receipt. libcups keeps the answer to the calling thread's last
// request: the one Qt just made.
QString cupsRefusal()
{
    if (cupsLastError() < CupsFirstErrorStatus)
        return {};
    const char* text = cupsLastErrorString();
    return text && *text ? QString::fromUtf8(text) : QStringLiteral("CUPS 错误 %1").arg(int(cupsLastError()));
}

void finishJob(report::Report& report, QPrinter& printer)
{
    report.print(printer);
    if (printer.printerState() == QPrinter::Error)
        throw store::Error(QStringLiteral("打印机“%1”没有接受打印任务").arg(printer.printerName()));
}

void printPdf(report::Report& report, const QString& queue, const QString& documentName)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
    if (info.isNull())
        throw noDefaultPrinter();
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        throw store::Error(QStringLiteral("打印机“%1”不可用").arg(info.printerName()));
    printer.setDocName(documentName);
    finishJob(report, printer);
    const QString refusal = cupsRefusal();
    if (!refusal.isEmpty())
        throw store::Error(QStringLiteral("打印机“%1”拒绝了打印任务：%2").arg(info.printerName(), refusal));
}

} // namespace

void requirePrinter()
{
    if (PrintCapture::active()) {
        if (!PrintCapture::active()->hasPrinter())
            throw noDefaultPrinter();
        return;
    }
    requireReady(defaultReceiptPrinter());
}

HandedJobs printReceiptJobs(report::Report& report, int copies, const QString& documentName, bool wideLayout)
{
    if (PrintCapture::active()) {
        for (int copy = 0; copy < copies; ++copy)
            PrintCapture::active()->handle(report, documentName, wideLayout);
        return {};
    }
    const ReceiptPrinter printer = defaultReceiptPrinter();
    requireReady(printer);
    HandedJobs jobs{printer.queue, documentName, {}, true};
    if (copies <= 0)
        return jobs;
    if (printer.language == ReceiptLanguage::Pdf) {
        for (int copy = 0; copy < copies; ++copy)
            printPdf(report, printer.queue, documentName);
        return jobs;
    }
    const EscPosSettings settings = printer.escPos(wideLayout);
    jobs.ids << submitRawJob(printer.queue, documentName, escPosJob(receiptDots(report, settings), settings, copies));
    return jobs;
}

std::optional<EscPosSettings> receiptEscPos(bool wideLayout)
{
    if (PrintCapture::active())
        return PrintCapture::active()->escPos(wideLayout);
    try {
        const ReceiptPrinter printer = defaultReceiptPrinter();
        if (printer.language != ReceiptLanguage::Pdf)
            return printer.escPos(wideLayout);
    } catch (const store::Error&) {
        // No printer to ask: the page is what there is to show.
    }
    return std::nullopt;
}

int jobWaitMs()
{
    return waitMs;
}

void setJobWaitMs(int milliseconds)
{
    waitMs = std::max(0, milliseconds);
}

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
        throw noDefaultPrinter();
    if (!m_refusal.isEmpty())
        throw store::Error(QStringLiteral("打印机拒绝了打印任务：") + m_refusal);
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
        finishJob(report, printer);
    }
    m_jobs.append(job);
}

} // namespace printing
