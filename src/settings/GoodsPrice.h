#pragma once

#include <QString>

namespace settings {

// Refuses a price text with a store::Error when it reads as a number beyond the range of the
// price column (hundreds of digits typed into the box), which would otherwise be kept as
// infinity. Anything else passes, to be converted, or refused, by the store as usual.
void requireStorablePrice(const QString& text);

} // namespace settings
