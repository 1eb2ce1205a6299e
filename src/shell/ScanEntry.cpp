#include "shell/ScanEntry.h"

#include "core/Error.h"
#include "sales/Barcodes.h"
#include "sales/LineAmounts.h"
#include "store/Dataset.h"
#include "store/GoodsCodes.h"
#include "store/Numbers.h"

#include <cmath>

namespace shell {

namespace {

QString notInCatalogue(const QString& code)
{
    return QStringLiteral("条码“%1”不在商品资料中").arg(core::excerptForMessage(code));
}

ScanReading refused(const QString& message)
{
    ScanReading reading;
    reading.kind = ScanReading::Kind::Refused;
    reading.message = message;
    return reading;
}

ScanReading unknown(const QString& code)
{
    ScanReading reading;
    reading.kind = ScanReading::Kind::Unknown;
    reading.message = notInCatalogue(code);
    reading.codeToAdd = code;
    return reading;
}

// The price as the goods pick shows it; a stored price that is no number is shown as stored.
QString shownPrice(const QString& price)
{
    long double unused = 0;
    return store::tryParseNumber(price, &unused) ? store::normalisePrice(price) : price;
}

ScanReading scaleReading(store::Connection& connection, const QString& code, const sales::ScaleLabel& label,
                         const QString& discount)
{
    const std::optional<store::CodedGoods> goods = store::goodsWithBarcode(connection, label.itemCode);
    if (!goods)
        return unknown(label.itemCode);
    if (label.value <= 0)
        return refused(QStringLiteral("条码秤标签“%1”上的%2是 0，没有加入销售")
                           .arg(code, label.kind == sales::ScaleRule::Kind::Amount ? QStringLiteral("金额")
                                                                                    : QStringLiteral("重量")));
    const QString price = shownPrice(goods->price);
    const sales::ScaleLine made = sales::scaleLine(label, price, discount);
    if (!made.error.isEmpty())
        return refused(QStringLiteral("商品“%1”：%2").arg(core::excerptForMessage(goods->name), made.error));
    ScanReading reading;
    reading.kind = ScanReading::Kind::Line;
    reading.line = {goods->name, price, made.quantity, made.amount, made.afterDiscount, false};
    return reading;
}

// A number text as it reads back from a number column.
QString asStored(const QString& text)
{
    return store::formatNumber(static_cast<double>(store::parseNumber(text)));
}

} // namespace

ScanReading readScan(store::Connection& connection, const QString& text, const QString& discount)
{
    if (text.isEmpty())
        return {};
    // What the catalogue holds comes first: a shop's own codes need not follow the retail rules.
    if (const std::optional<store::CodedGoods> goods = store::goodsWithBarcode(connection, text)) {
        ScanReading reading;
        reading.kind = goods->price.isEmpty() ? ScanReading::Kind::NoPrice : ScanReading::Kind::Line;
        reading.line.name = goods->name;
        reading.line.price = shownPrice(goods->price);
        return reading;
    }
    if (!sales::isRetailCode(text))
        return {};
    if (!sales::hasValidCheckDigit(text))
        return refused(QStringLiteral("条码“%1”的校验位不对，可能没有扫清楚，请重新扫描").arg(text));
    if (text.size() == 13) {
        const sales::ParsedScaleRules rules =
            sales::parseScaleRules(store::storedScaleRules(connection, sales::DefaultScaleRulesText));
        if (!rules.error.isEmpty())
            return refused(QStringLiteral("条码秤规则有误，请管理员在 设置 → 条码秤 中改正：\n") + rules.error);
        if (const std::optional<sales::ScaleLabel> label = sales::decodeScaleLabel(text, rules.rules))
            return scaleReading(connection, text, *label, discount);
    }
    return unknown(text);
}

QString offerToAddText(const QString& message)
{
    return message + QStringLiteral("。\n要把它添加为新商品吗？");
}

int lineToAddTo(store::Dataset& lines, const ScannedLine& line, const QString& discount)
{
    if (!line.byPiece)
        return 0;
    const QStringList columns = lines.columnNames();
    const qsizetype name = columns.indexOf(QStringLiteral("品名"));
    const qsizetype price = columns.indexOf(QStringLiteral("单价"));
    const qsizetype quantity = columns.indexOf(QStringLiteral("数量"));
    const qsizetype amount = columns.indexOf(QStringLiteral("金额"));
    const qsizetype afterDiscount = columns.indexOf(QStringLiteral("折后"));
    long double unused = 0;
    if (!store::tryParseNumber(discount, &unused))
        return 0;
    const int count = lines.recordCount();
    for (int i = 0; i < count; ++i) {
        const QStringList row = lines.rowTexts(i);
        if (row.value(name) != line.name || row.value(price) != line.price)
            continue;
        long double q = 0;
        if (!store::tryParseNumber(row.value(quantity), &q) || q < 1 || q != std::floor(q))
            continue;
        // A line of another discount, or one whose fraction was dropped, stays as it is.
        const sales::LineAmounts expected = sales::computeLineAmounts(line.price, row.value(quantity), discount);
        if (asStored(expected.amount) == row.value(amount) && asStored(expected.afterDiscount) == row.value(afterDiscount))
            return i + 1;
    }
    return 0;
}

} // namespace shell
