#pragma once

#include "ui/DataGridModel.h"

#include <QList>

namespace records {

// The summed columns of the statistics and the detail grids: 数量 summed as it is, 金额 and
// 折后 summed as money.
QList<ui::GridColumn> soldColumns(int quantityWidth, int amountWidth);

} // namespace records
