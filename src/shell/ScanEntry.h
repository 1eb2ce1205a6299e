#pragma once

#include <QString>

namespace store {
class Connection;
class Dataset;
} // namespace store

namespace shell {

// Selling by scan: what a code typed or scanned into the goods box, followed by Enter, makes of
// the sale. The main window carries it out with its own line-adding steps.

// A line read off a code, as the entry boxes take it.
struct ScannedLine
{
    QString name;
    QString price;
    QString quantity = QStringLiteral("1");
    QString amount;        // scale labels: 金额 and 折后 as the label gives them; otherwise from the boxes
    QString afterDiscount;
    bool byPiece = true;   // goods sold by the piece: a repeat adds one to the line already there
};

struct ScanReading
{
    enum class Kind
    {
        NotACode, // a goods name being typed: the boxes go on as before
        Line,     // add line
        NoPrice,  // goods known by the code but without a price: the cashier types it
        Refused,  // message, nothing added
        Unknown   // message; the goods may be added to the catalogue with codeToAdd
    };
    Kind kind = Kind::NotACode;
    ScannedLine line;
    QString message;
    QString codeToAdd;
};

// Reads the goods box's text with the discount that applies to it.
ScanReading readScan(store::Connection& connection, const QString& text, const QString& discount);

// The question asked when a code names no goods: message, then whether to add them.
QString offerToAddText(const QString& message);

// The 1-based record of the sale's line that one more piece of line goes onto: the same goods at
// the same price, a whole quantity, and amounts that the discount gives; 0 when there is none.
int lineToAddTo(store::Dataset& lines, const ScannedLine& line, const QString& discount);

} // namespace shell
