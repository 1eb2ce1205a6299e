#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace store {

// Why a column cannot take a text.
struct ValueRefusal
{
    enum class Reason
    {
        NotANumber,
        TooLarge, // beyond the range of a double: it would be kept as infinity
        TooLong
    };
    Reason reason = Reason::NotANumber;
    qsizetype characters = 0; // TooLong: the text's characters as the engine counts them
    int width = 0;            // TooLong: the most the column takes
};

// A text checked against its column's rule (see columnRule): what the column stores for it,
// or why it cannot. An empty text in a number column stores NULL.
struct CheckedValue
{
    QVariant value;
    std::optional<ValueRefusal> refusal;
};

// The one check of a value against its column, made before anything is written, by the
// dataset's setField and by whoever must know beforehand that a row can be stored.
CheckedValue checkValue(const QString& table, const QString& column, const QString& text);

} // namespace store
