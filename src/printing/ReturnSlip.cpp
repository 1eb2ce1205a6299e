#include "printing/ReturnSlip.h"

#include "printing/PrintHandOff.h"
#include "printing/ReceiptLayouts.h"
#include "printing/SlipPage.h"
#include "report/Report.h"
#include "report/RowSource.h"

#include <tuple>

namespace printing {

namespace {

constexpr double LineStep = SlipLineStep;

// The columns of the receipts' detail lines: goods, quantity, amount.
struct Columns
{
    double goods, quantity, amount, valuesTop, detailHeight;
};

Columns columnsFor(PaperWidth width)
{
    if (width == PaperWidth::Mm58)
        return {0, 85, 120, 13, 25};
    return {7, 121, 173, 15, 30};
}

} // namespace

void buildReturnSlip(report::Report& slip, const ReturnSlip& content, const QString& layout)
{
    const SlipPage page = startSlip(slip, QStringLiteral("ReturnSlip"), layout, QStringLiteral("退货单"));
    const Columns columns = columnsFor(page.width);
    const QFont& font = page.font;
    const double bandWidth = page.bandWidth;
    const QString& rule = page.rule;

    QList<std::pair<QString, QString>> head = {
        {QStringLiteral("SlipTitle"), QStringLiteral("退货单")},
        {QStringLiteral("SlipShop"), content.shopName},
        {QStringLiteral("SlipNumber"), QStringLiteral("退货单号：") + content.number},
        {QStringLiteral("SlipOriginal"), QStringLiteral("原单号：") + content.originalNumber},
        {QStringLiteral("SlipTime"), QStringLiteral("时间：") + content.time},
        {QStringLiteral("SlipRule1"), rule},
    };
    report::Band* title = slip.addBand(report::BandKind::Title, LineStep * (head.size() + 1));
    double top = 0;
    for (const auto& [name, text] : head) {
        report::Label* label = title->addLabel(name, text, columns.goods, top);
        label->setFont(font);
        label->setWrapWidth(bandWidth - columns.goods);
        top += LineStep;
    }
    for (const auto& [name, text, left] : {std::tuple{QStringLiteral("SlipHeadGoods"), QStringLiteral("品名"), columns.goods},
                                           std::tuple{QStringLiteral("SlipHeadQuantity"), QStringLiteral("数量"), columns.quantity},
                                           std::tuple{QStringLiteral("SlipHeadAmount"), QStringLiteral("退款"), columns.amount}})
        title->addLabel(name, text, left, top)->setFont(font);

    report::Band* detail = slip.addBand(report::BandKind::Detail, columns.detailHeight);
    for (const auto& [name, column, left, at] :
         {std::tuple{QStringLiteral("SlipGoods"), QStringLiteral("品名"), columns.goods, 2.0},
          std::tuple{QStringLiteral("SlipQuantity"), QStringLiteral("数量"), columns.quantity, columns.valuesTop},
          std::tuple{QStringLiteral("SlipAmount"), QStringLiteral("金额"), columns.amount, columns.valuesTop}}) {
        report::DataField* field = detail->addDataField(name, column, left, at);
        field->setFont(font);
        if (column == QStringLiteral("品名"))
            field->setWrapWidth(bandWidth - left);
    }

    QList<std::pair<QString, QString>> foot = {
        {QStringLiteral("SlipRule2"), rule},
        {QStringLiteral("SlipRefund"), QStringLiteral("退款金额：") + content.refund},
        {QStringLiteral("SlipMethod"), QStringLiteral("退款方式：") + content.method},
        {QStringLiteral("SlipCashier"), QStringLiteral("收银员：") + content.cashier},
    };
    if (!content.authorisedBy.isEmpty())
        foot.append({QStringLiteral("SlipAuthoriser"), QStringLiteral("授权人：") + content.authorisedBy});
    report::Band* summary = slip.addBand(report::BandKind::Summary, LineStep * foot.size() + 4);
    top = 3;
    for (const auto& [name, text] : foot) {
        report::Label* label = summary->addLabel(name, text, columns.goods, top);
        label->setFont(font);
        label->setWrapWidth(bandWidth - columns.goods);
        top += LineStep;
    }
    slip.setPageLength(slip.fittedPageLength());
}

HandedJobs printReturnSlip(const ReturnSlip& content, const QString& layout, int copies)
{
    report::Report slip;
    report::ListRowSource rows({QStringLiteral("品名"), QStringLiteral("数量"), QStringLiteral("金额")}, {});
    for (const ReturnSlip::Line& line : content.lines)
        rows.addRow({line.goods, line.quantity, line.amount});
    slip.setDataSource(&rows);
    buildReturnSlip(slip, content, layout);
    return printReceiptJobs(slip, copies, QStringLiteral("退货单 ") + content.number, layout == QLatin1String("76"));
}

} // namespace printing
