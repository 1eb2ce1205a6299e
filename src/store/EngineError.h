#pragma once

#include "core/Error.h"

#include <QSqlError>
#include <QString>

namespace store {

// The engine's failure as a store::Error: what was being done, then the engine's reason,
// with the common reasons put in words a shop owner understands.
[[noreturn]] void throwEngineError(const QString& doing, const QSqlError& error);
QString describeEngineError(const QSqlError& error);

} // namespace store
