#pragma once

#include <QString>

class QComboBox;

namespace store {
class Dataset;
struct Statement;
} // namespace store

namespace shell {

// The pick-list fill: empty the box (text and items), re-query with the list's distinct
// statement, then add the column's text of each row in the order the store returns them.
void fillPickList(QComboBox* box, store::Dataset& query, const store::Statement& statement, const QString& column);

// An editable box shows no item after a fill: adding the first item would otherwise select it.
void showNoItem(QComboBox* box);

} // namespace shell
