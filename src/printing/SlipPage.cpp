#include "printing/SlipPage.h"

#include "core/Error.h"
#include "report/Report.h"
#include "ui/Fonts.h"

namespace printing {

namespace {

constexpr double MarginTop = 10, MarginBottom = 10, MarginLeft = 5, MarginRight = 5; // mm, as the receipts

const QString TextFont = QStringLiteral("方正兰亭刊黑_GBK");

} // namespace

SlipPage startSlip(report::Report& slip, const QString& name, const QString& layout, const QString& what)
{
    if (layout != QLatin1String("58") && layout != QLatin1String("76"))
        throw core::Error(QStringLiteral("“POS选择”是“%1”，不是 58 或 76，无法打印%2。")
                              .arg(core::excerptForMessage(layout), what));
    ui::installFontSubstitutions();
    const PaperWidth width = layout == QLatin1String("58") ? PaperWidth::Mm58 : PaperWidth::Mm76;
    const ReceiptLayout& receipt = receiptLayout(width);
    slip.setName(name);
    slip.setPageWidth(receipt.pageWidth);
    slip.setMargins(MarginTop, MarginBottom, MarginLeft, MarginRight);
    return {width, report::reportFont(TextFont, receipt.textPoints),
            receipt.pageWidth - report::millimetresToUnits(MarginLeft + MarginRight),
            QString(width == PaperWidth::Mm58 ? 30 : 42, QLatin1Char('-'))};
}

} // namespace printing
