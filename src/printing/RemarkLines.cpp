#include "printing/RemarkLines.h"

#include "ui/Fonts.h"

#include <QRegularExpression>
#include <QTextLayout>
#include <QTextOption>

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

QStringList wrapped(const QString& paragraph, const QFont& font)
{
    if (paragraph.isEmpty())
        return {QString()};
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(remarkTextWidth());
        lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
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
        lines << wrapped(paragraph, font);
    return lines;
}

} // namespace printing
