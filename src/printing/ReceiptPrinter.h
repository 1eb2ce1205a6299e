#pragma once

#include "printing/EscPos.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace printing {

// What a receipt becomes for the queue: a PDF page for a queue with a driver, ESC/POS otherwise.
enum class ReceiptLanguage
{
    Pdf,
    EscPosRaster,
    EscPosImpact,
};

// The system's default print queue as CUPS describes it, with the receipt options set on it
// (lpadmin -p QUEUE -o receipt-printer-default=... or the user's lpoptions).
struct ReceiptPrinter
{
    QString queue;
    bool raw = false; // no driver: the queue passes the job to the printer byte for byte
    bool accepting = true;
    bool stopped = false;
    QStringList reasons; // printer-state-reasons, "none" left out
    ReceiptLanguage language = ReceiptLanguage::Pdf;
    int dots = 0; // 0: what the paper width and mode give
    bool cut = true;
    CashDrawer drawer = CashDrawer::None;

    // The ESC/POS settings for a receipt of that layout width.
    EscPosSettings escPos(bool wideLayout) const;
};

// The receipt options read from a queue's options (names without "-default"). Throws core::Error
// naming the queue, the option and the values it takes when one is not understood.
void readReceiptOptions(ReceiptPrinter& printer, const QList<std::pair<QString, QString>>& options);

// Asks CUPS for the default queue. Throws core::Error when there is none or it does not exist.
ReceiptPrinter defaultReceiptPrinter();

// Throws core::Error naming the queue and CUPS's reason when it is stopped or refuses jobs.
void requireReady(const ReceiptPrinter& printer);

// Hands data to the queue as one raw job; returns its id. Throws core::Error when refused.
int submitRawJob(const QString& queue, const QString& title, const QByteArray& data);

// The jobs one receipt went out as: ids where known, else found by their title.
struct HandedJobs
{
    QString queue;
    QString title;
    QList<int> ids;
    bool viaCups = false; // false when a capture took them
};

// Waits up to waitMs for CUPS to finish the jobs. Empty when they printed or are printing; else
// what the cashier must hear: the receipt is waiting in the queue, and why.
QString waitForJobs(const HandedJobs& jobs, int waitMs);

// Plain words for the printer-state-reasons CUPS gives ("media-empty-error", "offline-report",
// ...); CUPS's own message when none is known. Empty when nothing is wrong.
QString describeReasons(const QStringList& reasons, const QString& cupsMessage);

} // namespace printing
