#pragma once

#include "printing/SaleToPrint.h"

#include <QString>

class QDateTime;

namespace store {
class Connection;
class Dataset;
} // namespace store

class TDy58Form;
class TDy76Form;

namespace printing {

// Prints the receipt(s) of the sale in xsxx on the chosen layout and report, and records it: one xstj row,
// one xsmx row per xsxx line and the emptied xsxx, in ONE transaction on mainConnection (the connection of the
// three datasets, which belong to the main window: saleLines = select * from xsxx, history = xstj,
// historyLines = xsmx) that commits only after the receipt has printed. Throws core::Error, with nothing
// written, when the sale cannot be recorded (a text too long for its column, checked before printing),
// printing fails (no default printer, queue stopped or refusing jobs) or the store refuses a row.
// Once recorded, waits a few seconds for the printer: returns what the cashier must be told when
// the receipt is still waiting in the queue (printer offline, out of paper, ...), else "".
QString printAndRecord(const SaleToPrint& sale, TDy58Form& dy58, TDy76Form& dy76, store::Connection& mainConnection,
                       store::Dataset& saleLines, store::Dataset& history, store::Dataset& historyLines);

// The receipt alone, as the print run prints it (same layout, report, sizes and labels), and
// nothing recorded: the layout form's ADODataSet1 gives the lines, whatever statement it was set
// to. Returns, as the print run does, what the cashier must be told when the receipt is still
// waiting in the queue, else "". Throws core::Error as printing does.
QString printReceiptOnly(const SaleToPrint& sale, int saleLineCount, TDy58Form& dy58, TDy76Form& dy76);

// "预览": chooses the page on both forms by the switches, fills the chosen layout's reports with the
// sale as the print run would, and shows that form modally (ui::showModal).
void showPreview(const SaleToPrint& sale, TDy58Form& dy58, TDy76Form& dy76);

// The receipt number after previous: now as yyyyMMddHHmmss, or one second after previous when the
// clock has not moved past it (two sales in one second, a clock set back), so none repeats.
QString nextReceiptNumber(const QString& previous, const QDateTime& now);

// Lines the remark takes in a 225-unit-wide box in 宋体 13 px (line breaks, wrapping; a trailing empty
// line not counted).
int remarkLineCount(const QString& remark);

// How many copies the 打印份数 setting asks for: "1" or "2"; 0 for anything else (nothing printed).
int copiesOf(const QString& copies);

} // namespace printing
