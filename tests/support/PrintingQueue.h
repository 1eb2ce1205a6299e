#pragma once

#include "support/PrintingJobReceiver.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

namespace testsupport {

struct ToolRun
{
    int exitCode = -1; // -1 when it could not start or did not end normally
    QString output;    // stdout and stderr together
};

ToolRun runTool(const QString& program, const QStringList& arguments);
// A CUPS command (lpadmin lives in sbin, not on every user's PATH); exit code -1 when missing.
ToolRun runCupsTool(const QString& tool, const QStringList& arguments);

// A raw CUPS queue on socket://127.0.0.1:PORT, with a PrintingJobReceiver listening on PORT, and
// made this process's default printer through PRINTER (as a user's own choice of default is):
// other programs and tests beside this one keep their default printer. Its name is name and this
// process's id, so the same test run twice at once has two queues. lpadminArguments are added
// when it is made (e.g. "-o", "receipt-dots-default=576", or "-m", "drv:///..." for a driver).
// The queue goes and PRINTER and LPDEST come back as they were when the object goes.
class PrintingQueue
{
public:
    explicit PrintingQueue(const QString& name, const QStringList& lpadminArguments = {});
    ~PrintingQueue();
    PrintingQueue(const PrintingQueue&) = delete;
    PrintingQueue& operator=(const PrintingQueue&) = delete;

    // Why this machine cannot have the queue (tools missing, no scheduler, no right to add a
    // queue); empty when it is ready.
    QString unavailable() const { return m_unavailable; }
    QString name() const { return m_name; }
    PrintingJobReceiver& printer() { return m_printer; }

private:
    QString m_name;
    PrintingJobReceiver m_printer;
    QString m_unavailable;
    bool m_added = false;
    std::optional<QByteArray> m_printerVariable;
    std::optional<QByteArray> m_lpdestVariable;
};

// The page size of a PDF's first page as pdfinfo gives it; empty when it cannot tell.
QSizeF pdfPageSizeInPoints(const QString& pdf);

// pdftotext -layout of a PDF, in compatibility form: extracted CJK text may come back as
// radicals, which mean the same characters.
QString pdfText(const QString& pdf);

} // namespace testsupport
