#pragma once

#include "printing/ReceiptLayouts.h"

#include <QFont>
#include <QString>

namespace report {
class Report;
}

namespace printing {

// What the slips printed beside the receipts (return, handover, day close) share: the receipts'
// paper, margins and font, one text line every LineStep units.
constexpr double SlipLineStep = 17;

struct SlipPage
{
    PaperWidth width;
    QFont font;
    double bandWidth; // between the margins
    QString rule;     // a line of '-' as wide as the paper takes
};

// Names the report and sets it on the receipt paper of that layout ("58" or "76"). Throws
// core::Error naming what (as "退货单") for any other layout.
SlipPage startSlip(report::Report& slip, const QString& name, const QString& layout, const QString& what);

} // namespace printing
