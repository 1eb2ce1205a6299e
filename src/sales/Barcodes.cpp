#include "sales/Barcodes.h"

#include "sales/LineAmounts.h"
#include "sales/Totals.h"
#include "store/Numbers.h"

#include <QStringList>
#include <cmath>
#include <tuple>

namespace sales {

const QString DefaultScaleRulesText = QStringLiteral("20-24:3-7:8-12:金额;25-29:3-7:8-12:重量");

namespace {

const QString AmountWord = QStringLiteral("金额");
const QString WeightWord = QStringLiteral("重量");
// Digits 1-2 are the flag and 13 the check digit: the item and the value live in between.
constexpr int FirstDataDigit = 3;
constexpr int LastDataDigit = 12;

bool allAsciiDigits(const QString& text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

struct Range
{
    int from = 0;
    int to = 0;
};

// "3-7", or "5" for a single digit.
std::optional<Range> parseRange(const QString& text)
{
    const QStringList ends = text.trimmed().split(QLatin1Char('-'));
    if (ends.size() > 2)
        return std::nullopt;
    bool fromOk = false;
    bool toOk = false;
    const int from = ends.first().trimmed().toInt(&fromOk);
    const int to = ends.last().trimmed().toInt(&toOk);
    if (!fromOk || !toOk || from > to)
        return std::nullopt;
    return Range{from, to};
}

QString ruleError(int number, const QString& what)
{
    return QStringLiteral("条码秤规则第%1条有误：%2。\n格式如 %3（标志位:商品码位:数值位:金额或重量，多条用分号隔开）")
        .arg(number)
        .arg(what, DefaultScaleRulesText);
}

QString rangeText(int from, int to)
{
    return QStringLiteral("%1-%2").arg(from).arg(to);
}

} // namespace

bool isRetailCode(const QString& text)
{
    return (text.size() == 8 || text.size() == 12 || text.size() == 13) && allAsciiDigits(text);
}

bool hasValidCheckDigit(const QString& code)
{
    if (!allAsciiDigits(code) || code.size() < 2)
        return false;
    int sum = 0;
    int weight = 3;
    for (qsizetype i = code.size() - 2; i >= 0; --i) {
        sum += (code.at(i).unicode() - '0') * weight;
        weight = weight == 3 ? 1 : 3;
    }
    return (10 - sum % 10) % 10 == code.back().unicode() - '0';
}

ParsedScaleRules parseScaleRules(const QString& text)
{
    ParsedScaleRules parsed;
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    int number = 0;
    for (const QString& part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        ++number;
        const QStringList fields = part.split(QLatin1Char(':'));
        if (fields.size() != 4) {
            parsed.error = ruleError(number, QStringLiteral("要有四段，用冒号隔开"));
            return parsed;
        }
        const std::optional<Range> flags = parseRange(fields.at(0));
        if (!flags || flags->from < 20 || flags->to > 29) {
            parsed.error = ruleError(number, QStringLiteral("标志位“%1”要在 20 到 29 之间").arg(fields.at(0).trimmed()));
            return parsed;
        }
        const std::optional<Range> item = parseRange(fields.at(1));
        const std::optional<Range> value = parseRange(fields.at(2));
        for (const auto& [range, field, name] : {std::tuple{item, fields.at(1), QStringLiteral("商品码位")},
                                                 std::tuple{value, fields.at(2), QStringLiteral("数值位")}}) {
            if (!range || range->from < FirstDataDigit || range->to > LastDataDigit) {
                parsed.error = ruleError(number, QStringLiteral("%1“%2”要在第 3 到第 12 位之间")
                                                     .arg(name, field.trimmed()));
                return parsed;
            }
        }
        if (item->to >= value->from && value->to >= item->from) {
            parsed.error = ruleError(number, QStringLiteral("商品码位和数值位不能重叠"));
            return parsed;
        }
        const QString kind = fields.at(3).trimmed();
        if (kind != AmountWord && kind != WeightWord) {
            parsed.error = ruleError(number, QStringLiteral("最后一段要写“金额”或“重量”，不是“%1”").arg(kind));
            return parsed;
        }
        const ScaleRule rule{flags->from, flags->to, item->from, item->to, value->from, value->to,
                             kind == AmountWord ? ScaleRule::Kind::Amount : ScaleRule::Kind::Weight};
        for (const ScaleRule& earlier : parsed.rules) {
            if (rule.flagFrom <= earlier.flagTo && earlier.flagFrom <= rule.flagTo) {
                parsed.error = ruleError(number, QStringLiteral("标志位和前面的规则重叠"));
                return parsed;
            }
        }
        parsed.rules << rule;
    }
    return parsed;
}

QString scaleRulesText(const ScaleRules& rules)
{
    QStringList parts;
    for (const ScaleRule& rule : rules)
        parts << QStringList{rangeText(rule.flagFrom, rule.flagTo), rangeText(rule.itemFrom, rule.itemTo),
                             rangeText(rule.valueFrom, rule.valueTo),
                             rule.kind == ScaleRule::Kind::Amount ? AmountWord : WeightWord}
                     .join(QLatin1Char(':'));
    return parts.join(QLatin1Char(';'));
}

std::optional<ScaleLabel> decodeScaleLabel(const QString& code, const ScaleRules& rules)
{
    if (code.size() != 13 || !allAsciiDigits(code))
        return std::nullopt;
    const int flag = code.left(2).toInt();
    for (const ScaleRule& rule : rules) {
        if (flag < rule.flagFrom || flag > rule.flagTo)
            continue;
        return ScaleLabel{code.mid(rule.itemFrom - 1, rule.itemTo - rule.itemFrom + 1),
                          code.mid(rule.valueFrom - 1, rule.valueTo - rule.valueFrom + 1).toLongLong(), rule.kind};
    }
    return std::nullopt;
}

ScaleLine scaleLine(const ScaleLabel& label, const QString& unitPrice, const QString& discount)
{
    ScaleLine line;
    long double price = 0;
    if (!store::tryParseNumber(unitPrice, &price) || price < 0 || price > LargestAmount) {
        line.error = QStringLiteral("商品没有可用的单价，无法按条码秤标签算出这一行");
        return line;
    }
    // In whole fen and grams, so every rounding is exact: halves away from zero.
    const __int128 priceFen = std::llround(price * 100);
    const __int128 value = label.value;
    if (label.kind == ScaleRule::Kind::Amount) {
        // The quantity is found from the price: without one there is nothing to divide by.
        if (priceFen <= 0) {
            line.error = QStringLiteral("商品的单价是 0，无法从条码秤标签的金额算出数量");
            return line;
        }
        const __int128 thousandths = (2 * value * 1000 + priceFen) / (2 * priceFen);
        line.quantity = store::formatNumber(static_cast<long double>(thousandths) / 1000);
        // The label's amount is what the customer pays: no discount on top of it.
        line.amount = store::formatNumber(static_cast<long double>(label.value) / 100);
        line.afterDiscount = line.amount;
        return line;
    }
    const __int128 amountFen = (2 * value * priceFen + 1000) / 2000;
    line.quantity = store::formatNumber(static_cast<long double>(label.value) / 1000);
    line.amount = store::formatNumber(static_cast<long double>(amountFen) / 100);
    // An empty discount is left for the line's own check to tell.
    if (discount.isEmpty())
        return line;
    long double unused = 0;
    if (!store::tryParseNumber(discount, &unused)) {
        line.error = QStringLiteral("折扣“%1”不是数字").arg(discount);
        return line;
    }
    line.afterDiscount = computeLineAmounts(line.amount, QStringLiteral("1"), discount).afterDiscount;
    return line;
}

} // namespace sales
