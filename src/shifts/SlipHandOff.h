#pragma once

#include "printing/ClosingSlip.h"

#include <QString>

namespace shifts {

// Where the handover and day-close slips go. ready() runs before anything is written (a printer
// that cannot take the slip refuses the handover or the close); print() inside its transaction,
// so a slip that cannot be printed leaves nothing recorded; waitForPrinter() after the commit.
class SlipHandOff
{
public:
    virtual ~SlipHandOff() = default;
    virtual void ready() = 0;
    virtual void print(printing::ClosingSlip slip, const QString& documentName) = 0;
    virtual QString waitForPrinter() = 0;
};

} // namespace shifts
