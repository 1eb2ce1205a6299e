#pragma once

#include <QString>

class QWidget;

namespace store {
class Dataset;
}

namespace records {

// Lists longer than this show a progress window while they are written.
constexpr int ProgressFromRows = 20000;

// The name chosen in the save dialog, with ".xls" added unless it already ends in it (in any
// letter case), so "销售.xls" is not written as "销售.xls.xls".
QString exportFileName(const QString& chosen);

// Writes the list to path as an .xls workbook: row 1 the list's column names, then every row
// of the list in list order, number columns as numbers and text columns as text (a receipt
// number keeps all 14 digits), NULL as an empty cell. Afterwards the list stands on its last
// row. Rows are read and written one at a time, so memory does not grow with the list.
// Throws core::Error when the list cannot be read or the file cannot be written; the file is
// then left as it was.
void exportSales(store::Dataset& list, const QString& path, QWidget* owner);

} // namespace records
