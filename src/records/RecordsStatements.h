#pragma once

#include "store/Catalogue.h"

namespace records::sql {

// select * from xstj where 单号 = ?  — the sales that keep a receipt number, so deleting one
// sale can tell whether its lines still belong to another.
extern const store::Statement XstjOfNumber;

} // namespace records::sql
