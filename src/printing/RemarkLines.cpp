#include "printing/RemarkLines.h"

#include "report/Elements.h"
#include "ui/Fonts.h"

#include <QRegularExpression>

namespace printing {

namespace {

constexpr int RemarkFontPixels = 13;
constexpr double RemarkBoxWidth = 225;
// Taken off the box's width: the sunken border on both sides, the vertical scroll bar and the
// edit margins on both sides.
constexpr double BorderWidth = 2;
constexpr double ScrollBarWidth = 17;
constexpr double EditMargin = 2;

QStringList paragraphsOf(const QString& remark)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    QStringList paragraphs = remark.split(lineBreak);
    // A text box holds no line after a final line break.
    if (paragraphs.last().isEmpty())
        paragraphs.removeLast();
    return paragraphs;
}

} // namespace

double remarkTextWidth()
{
    return RemarkBoxWidth - 2 * BorderWidth - ScrollBarWidth - 2 * EditMargin;
}

QStringList remarkLines(const QString& remark)
{
    const QFont font = ui::songFont(RemarkFontPixels);
    QStringList lines;
    for (const QString& paragraph : paragraphsOf(remark))
        lines << report::brokenLines(paragraph, font, remarkTextWidth());
    return lines;
}

} // namespace printing
