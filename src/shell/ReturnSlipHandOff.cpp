#include "shell/ReturnSlipHandOff.h"

#include "printing/Dy58Unit.h"
#include "printing/PrintHandOff.h"
#include "printing/PrintRun.h"
#include "printing/ReturnSlip.h"
#include "shell/MainUnit.h"
#include "store/Numbers.h"

namespace shell {

namespace {

bool knownLayout(const QString& layout)
{
    return layout == QLatin1String("58") || layout == QLatin1String("76");
}

} // namespace

printing::ReturnSlip slipOf(const records::RecordedReturn& recorded, const QString& shopName)
{
    printing::ReturnSlip slip;
    slip.shopName = shopName;
    slip.number = recorded.number;
    slip.originalNumber = recorded.originalNumber;
    slip.time = recorded.time;
    slip.cashier = recorded.cashier;
    slip.authorisedBy = recorded.authorisedBy;
    slip.refund = sales::formatYuan(recorded.refund);
    slip.method = sales::methodName(recorded.method);
    for (const records::RecordedReturn::Line& line : recorded.lines)
        slip.lines.append({line.goods, store::formatFixed2(line.quantity), sales::formatYuan(line.afterDiscount)});
    return slip;
}

void ReturnSlipHandOff::ready()
{
    const printing::SaleToPrint settings = m_main.saleOnScreen();
    m_layout = settings.layout;
    m_copies = knownLayout(m_layout) ? printing::copiesOf(settings.copies) : 0;
    m_printed = false;
    m_jobs = {};
    if (m_copies > 0)
        printing::requirePrinter();
}

void ReturnSlipHandOff::print(const records::RecordedReturn& recorded)
{
    if (m_copies == 0)
        return;
    m_dy58.FormCreate();
    const QString shopName = m_dy58.ADODataSet2.field(QStringLiteral("店名"));
    m_jobs = printing::printReturnSlip(slipOf(recorded, shopName), m_layout, m_copies);
    m_printed = true;
}

QString ReturnSlipHandOff::waitForPrinter()
{
    return m_printed ? printing::waitForJobs(m_jobs, printing::jobWaitMs()) : QString();
}

} // namespace shell
