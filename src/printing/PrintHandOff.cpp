#include "printing/PrintHandOff.h"

#include "core/Error.h"
#include "report/Report.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <cups/cups.h>

namespace printing {

namespace {

int waitMs = 3000;

// CUPS answers at or above this status are errors (client-error-bad-request and up).
constexpr int CupsFirstErrorStatus = 0x0400;

core::Error noDefaultPrinter()
{
    return core::Error(noDefaultPrinterText());
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
        throw core::Error(QStringLiteral("打印机“%1”没有接受打印任务").arg(printer.printerName()));
}

void printPdf(report::Report& report, const QString& queue, const QString& documentName)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(queue);
    if (info.isNull())
        throw noDefaultPrinter();
    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        throw core::Error(QStringLiteral("打印机“%1”不可用").arg(info.printerName()));
    printer.setDocName(documentName);
    finishJob(report, printer);
    const QString refusal = cupsRefusal();
    if (!refusal.isEmpty())
        throw core::Error(QStringLiteral("打印机“%1”拒绝了打印任务：%2").arg(info.printerName(), refusal));
}

} // namespace

QString noDefaultPrinterText()
{
    return QStringLiteral("没有默认打印机，小票无法打印。请先在系统中设置默认打印机。");
}

void requirePrinter()
{
    if (PrintHook::active()) {
        if (!PrintHook::active()->hasPrinter())
            throw noDefaultPrinter();
        return;
    }
    requireReady(defaultReceiptPrinter());
}

HandedJobs printReceiptJobs(report::Report& report, int copies, const QString& documentName, bool wideLayout)
{
    if (PrintHook::active()) {
        for (int copy = 0; copy < copies; ++copy)
            PrintHook::active()->handle(report, documentName, wideLayout);
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
    if (PrintHook::active())
        return PrintHook::active()->escPos(wideLayout);
    try {
        const ReceiptPrinter printer = defaultReceiptPrinter();
        if (printer.language != ReceiptLanguage::Pdf)
            return printer.escPos(wideLayout);
    } catch (const core::Error&) {
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

} // namespace printing
