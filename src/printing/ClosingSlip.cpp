#include "printing/ClosingSlip.h"

#include "printing/PrintHandOff.h"
#include "printing/ReceiptLayouts.h"
#include "printing/SlipPage.h"
#include "report/Report.h"

namespace printing {

namespace {

constexpr double LineStep = SlipLineStep;

// The receipts' detail columns: goods, quantity, amount.
struct Columns
{
    double text, count, amount;
};

Columns columnsFor(PaperWidth width)
{
    if (width == PaperWidth::Mm58)
        return {0, 85, 120};
    return {7, 121, 173};
}

} // namespace

void ClosingSlip::add(const QString& text, const QString& amount, const QString& count)
{
    lines.append({text, count, amount, false});
}

void ClosingSlip::addRule()
{
    lines.append({{}, {}, {}, true});
}

void buildClosingSlip(report::Report& slip, const ClosingSlip& content, const QString& layout)
{
    const SlipPage page = startSlip(slip, QStringLiteral("ClosingSlip"), layout, content.title);
    const Columns columns = columnsFor(page.width);
    const QFont& font = page.font;
    const double bandWidth = page.bandWidth;
    const QString& rule = page.rule;

    report::Band* body = slip.addBand(report::BandKind::Title, LineStep * (content.lines.size() + 2) + 4);
    const auto place = [&](const QString& name, const QString& text, double left, double top, double wrap) {
        report::Label* label = body->addLabel(name, text, left, top);
        label->setFont(font);
        if (wrap > 0)
            label->setWrapWidth(wrap);
    };
    place(QStringLiteral("SlipTitle"), content.title, columns.text, 0, bandWidth - columns.text);
    place(QStringLiteral("SlipShop"), content.shopName, columns.text, LineStep, bandWidth - columns.text);
    double top = 2 * LineStep;
    for (int i = 0; i < content.lines.size(); ++i) {
        const ClosingSlip::Line& line = content.lines.at(i);
        const QString n = QString::number(i + 1);
        if (line.rule) {
            place(QStringLiteral("SlipRule") + n, rule, columns.text, top, 0);
        } else {
            // A name wraps short of the column beside it, so the figures never overprint it.
            const double room = (!line.count.isEmpty() ? columns.count : !line.amount.isEmpty() ? columns.amount
                                                                                                : bandWidth) -
                                columns.text - 4;
            place(QStringLiteral("SlipText") + n, line.text, columns.text, top, room);
            if (!line.count.isEmpty())
                place(QStringLiteral("SlipCount") + n, line.count, columns.count, top, 0);
            if (!line.amount.isEmpty())
                place(QStringLiteral("SlipAmount") + n, line.amount, columns.amount, top, 0);
        }
        top += LineStep;
    }
    slip.setPageLength(slip.fittedPageLength());
}

HandedJobs printClosingSlip(const ClosingSlip& content, const QString& layout, int copies, const QString& documentName)
{
    report::Report slip;
    buildClosingSlip(slip, content, layout);
    return printReceiptJobs(slip, copies, documentName, layout == QLatin1String("76"));
}

} // namespace printing
