#pragma once

#include <QString>
#include <functional>

namespace bench {

// Median wall time of `runs` calls, in milliseconds.
double medianMs(int runs, const std::function<void()>& body);
// Peak resident memory of this process so far, in MB.
double peakRssMb();
// One figure per line: NAME VALUE UNIT.
void report(const QString& name, double value, const QString& unit);

} // namespace bench
