#include "report/Elements.h"

#include "core/Error.h"
#include "report/RowSource.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

namespace report {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;
constexpr int kDefaultPixelSize = 12; // 9 pt
// A text block is cut off at its height only; this stands for "no side to cut at".
constexpr double kNoSideClip = 1.0e6;

double requireCoordinate(double value, const char* what)
{
    if (!std::isfinite(value))
        throw core::Error(QStringLiteral("报表元素的%1不是有效数字").arg(QString::fromUtf8(what)));
    return value;
}

double requireSize(double value, const char* what)
{
    requireCoordinate(value, what);
    if (value < 0)
        throw core::Error(QStringLiteral("报表元素的%1不能为负数").arg(QString::fromUtf8(what)));
    return value;
}

int pixelSizeOfPoints(double points)
{
    return std::max(1, int(std::lround(points * UnitsPerInch / kPointsPerInch)));
}

QFont withPixelSize(QFont font)
{
    if (font.pixelSize() > 0)
        return font;
    const double points = font.pointSizeF();
    font.setPixelSize(points > 0 ? pixelSizeOfPoints(points) : kDefaultPixelSize);
    return font;
}

// A line break inside one-line text would otherwise be drawn as an odd glyph or dropped.
QString asOneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    if (!text.contains(breaks))
        return text;
    return QString(text).replace(breaks, QStringLiteral(" "));
}

void paintText(QPainter& painter, const QFont& font, const QPointF& topLeft, const QString& text)
{
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font).ascent()), text);
}

void printOneLine(QPainter* painter, const Element& element, const QPointF& bandOrigin, const QString& text,
                  QList<DrawnText>& drawn)
{
    if (!element.isVisible())
        return;
    const QFontMetricsF metrics(element.font());
    const QStringList lines = wrappedLines(text, element.font(), element.wrapWidth());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty())
            continue;
        const QPointF topLeft = bandOrigin + element.geometry().topLeft() + QPointF(0, i * metrics.lineSpacing());
        if (painter) {
            if (element.isOpaque())
                painter->fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(line), metrics.height())),
                                  Qt::white);
            paintText(*painter, element.font(), topLeft, line);
        }
        drawn.append({element.name(), line, topLeft, element.font()});
    }
}

double growthOf(const Element& element, const QString& text)
{
    if (!element.isVisible() || element.wrapWidth() <= 0)
        return 0;
    const qsizetype lines = wrappedLines(text, element.font(), element.wrapWidth()).size();
    return double(std::max<qsizetype>(0, lines - 1)) * QFontMetricsF(element.font()).lineSpacing();
}

} // namespace

QStringList wrappedLines(const QString& text, const QFont& font, double width)
{
    const QString line = asOneLine(text);
    if (width <= 0 || line.isEmpty() || QFontMetricsF(font).horizontalAdvance(line) <= width)
        return {line};
    QStringList lines = brokenLines(line, font, width);
    // A space the line was broken at is not printed at its end.
    for (QString& part : lines)
        part = part.trimmed();
    return lines;
}

QStringList brokenLines(const QString& paragraph, const QFont& font, double width)
{
    if (paragraph.isEmpty())
        return {QString()};
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine part = layout.createLine(); part.isValid(); part = layout.createLine()) {
        part.setLineWidth(width);
        lines << paragraph.mid(part.textStart(), part.textLength());
    }
    layout.endLayout();
    return lines;
}

double millimetresToUnits(double millimetres)
{
    return millimetres * UnitsPerInch / kMillimetresPerInch;
}

double unitsToMillimetres(double units)
{
    return units * kMillimetresPerInch / UnitsPerInch;
}

QFont reportFont(const QString& family, double points)
{
    QFont font(family);
    font.setPixelSize(pixelSizeOfPoints(points));
    return font;
}

Element::Element(QString name) : m_name(std::move(name))
{
    m_font.setPixelSize(kDefaultPixelSize);
}

Element::~Element() = default;

void Element::setLeft(double left)
{
    m_geometry.moveLeft(requireCoordinate(left, "左侧位置"));
}

void Element::setTop(double top)
{
    m_geometry.moveTop(requireCoordinate(top, "顶部位置"));
}

void Element::setWidth(double width)
{
    m_geometry.setWidth(requireSize(width, "宽度"));
}

void Element::setHeight(double height)
{
    m_geometry.setHeight(requireSize(height, "高度"));
}

void Element::setGeometry(const QRectF& geometry)
{
    const QRectF checked(requireCoordinate(geometry.left(), "左侧位置"), requireCoordinate(geometry.top(), "顶部位置"),
                         requireSize(geometry.width(), "宽度"), requireSize(geometry.height(), "高度"));
    m_geometry = checked;
}

void Element::setWrapWidth(double width)
{
    m_wrapWidth = requireSize(width, "换行宽度");
}

double Element::growth(const RowContext&) const
{
    return 0;
}

void Element::setFont(const QFont& font)
{
    m_font = withPixelSize(font);
}

Label::Label(QString name, QString text) : Element(std::move(name)), m_text(std::move(text)) {}

double Label::growth(const RowContext&) const
{
    return growthOf(*this, m_text);
}

void Label::print(QPainter* painter, const QPointF& bandOrigin, const RowContext&, QList<DrawnText>& drawn) const
{
    printOneLine(painter, *this, bandOrigin, m_text, drawn);
}

DataField::DataField(QString name, QString column) : Element(std::move(name)), m_column(std::move(column)) {}

