#include "shell/ClosingSlipHandOff.h"

#include "core/Error.h"
#include "printing/Dy58Unit.h"
#include "printing/PrintHandOff.h"
#include "printing/PrintRun.h"
#include "shell/MainUnit.h"

namespace shell {

// Unlike a receipt, the report is the point of the handover and the close: a width or copies
// setting it cannot be printed with refuses them rather than recording without paper.
void ClosingSlipHandOff::ready()
{
    const printing::SaleToPrint settings = m_main.saleOnScreen();
    m_layout = settings.layout;
    m_copies = printing::copiesOf(settings.copies);
    m_printed = false;
    m_jobs = {};
    if (m_layout != QLatin1String("58") && m_layout != QLatin1String("76"))
        throw core::Error(QStringLiteral("主窗口的“POS选择”是“%1”，不是 58 或 76，无法打印。")
                              .arg(core::excerptForMessage(m_layout)));
    if (m_copies == 0)
        m_copies = 1;
    printing::requirePrinter();
}

void ClosingSlipHandOff::print(printing::ClosingSlip slip, const QString& documentName)
{
    m_dy58.FormCreate();
    slip.shopName = m_dy58.ADODataSet2.field(QStringLiteral("店名"));
    m_jobs = printing::printClosingSlip(slip, m_layout, m_copies, documentName);
    m_printed = true;
}

QString ClosingSlipHandOff::waitForPrinter()
{
    return m_printed ? printing::waitForJobs(m_jobs, printing::jobWaitMs()) : QString();
}

} // namespace shell
