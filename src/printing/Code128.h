#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace printing {

// A Code 128 symbol: the symbol values in order (start code, data and code-set changes, check
// value, stop code 106) and its modules, one character each, '1' a dark module, '0' a light one,
// with the quiet zones of Code128QuietModules light modules at either end.
struct Code128Symbol
{
    QList<int> values;
    QString modules;
};

constexpr int Code128QuietModules = 10;

// The symbol for text: code set C for runs of digits long enough to be shorter that way (a
// receipt number of 14 digits is all C), code set B for the rest. None for an empty text or one
// holding characters outside printable ASCII (Chinese, control characters): they have no bars.
std::optional<Code128Symbol> encodeCode128(const QString& text);

// The modules of the symbol for text, or "" when it has none (for report::Barcode).
QString code128Modules(const QString& text);

} // namespace printing