QString DataField::textFor(const RowContext& context) const
{
    RowSource* source = m_source ? m_source : context.detailSource;
    const bool onDetailRow = source == context.detailSource && context.detailRow >= 0;
    const int row = onDetailRow ? context.detailRow : 0;
    const QString value = source && row < source->rowCount() ? source->value(row, m_column) : QString();
    return m_printHook ? m_printHook(value) : value;
}

double DataField::growth(const RowContext& context) const
{
    // Reading the value may cost a query: only a field that can wrap needs it here.
    return wrapWidth() > 0 ? growthOf(*this, textFor(context)) : 0;
}

void DataField::print(QPainter* painter, const QPointF& bandOrigin, const RowContext& context,
                      QList<DrawnText>& drawn) const
{
    if (isVisible())
        printOneLine(painter, *this, bandOrigin, textFor(context), drawn);
}

TextBlock::TextBlock(QString name) : Element(std::move(name)) {}

void TextBlock::print(QPainter* painter, const QPointF& bandOrigin, const RowContext&, QList<DrawnText>& drawn) const
{
    if (!isVisible() || height() <= 0)
        return;
    const QRectF box(bandOrigin + geometry().topLeft(), geometry().size());
    if (painter) {
        painter->save();
        if (isOpaque())
            painter->fillRect(box, Qt::white);
        painter->setClipRect(QRectF(box.left() - kNoSideClip, box.top(), 2 * kNoSideClip, box.height()),
                             Qt::IntersectClip);
    }
    const double lineSpacing = QFontMetricsF(font()).lineSpacing();
    for (qsizetype i = 0; i < m_lines.size() && i * lineSpacing < height(); ++i) {
        const QString line = asOneLine(m_lines.at(i));
        if (line.isEmpty())
            continue;
        const QPointF topLeft(box.left(), box.top() + i * lineSpacing);
        if (painter)
            paintText(*painter, font(), topLeft, line);
        drawn.append({name(), line, topLeft, font()});
    }
    if (painter)
        painter->restore();
}

Barcode::Barcode(QString name, Encoder encoder) : Element(std::move(name)), m_encoder(std::move(encoder)) {}

void Barcode::setText(const QString& text)
{
    m_text = text;
    m_modules = m_encoder ? m_encoder(text) : QString();
}

void Barcode::setModuleWidth(double units)
{
    if (requireSize(units, "模块宽度") <= 0)
        throw core::Error(QStringLiteral("条码的模块宽度必须大于零"));
    m_moduleWidth = units;
}

void Barcode::setBarHeight(double units)
{
    if (requireSize(units, "条高") <= 0)
        throw core::Error(QStringLiteral("条码的条高必须大于零"));
    m_barHeight = units;
}

double Barcode::growth(const RowContext&) const
{
    return isVisible() ? height() : 0;
}

namespace {

// Whole device pixels per module for modules across width layout units, at scale pixels per unit;
// 0 when not even one pixel a module fits.
int pixelsPerModule(double moduleWidth, qsizetype modules, double width, double scale)
{
    const int wanted = std::max(1, int(std::lround(moduleWidth * scale)));
    const int room = int(std::floor(width * scale + 1e-6));
    if (modules <= 0 || room < modules)
        return 0;
    return std::min(wanted, int(room / modules));
}

} // namespace

void Barcode::print(QPainter* painter, const QPointF& bandOrigin, const RowContext&, QList<DrawnText>& drawn) const
{
    if (!isVisible())
        return;
    const QRectF box(bandOrigin + geometry().topLeft(), geometry().size());
    // Without a painter the bars are laid out as they would be at 1 unit a pixel.
    const QTransform toDevice = painter ? painter->combinedTransform() : QTransform();
    const double scaleX = std::abs(toDevice.m11());
    const int pixels = pixelsPerModule(m_moduleWidth, m_modules.size(), box.width(), scaleX);
    const double symbolWidth = pixels > 0 ? double(pixels) * double(m_modules.size()) / scaleX : 0;
    const double barsTop = box.top();
    const double textTop = barsTop + (pixels > 0 ? m_barHeight + 1 : 0);

    if (painter && pixels > 0) {
        const QPointF topLeft = toDevice.map(QPointF(box.left() + (box.width() - symbolWidth) / 2, barsTop));
        const QPointF bottomRight = toDevice.map(QPointF(box.left(), barsTop + m_barHeight));
        const int left = int(std::lround(topLeft.x()));
        const int top = int(std::lround(topLeft.y()));
        const int bottom = int(std::lround(bottomRight.y()));
        painter->save();
        painter->resetTransform();
        painter->setRenderHint(QPainter::Antialiasing, false);
        for (qsizetype i = 0; i < m_modules.size();) {
            qsizetype end = i;
            while (end < m_modules.size() && m_modules.at(end) == m_modules.at(i))
                ++end;
            if (m_modules.at(i) == QLatin1Char('1'))
                painter->fillRect(QRect(left + int(i) * pixels, top, int(end - i) * pixels, bottom - top), Qt::black);
            i = end;
        }
        painter->restore();
    }
    if (m_text.isEmpty())
        return;
    const QString line = asOneLine(m_text);
    const double textWidth = QFontMetricsF(font()).horizontalAdvance(line);
    const QPointF textAt(box.left() + std::max(0.0, (box.width() - textWidth) / 2), textTop);
    if (painter)
        paintText(*painter, font(), textAt, line);
    drawn.append({name(), line, textAt, font()});
}

} // namespace report
