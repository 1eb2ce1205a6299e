#include "records/SoldColumns.h"

namespace records {

QList<ui::GridColumn> soldColumns(int quantityWidth, int amountWidth)
{
    using Footer = ui::GridColumn::Footer;
    const auto summed = [](const QString& field, int width, Footer footer) {
        return ui::GridColumn{.title = field, .field = field, .width = width, .numeric = true, .footer = footer};
    };
    return {summed(QStringLiteral("数量"), quantityWidth, Footer::SumPlain),
            summed(QStringLiteral("金额"), amountWidth, Footer::Sum),
            summed(QStringLiteral("折后"), amountWidth, Footer::Sum)};
}

} // namespace records
