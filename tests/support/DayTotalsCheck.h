#pragma once

#include <QString>

namespace testsupport {

class TestDatabase;

// How the per-day totals (rtj, rfk) differ from the history's own sums, worked out here by SQL of
// its own, not the program's: "" when they agree, else the first differing rows.
QString dayTotalsMismatch(const TestDatabase& db);

} // namespace testsupport
