#pragma once

#include "core/Error.h"

#include <QString>
#include <optional>

namespace store {

class Connection;
class Dataset;

// The goods catalogue's barcodes (spxx.条码): finding goods by the code a scanner reads, and
// keeping each code to one goods item. Reads see what any connection has committed.

struct CodedGoods
{
    QString name;  // 品名
    QString price; // 单价 as text; "" when none is stored
};
// The goods whose 条码 is exactly code; nothing for an empty code or one no goods carries.
std::optional<CodedGoods> goodsWithBarcode(Connection& connection, const QString& code);

QString barcodeTakenMessage(const QString& code, const QString& holder);
// Throws core::Error (barcodeTakenMessage) when code is given and some goods item holds it,
// other than the one being changed, whose barcode is ownCode before the change.
void requireBarcodeFree(Connection& connection, const QString& code, const QString& ownCode = {});
// The unique index refused a barcode that the check above let through (another window took it
// in between): error is that refusal when this is true.
bool isBarcodeRefusal(const core::Error& error);
// The same message as requireBarcodeFree's, naming who holds the code now.
[[noreturn]] void throwBarcodeTaken(Connection& connection, const QString& code);
// Writes 品名, 单价 and 条码 into the goods row being appended or edited and posts it; a barcode
// another window took in between is refused with the message naming its holder.
void postGoods(Dataset& goods, Connection& connection, const QString& name, const QString& price,
               const QString& barcode);

// The scale label rules as the settings table keeps them (key 条码秤规则); the given default when
// none was ever saved.
QString storedScaleRules(Connection& connection, const QString& fallback);
void storeScaleRules(Connection& connection, const QString& text); // throws core::Error

} // namespace store
