#include "printing/PaymentBlock.h"

#include <QFontMetricsF>

namespace printing {

namespace {

// The summary's lines stand this far apart (received, change): the payments keep the step.
constexpr double LineStep = 17;

const PlacedElement* summaryElement(const ReceiptLayout& layout, const std::function<bool(const PlacedElement&)>& is)
{
    for (const PlacedElement& element : layout.summary)
        if (is(element))
            return &element;
    return nullptr;
}

} // namespace

PaymentBlock::PaymentBlock(QString name, double lead) : report::TextBlock(std::move(name)), m_lead(lead) {}

void PaymentBlock::showLines(const QStringList& lines)
{
    setLines(lines);
    setHeight(lines.size() * QFontMetricsF(font()).lineSpacing());
}

double PaymentBlock::growth(const report::RowContext&) const
{
    return isVisible() && !lines().isEmpty() ? m_lead + height() : 0;
}

void PaymentBlock::print(QPainter* painter, const QPointF& bandOrigin, const report::RowContext& context,
                         QList<report::DrawnText>& drawn) const
{
    report::TextBlock::print(painter, bandOrigin + QPointF(0, m_lead), context, drawn);
}

PaymentBlock* addPaymentBlock(report::Band& summary, const ReceiptLayout& layout, int r, const QFont& font)
{
    const PlacedElement* rule = summaryElement(layout, [](const PlacedElement& e) { return e.look == ElementLook::Rule; });
    const PlacedElement* change =
        summaryElement(layout, [](const PlacedElement& e) { return e.text == QStringLiteral("找零金额："); });
    const QPointF changeAt = change ? change->places[r] : QPointF(0, 55);
    // Just above the rule, so the rule and all below it move down by the lines' height.
    const double top = (rule ? rule->places[r].y() : changeAt.y() + LineStep) - 0.5;
    auto block = std::make_unique<PaymentBlock>(paymentBlockName(r + 1), changeAt.y() + LineStep - top);
    block->setGeometry(QRectF(changeAt.x(), top, layout.remarkWidth, 0));
    block->setFont(font);
    return static_cast<PaymentBlock*>(summary.addElement(std::move(block)));
}

QString paymentBlockName(int number)
{
    return QStringLiteral("PaymentBlock%1").arg(number);
}

} // namespace printing
