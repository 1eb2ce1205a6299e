#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace sales {

// What a text read by the scanner (or typed into the goods box) is to the sales entry.

// EAN-8, UPC-A and EAN-13: all digits, 8, 12 or 13 of them.
bool isRetailCode(const QString& text);
// The last digit is the one the others give (weights 3 and 1 from the right). Only for retail codes.
bool hasValidCheckDigit(const QString& code);

// A scale label's rule: EAN-13 codes whose flag (the first two digits) lies in flagFrom..flagTo carry
// an item code and a value at the given digit positions (1-based, inclusive; digit 13 is the check).
struct ScaleRule
{
    enum class Kind
    {
        Amount, // the value is the price to pay, in fen
        Weight  // the value is the weight, in grams
    };
    int flagFrom = 0;
    int flagTo = 0;
    int itemFrom = 0;
    int itemTo = 0;
    int valueFrom = 0;
    int valueTo = 0;
    Kind kind = Kind::Amount;
    bool operator==(const ScaleRule& other) const = default;
};
using ScaleRules = QList<ScaleRule>;

// "20-24:3-7:8-12:金额;25-29:3-7:8-12:重量"
extern const QString DefaultScaleRulesText;

struct ParsedScaleRules
{
    ScaleRules rules;
    QString error; // empty when the text is sound; otherwise what is wrong, fit to show
};
// An empty text is no rules at all: no code is read as a scale label.
ParsedScaleRules parseScaleRules(const QString& text);
QString scaleRulesText(const ScaleRules& rules);

struct ScaleLabel
{
    QString itemCode; // the digits that name the goods (its 条码)
    qint64 value = 0;
    ScaleRule::Kind kind = ScaleRule::Kind::Amount;
};
// The label a code carries under the rules; nothing for a code no rule takes. The check digit is
// the caller's to test first.
std::optional<ScaleLabel> decodeScaleLabel(const QString& code, const ScaleRules& rules);

// The line a scale label makes at the goods' unit price, as the entry boxes take it.
struct ScaleLine
{
    QString quantity;
    QString amount;        // 金额
    QString afterDiscount; // 折后
    QString error;         // empty unless no line can be made (no usable unit price)
};
// Amount labels: 折后 and 金额 are the label's amount, the quantity that amount over the price to
// 3 decimals. Weight labels: quantity in kilograms, 金额 = quantity x price rounded to fen, 折后 from
// the discount as any line's.
ScaleLine scaleLine(const ScaleLabel& label, const QString& unitPrice, const QString& discount);

} // namespace sales
