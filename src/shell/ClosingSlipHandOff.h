#pragma once

#include "printing/ReceiptPrinter.h"
#include "shifts/SlipHandOff.h"

class TMainForm;
class TDy58Form;

namespace shell {

// The handover and day-close slips go where the receipts and the return slips go: the main
// window's width and copies settings, the shop's name, the same queue and hand-off.
class ClosingSlipHandOff : public shifts::SlipHandOff
{
public:
    ClosingSlipHandOff(TMainForm& main, TDy58Form& dy58) : m_main(main), m_dy58(dy58) {}

    void ready() override;
    void print(printing::ClosingSlip slip, const QString& documentName) override;
    QString waitForPrinter() override;

private:
    TMainForm& m_main;
    TDy58Form& m_dy58;
    QString m_layout;
    int m_copies = 0;
    printing::HandedJobs m_jobs;
    bool m_printed = false;
};

} // namespace shell
