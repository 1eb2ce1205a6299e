#include "store/GoodsCodes.h"

#include "store/Connection.h"
#include "store/Dataset.h"
#include "store/Numbers.h"
#include "store/Query.h"
#include "store/SystemSettings.h"

#include <QVariant>

namespace store {

namespace {

const QString ScaleRulesKey = QStringLiteral("条码秤规则");
const QString UniqueBarcodeRefusal = QStringLiteral("UNIQUE constraint failed: spxx.条码");


} // namespace

std::optional<CodedGoods> goodsWithBarcode(Connection& connection, const QString& code)
{
    if (code.isEmpty())
        return std::nullopt;
    // The second term lets the engine use the partial unique index instead of reading every row.
    Query query(connection.openedDatabase(),
                QStringLiteral("SELECT 品名, 单价 FROM spxx WHERE 条码 = ? AND 条码 <> '' LIMIT 1"),
                QStringLiteral("按条码查找商品"));
    query.bind(code).run();
    if (!query.next()) {
        query.requireNoError();
        return std::nullopt;
    }
    return CodedGoods{query.value(0).toString(), numberText(query.value(1))};
}

QString barcodeTakenMessage(const QString& code, const QString& holder)
{
    return QStringLiteral("条码“%1”已经是商品“%2”的条码，不能再给别的商品。")
        .arg(excerptForMessage(code), excerptForMessage(holder));
}

void requireBarcodeFree(Connection& connection, const QString& code, const QString& ownCode)
{
    // Codes are unique: the row holding the item's own code is that item itself.
    if (code.isEmpty() || code == ownCode)
        return;
    if (const std::optional<CodedGoods> holder = goodsWithBarcode(connection, code))
        throw core::Error(barcodeTakenMessage(code, holder->name));
}

bool isBarcodeRefusal(const core::Error& error)
{
    return error.message().contains(UniqueBarcodeRefusal);
}

void throwBarcodeTaken(Connection& connection, const QString& code)
{
    const std::optional<CodedGoods> holder = goodsWithBarcode(connection, code);
    throw core::Error(barcodeTakenMessage(code, holder ? holder->name : QString()));
}

void postGoods(Dataset& goods, Connection& connection, const QString& name, const QString& price,
               const QString& barcode)
{
    goods.setField(QStringLiteral("品名"), name);
    goods.setField(QStringLiteral("单价"), price);
    goods.setField(QStringLiteral("条码"), barcode);
    try {
        goods.post();
    } catch (const core::Error& error) {
        if (isBarcodeRefusal(error))
            throwBarcodeTaken(connection, barcode);
        throw;
    }
}

QString storedScaleRules(Connection& connection, const QString& fallback)
{
    return storedSetting(connection, ScaleRulesKey, QStringLiteral("读取条码秤规则")).value_or(fallback);
}

void storeScaleRules(Connection& connection, const QString& text)
{
    storeSetting(connection, ScaleRulesKey, text, QStringLiteral("保存条码秤规则"));
}

} // namespace store
