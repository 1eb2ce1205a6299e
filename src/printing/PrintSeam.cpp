#include "printing/PrintSeam.h"

#include "store/Error.h"
#include "ui/report/Report.h"

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <dlfcn.h>

namespace printing {

namespace {

PrintCapture* activeCapture = nullptr;

// CUPS answers at or above this status are errors (client-error-bad-request and up).
constexpr int CupsFirstErrorStatus = 0x0400;

store::Error noDefaultPrinter()
{
    return store::Error(QStringLiteral("没有默认打印机，小票无法打印。请先在系统中设置默认打印机。"));
}

// Qt hands the finished job to CUPS without looking at the answer, so a queue that refuses jobs
// would pass for a printed receipt. libcups keeps the answer to the calling thread's last
// request; ask it for the one Qt just made.
QString cupsRefusal()
{
    void* cups = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!cups)
        return {};
    using LastError = int (*)();
    using LastErrorString = const char* (*)();
    const auto lastError = reinterpret_cast<LastError>(dlsym(cups, "cupsLastError"));
    const auto lastErrorString = reinterpret_cast<LastErrorString>(dlsym(cups, "cupsLastErrorString"));
    QString refusal;
    if (lastError && lastError() >= CupsFirstErrorStatus) {
        const char* text = lastErrorString ? lastErrorString() : nullptr;
        refusal = text && *text ? QString::fromUtf8(text) : QStringLiteral("CUPS 错误 %1").arg(lastError());
    }
    dlclose(cups);
    return refusal;
}

void finishJob(report::Report& report, QPrinter& printer)
{
    report.print(printer);
    if (printer.printerState() == QPrinter::Error)
        throw store::Error(QStringLiteral("打印机“%1”没有接受打印任务").arg(printer.printerName()));
}

void printOnDefaultPrinter(report::Report& report, const QString& documentName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
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
    const bool available = activeCapture ? activeCapture->hasPrinter() : !QPrinterInfo::defaultPrinter().isNull();
    if (!available)
        throw noDefaultPrinter();
}

void printJob(report::Report& report, const QString& documentName)
{
    if (activeCapture)
        activeCapture->handle(report, documentName);
    else
        printOnDefaultPrinter(report, documentName);
}

PrintCapture::PrintCapture() : m_previous(activeCapture)
{
    activeCapture = this;
}

PrintCapture::PrintCapture(const QString& pdfFolder) : PrintCapture()
{
    m_pdfFolder = pdfFolder;
}

PrintCapture::~PrintCapture()
{
    activeCapture = m_previous;
}

void PrintCapture::handle(report::Report& report, const QString& documentName)
{
    if (m_noPrinter)
        throw noDefaultPrinter();
    if (!m_refusal.isEmpty())
        throw store::Error(QStringLiteral("打印机拒绝了打印任务：") + m_refusal);
    CapturedJob job{documentName, report.name(), report.pageWidth(), report.pageLength(), report.layout(), {}};
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
