#pragma once

#include "sales/Payments.h"

#include <QList>
#include <QString>

namespace printing {

// What the main window's controls hold about the sale being printed, as text.
struct SaleToPrint
{
    QString layout; // "58" or "76"; any other text prints nothing and still records
    QString copies; // "1" or "2"; any other text prints nothing and still records
    bool customer = false;
    bool phone = false;
    QString remark;
    QString number, time, cashier, customerName, phoneNumber, totalQuantity, totalAmount, totalDue, received, change;
    // How it is paid: one receipt line and one xsfk row each. None: no lines, no rows (cash).
    QList<sales::Payment> payments;
    // What the receipt's bar code carries when the printed number is more than the number (a
    // reprint's mark); empty: number.
    QString barcodeNumber;
};

} // namespace printing
