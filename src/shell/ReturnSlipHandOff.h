#pragma once

#include "printing/ReceiptPrinter.h"
#include "printing/ReturnSlip.h"
#include "records/Returns.h"

class TMainForm;
class TDy58Form;

namespace shell {

// The return slip goes where the receipts go: the main window's width and copies settings (none
// printed for a width or copies text the print run prints nothing for), the shop's name, the same
// queue and hand-off.
class ReturnSlipHandOff : public records::SlipHandOff
{
public:
    ReturnSlipHandOff(TMainForm& main, TDy58Form& dy58) : m_main(main), m_dy58(dy58) {}

    void ready() override;
    void print(const records::RecordedReturn& recorded) override;
    QString waitForPrinter() override;

private:
    TMainForm& m_main;
    TDy58Form& m_dy58;
    QString m_layout;
    int m_copies = 0;
    printing::HandedJobs m_jobs;
    bool m_printed = false;
};

// The slip's texts for a recorded return.
printing::ReturnSlip slipOf(const records::RecordedReturn& recorded, const QString& shopName);

} // namespace shell
