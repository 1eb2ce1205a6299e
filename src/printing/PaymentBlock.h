#pragma once

#include "printing/ReceiptLayouts.h"
#include "report/Band.h"

#include <QStringList>

namespace printing {

// The payment lines of a receipt ("付款方式：微信 38.38"), one under the other below the change line.
// The summary band grows by their height, so the rule and the remark below move down with them;
// with no payments nothing prints and nothing moves.
class PaymentBlock : public report::TextBlock
{
public:
    PaymentBlock(QString name, double lead);

    void showLines(const QStringList& lines);

    double growth(const report::RowContext& context) const override;
    void print(QPainter* painter, const QPointF& bandOrigin, const report::RowContext& context,
               QList<report::DrawnText>& drawn) const override;

private:
    double m_lead; // from the block's top down to its first line
};

// Adds report r's (0 to 2) payment block to its summary band, just above the band's rule.
PaymentBlock* addPaymentBlock(report::Band& summary, const ReceiptLayout& layout, int r, const QFont& font);

// PaymentBlock1 to PaymentBlock3.
QString paymentBlockName(int number);

} // namespace printing
