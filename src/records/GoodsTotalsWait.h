#pragma once

class QWidget;

namespace store {
class Connection;
}

namespace records {

// What needs every line in the goods totals (a report by goods, deleting a sale) first sums the
// lines an upgrade left for the background fill, with a progress bar. At once when none is left,
// as it is soon after any upgrade.
void finishGoodsTotals(QWidget* owner, store::Connection& connection);

} // namespace records
