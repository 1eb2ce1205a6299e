#pragma once

#include <QString>

namespace store {
class Connection;
class Dataset;
} // namespace store

class TDy58Form;
class TDy76Form;

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
};

// Prints the receipt(s) of the sale in xsxx on the chosen layout and report, and records it: one xstj row,
// one xsmx row per xsxx line and the emptied xsxx, in ONE transaction on mainConnection (the connection of the
// three datasets, which belong to the main window: saleLines = select * from xsxx, history = xstj,
// historyLines = xsmx) that commits only after the receipt has printed. Throws store::Error, with nothing
// written, when the sale cannot be recorded (a text too long for its column, checked before printing),
// printing fails (no default printer, queue refused) or the store refuses a row.
void printAndRecord(const SaleToPrint& sale, TDy58Form& dy58, TDy76Form& dy76, store::Connection& mainConnection,
                    store::Dataset& saleLines, store::Dataset& history, store::Dataset& historyLines);

// The receipt alone, as the print run prints it (same layout, report, sizes and labels), and
// nothing recorded: the layout form's ADODataSet1 gives the lines, whatever statement it was set
// to. False when the layout or copies text prints nothing. Throws store::Error as printing does.
bool printReceiptOnly(const SaleToPrint& sale, int saleLineCount, TDy58Form& dy58, TDy76Form& dy76);

// "预览": chooses the page on both forms by the switches, shows the 58 or 76 form modally (ui::showModal).
void showPreview(bool customer, bool phone, const QString& layout, TDy58Form& dy58, TDy76Form& dy76);

// Lines the remark takes in a 225-unit-wide box in 宋体 13 px (line breaks, wrapping; a trailing empty
// line not counted).
int remarkLineCount(const QString& remark);

} // namespace printing
